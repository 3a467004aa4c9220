#!/usr/bin/env python3
"""Where the bytes of MerolinSetup.exe go: by section and by origin, every byte counted once.

    size-report.py --exe EXE --symbols SYMBOLS_EXE --map MAP --build BUILD_DIR
                   --source SOURCE_DIR --msz MSZ_DIR [--nm NM] [--cxxfilt CXXFILT] [--out FILE]

EXE is the shipped (stripped) exe; SYMBOLS_EXE and MAP come from a second link of the very
same objects that keeps the symbol table and writes a map (the target MerolinSetup_symbols);
its sections must be byte for byte those of EXE, or the report refuses to speak of EXE.
With --out, a section "## Measures" already at the end of FILE is kept.
The objects under BUILD_DIR/CMakeFiles say which folder (layer) defined each function and
constant; MSZ_DIR holds the seven compressed payload files. The origins add up to the file's
size, or the report fails. Markdown goes to stdout or to FILE.
"""
import argparse
import collections
import glob
import os
import re
import struct
import subprocess
import sys

LAYERS = ["framework", "manifest", "ops", "install", "ui", "app"]  # lowest first
IMPORT_LIBS = {"kernel32", "user32", "gdi32", "advapi32", "shell32", "ole32", "comctl32", "msvcrt"}
RES_TYPES = {3: "icon images", 5: "dialog templates", 14: "icon group", 16: "version", 24: "manifest"}


class Pe:
    """The headers, sections and data directories of a PE file."""

    def __init__(self, path):
        self.data = open(path, "rb").read()
        d = self.data
        self.lfanew = struct.unpack_from("<I", d, 0x3C)[0]
        _, nsect, _, _, _, optsize, _ = struct.unpack_from("<HHIIIHH", d, self.lfanew + 4)
        opt = self.lfanew + 24
        pe32plus = struct.unpack_from("<H", d, opt)[0] == 0x20B
        self.file_align = struct.unpack_from("<I", d, opt + 36)[0]
        self.size_of_headers = struct.unpack_from("<I", d, opt + 60)[0]
        dirs = opt + (112 if pe32plus else 96)
        self.dirs = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(16)]
        self.opt_size = optsize
        self.table = opt + optsize
        self.sections = []
        for i in range(nsect):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", d, self.table + 40 * i)
            flags = struct.unpack_from("<I", d, self.table + 40 * i + 36)[0]
            self.sections.append(dict(name=name.rstrip(b"\0").decode(), vsize=vsize, va=va,
                                      rawsize=rawsize, rawptr=rawptr, flags=flags))
        self.headers_used = self.table + 40 * nsect

    def section_at(self, rva):
        for s in self.sections:
            if s["va"] <= rva < s["va"] + max(s["vsize"], s["rawsize"]):
                return s
        return None

    def raw(self, s):
        return self.data[s["rawptr"]:s["rawptr"] + min(s["vsize"], s["rawsize"])]

    def read(self, rva, n):
        s = self.section_at(rva)
        off = s["rawptr"] + rva - s["va"]
        return self.data[off:off + n]


def flags_text(f):
    return ("R" if f & 0x40000000 else "-") + ("W" if f & 0x80000000 else "-") + \
        ("X" if f & 0x20000000 else "-") + (" discardable" if f & 0x02000000 else "")


def parse_map(path):
    """Input sections of each output section: (output, input name, address, size, object)."""
    rows, out, pending = [], None, None
    for line in open(path, encoding="utf-8", errors="replace"):
        line = line.rstrip("\n")
        m = re.match(r"^(\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)", line)
        if m:
            out = m.group(1)
            continue
        if re.match(r"^\S", line):
            out = None if not line.startswith(".") else line.split()[0]
            continue
        if out is None:
            continue
        m = re.match(r"^ (\S+)\s*$", line)  # a long input section name, its figures on the next line
        if m:
            pending = m.group(1)
            continue
        m = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(LONG|SHORT|BYTE|QUAD)\b", line)
        if m:
            rows.append((out, "(linker script data)", int(m.group(1), 16), int(m.group(2), 16), "ld"))
            continue
        m = re.match(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$", line)
        if m and (m.group(1) or pending):
            name = m.group(1) or pending
            rows.append((out, name, int(m.group(2), 16), int(m.group(3), 16), m.group(4).strip()))
        pending = None
    return rows


def run(cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def base_name(sym):
    return re.sub(r"\.(lto_priv|constprop|isra|part|cold|localalias)\b.*$", "", sym)


def symbol_folders(nm, build):
    """Which folders' objects define each symbol (from the fat objects of every layer)."""
    objs = sorted(glob.glob(os.path.join(build, "CMakeFiles", "*.dir", "**", "*.obj"), recursive=True))
    objs = [o for o in objs if re.search(r"/(%s)/" % "|".join(LAYERS), o) and "/tests/" not in o]
    where = collections.defaultdict(set)
    for line in run([nm, "--defined-only", "-A"] + objs).splitlines():
        path, _, rest = line.partition(":")
        parts = rest.split()
        folder = re.search(r"/(%s)/[^/]+\.obj$" % "|".join(LAYERS), path)
        if folder and len(parts) == 3:
            where[parts[2]].add(folder.group(1))
    return where


def source_texts(source):
    texts = {}
    for folder in LAYERS + ["tools/szdd/header"]:
        for path in sorted(glob.glob(os.path.join(source, folder, "*.[ch]*"))):
            texts[path] = (folder, open(path, encoding="utf-8", errors="replace").read())
    return texts


def defined_in(texts, name, klass):
    """The folders whose sources define NAME (a function with a body, or a datum given a
    value), or else the class KLASS."""
    name = re.escape(name)
    patterns = [r"\b%s\s*\([^;{]*\)\s*(const\s*)?\{" % name, r"\b%s\s*(\[[^\]]*\])?\s*=[^=]" % name]
    if klass:
        patterns.append(r"\b(class|struct)\s+%s\b[^;]*\{" % re.escape(klass))
    for pattern in patterns:
        found = {folder for folder, text in texts.values() if re.search(pattern, text)}
        if found:
            return found
    return set()


def folder_of(sym, where, demangled, texts, section):
    if demangled.startswith("sys::"):
        return "framework"  # the platform-call forwarders of framework/platform.h
    if sym.startswith(("__sub_I_", "___tcf_")):
        return "(constructors and destructors of statics, all folders)"
    found = where.get(base_name(sym)) or where.get(sym)
    if not found and "$" in section:
        # A section of its own, named in the sources that put functions there.
        found = {f for f, text in texts.values() if 'section("%s")' % section in text}
    if not found:
        # Merged into its callers in each object's own code, and out of line only in the
        # whole-program compile: found by its definition in the sources.
        d = re.sub(r" \[clone [^\]]*\]", "", demangled).replace("(anonymous namespace)::", "")
        d = re.sub(r"^(vtable|typeinfo|typeinfo name) for ", "", d)
        path = re.split(r"::", re.sub(r"\(.*$", "", d))
        found = defined_in(texts, path[-1], path[-2] if len(path) > 1 else path[-1])
    if not found:
        return "(unknown)" if re.match(r"_*Z", sym) else "(the system headers' inline functions)"
    return min(found, key=lambda f: LAYERS.index(f) if f in LAYERS else -1)


class Tally:
    """Bytes by origin, in order of first use; each origin a (group, detail) pair."""

    def __init__(self):
        self.bytes = collections.OrderedDict()

    def add(self, group, detail, n):
        if n:
            self.bytes[(group, detail)] = self.bytes.get((group, detail), 0) + n

    def total(self):
        return sum(self.bytes.values())


def is_text(b):
    return len(b) > 1 and b[-1] == 0 and all(32 <= c < 127 or c in (9, 10, 13) for c in b[:-1])


def code_and_data(pe, syms, rows, where, texts, demangle, tally, largest):
    """.text, .rdata, .data: by input section, and the program's own by symbol and folder."""
    base = 0x400000 if pe.opt_size == 224 else 0x140000000
    for sname, group in ((".text", "code"), (".rdata", "constants"), (".data", "constants")):
        s = next((x for x in pe.sections if x["name"] == sname), None)
        if not s:
            continue
        lo, hi = base + s["va"], base + s["va"] + s["vsize"]
        covered = 0
        for out, name, addr, size, obj in rows:
            if out != sname or not size or addr >= hi:
                continue
            size = min(size, hi - addr)
            covered += size
            lib = re.search(r"lib(\w+?)\.a\(", obj)
            if obj == "ld" or name in (".ctors", ".dtors"):
                tally.add("libraries and linker", "constructor and destructor lists", size)
            elif "ltrans" in obj:
                own(pe, s, base, syms, name, addr, size, group, where, texts, demangle, tally, largest)
            elif lib and lib.group(1) in IMPORT_LIBS and sname == ".text":
                tally.add("import tables", "jump stubs (one per function called by name)", size)
            elif lib and sname != ".text":
                tally.add("libraries and linker", "interface and class identifiers (lib%s)" % lib.group(1), size)
            else:
                tally.add("libraries and linker", "%s of lib%s" % (group, lib.group(1) if lib else obj), size)
        tally.add("padding", "alignment between the input sections of %s" % sname, s["vsize"] - covered)


def own(pe, s, base, syms, section, addr, size, group, where, texts, demangle, tally, largest):
    inside = [(a, n) for a, n in syms if addr <= a < addr + size]
    if not inside or inside[0][0] != addr:
        inside.insert(0, (addr, None))
    for i, (a, name) in enumerate(inside):
        end = inside[i + 1][0] if i + 1 < len(inside) else addr + size
        n = end - a
        if name is None:
            kind = "texts without a name (literals, all folders)" if group == "constants" else "code without a name"
            tally.add("own " + group, kind, n)
            continue
        d = demangle.get(name, name)
        folder = folder_of(name, where, d, texts, section)
        if group == "constants":
            b = pe.data[s["rawptr"] + a - base - s["va"]:s["rawptr"] + end - base - s["va"]]
            detail = "%s: %s" % (folder, "texts" if is_text(b.rstrip(b"\0") + b"\0") else "tables")
        else:
            detail = "%s%s" % (folder, ": platform-call forwarders" if d.startswith("sys::") else "")
        tally.add("own " + group, detail, n)
        largest.append((n, group, folder, d))


def imports(pe, rows, tally):
    s = next(x for x in pe.sections if x["name"] == ".idata")
    what = {"2": "import descriptors", "3": "import descriptors", "4": "lookup table (names, for the loader)",
            "5": "address table (filled by the loader)", "6": "hint and name of each function",
            "7": "library names"}
    covered = 0
    for out, name, addr, size, obj in rows:
        if out != ".idata" or not size:
            continue
        m = re.match(r"\.idata\$(\d)", name)
        tally.add("import tables", what[m.group(1)] if m else "import descriptors", size)
        covered += size
    tally.add("padding", "alignment between the input sections of .idata", s["vsize"] - covered)


def resources(pe, msz_ids, names, tally):
    rva, size = pe.dirs[2]
    blob = pe.read(rva, size)
    used = bytearray(size)

    def mark(off, n, group, detail):
        tally.add(group, detail, n)
        used[off:off + n] = b"\1" * n

    def walk(off, depth, path):
        _, _, _, _, named, ids = struct.unpack_from("<IIHHHH", blob, off)
        count = named + ids
        mark(off, 16 + 8 * count, "resources", "directory: tables and entries")
        for i in range(count):
            name, target = struct.unpack_from("<II", blob, off + 16 + 8 * i)
            if name & 0x80000000:
                no = name & 0x7FFFFFFF
                length = struct.unpack_from("<H", blob, no)[0]
                label = blob[no + 2:no + 2 + 2 * length].decode("utf-16-le")
                if not used[no]:
                    mark(no, 2 + 2 * length, "resources", "directory: type names")
            else:
                label = name
            if target & 0x80000000:
                walk(target & 0x7FFFFFFF, depth + 1, path + [label])
            else:
                data_rva, data_size = struct.unpack_from("<II", blob, target)[:2]
                mark(target, 16, "resources", "directory: data entries")
                kind, ident = path[0], path[1]
                if kind == "MSZ" and ident in msz_ids:
                    group, detail = "payload", "MSZ %d (%s)" % (ident, msz_ids[ident])
                elif kind == "MSZ":
                    group, detail = "resources", "MSZ %d: %s" % (ident, names.get(ident, "compressed"))
                elif kind == "CRC":
                    group, detail = "resources", "CRC %d: %s" % (ident, names.get(ident, "check table"))
                else:
                    group, detail = "resources", RES_TYPES.get(kind, "type %s" % kind)
                mark(data_rva - rva, data_size, group, detail)

    walk(0, 0, [])
    gaps = used.count(0)
    tally.add("padding", "alignment inside .rsrc (each resource on 8 bytes)", gaps)
    s = pe.section_at(rva)
    tally.add("resources", "rest of .rsrc", s["vsize"] - size)


def relocations(pe, tally):
    rva, size = pe.dirs[5]
    blob, off = pe.read(rva, size), 0
    by = collections.Counter()
    while off < size:
        page, block = struct.unpack_from("<II", blob, off)
        tally.add("relocations", "block headers (one a page)", 8)
        for i in range((block - 8) // 2):
            entry = struct.unpack_from("<H", blob, off + 8 + 2 * i)[0]
            if entry >> 12 == 0:
                tally.add("padding", "relocation blocks filled to 4 bytes", 2)
            else:
                by[pe.section_at(page + (entry & 0xFFF))["name"]] += 1
        off += block
    for name, n in by.most_common():
        tally.add("relocations", "entries for addresses in %s (%d)" % (name, n), 2 * n)
    s = pe.section_at(rva)
    tally.add("relocations", "rest of .reloc", s["vsize"] - size)


def spans(pe):
    """Each section's share of the file: its content, then the filling up to the next section."""
    placed = sorted((s for s in pe.sections if s["rawsize"]), key=lambda s: s["rawptr"])
    ends = [s["rawptr"] for s in placed[1:]]
    last = max(s["rawptr"] + s["rawsize"] for s in placed)
    for s, end in zip(placed, ends + [last]):
        content = min(s["vsize"], s["rawsize"])
        yield s, content, end - s["rawptr"] - content


def headers_and_padding(pe, tally):
    tally.add("PE headers", "DOS header and stub", pe.lfanew)
    tally.add("PE headers", "PE signature, file header, optional header", 24 + pe.opt_size)
    tally.add("PE headers", "section table (%d sections)" % len(pe.sections), 40 * len(pe.sections))
    tally.add("padding", "headers up to SizeOfHeaders", pe.size_of_headers - pe.headers_used)
    last = pe.size_of_headers
    for s, content, fill in spans(pe):
        tally.add("padding", "%s up to the file alignment" % s["name"], fill)
        last = s["rawptr"] + content + fill
    tally.add("signature", "certificate and anything after the last section", len(pe.data) - last)


def resource_names(source):
    names = {}
    for line in open(os.path.join(source, "res", "resource.h")):
        m = re.match(r"#define (ID[RD]_\w+)\s+(\d+)", line)
        if m:
            names[int(m.group(2))] = m.group(1)
    ids = {}
    for line in open(os.path.join(source, "manifest", "payload_list.h")):
        m = re.search(r'X\((\d+), "([^"]+)"', line)
        if m:
            ids[int(m.group(1))] = m.group(2)
    return names, ids


def report(args):
    pe, syms_pe = Pe(args.exe), Pe(args.symbols)
    for a in pe.sections:
        b = next((x for x in syms_pe.sections if x["name"] == a["name"]), None)
        if not b or pe.raw(a) != syms_pe.raw(b) or a["va"] != b["va"]:
            sys.exit("size-report: %s of %s differs from the symbols' link: rebuild both" % (a["name"], args.exe))
    rows = parse_map(args.map)
    syms, demangle = [], {}
    lines = [l.split() for l in run([args.nm, "-n", args.symbols]).splitlines()]
    lines = [l for l in lines if len(l) == 3 and l[1] in "tTrRdD" and not l[2].startswith(".")]
    names = [re.sub(r"@\d+$", "", n.lstrip("@")) for _, _, n in lines]
    filt = run([args.cxxfilt] + (["-_"] if pe.opt_size == 224 else []) + names).splitlines()
    for (a, _, n), bare, d in zip(lines, names, filt):
        syms.append((int(a, 16), n))
        demangle[n] = d if d != bare else n
    syms.sort()
    where = symbol_folders(args.nm, args.build)
    res_names, msz_ids = resource_names(args.source)
    tally, largest = Tally(), []
    headers_and_padding(pe, tally)
    code_and_data(pe, syms, rows, where, source_texts(args.source), demangle, tally, largest)
    imports(pe, rows, tally)
    resources(pe, msz_ids, res_names, tally)
    relocations(pe, tally)
    msz = sum(os.path.getsize(f) for f in glob.glob(os.path.join(args.msz, "*.msz")))
    payload = sum(n for (g, _), n in tally.bytes.items() if g == "payload")
    if msz != payload:
        sys.exit("size-report: the payload resources hold %d bytes, %s has %d" % (payload, args.msz, msz))
    if tally.total() != len(pe.data):
        sys.exit("size-report: the origins add up to %d bytes, the file has %d" % (tally.total(), len(pe.data)))
    return pe, tally, largest


def write(pe, tally, largest, args, out):
    size = len(pe.data)
    payload = sum(n for (g, _), n in tally.bytes.items() if g == "payload")
    p = lambda *a: print(*a, file=out)
    p("# Where the installer's bytes go\n")
    p("Made by `bench/size-report.py` from a build of the i686 tree; to make it again:\n")
    p("    cmake --preset i686 >/dev/null && cmake --build --preset i686 --target size_report\n")
    p("`%s`: **%d bytes**; the payload's seven compressed files %d; the installer's own part "
      "(what `release.size` limits) **%d bytes**. Every byte below is counted once; the origins add "
      "up to the file's size.\n" % (os.path.basename(args.exe), size, payload, size - payload))
    p("## By section\n")
    p("| Section | Flags | In the file | Content (virtual size) | Padding to %d |" % pe.file_align)
    p("|---|---|---:|---:|---:|")
    p("| headers | | %d | %d | %d |" % (pe.size_of_headers, pe.headers_used, pe.size_of_headers - pe.headers_used))
    content = pe.headers_used
    placed = {s["name"]: (c, f) for s, c, f in spans(pe)}
    for s in pe.sections:
        c, f = placed.get(s["name"], (0, 0))
        p("| %s | %s | %d | %d | %d |" % (s["name"], flags_text(s["flags"]), c + f, s["vsize"], f))
        content += c
    p("| **all** | | **%d** | **%d** | **%d** |\n" % (size, content, size - content))
    p("Content is what the sections hold, before each is filled up to the file alignment: a "
      "measure that saves bytes of content saves file bytes only where it takes a section below "
      "a multiple of %d.\n" % pe.file_align)
    p("## By origin\n")
    p("| Origin | Bytes | Share |")
    p("|---|---:|---:|")
    groups = collections.OrderedDict()
    for (g, d), n in tally.bytes.items():
        groups.setdefault(g, []).append((d, n))
    for g, items in groups.items():
        total = sum(n for _, n in items)
        p("| **%s** | **%d** | **%.1f%%** |" % (g, total, 100.0 * total / size))
        for d, n in sorted(items, key=lambda x: -x[1]):
            p("| &nbsp;&nbsp;%s | %d | %.1f%% |" % (d, n, 100.0 * n / size))
    p("| **all** | **%d** | **100%%** |\n" % tally.total())
    own = [(g, sum(n for _, n in items)) for g, items in groups.items() if g != "payload"]
    p("The installer's own part, %d bytes: %s.\n" % (size - payload, ", ".join(
        "%s %d (%.0f%%)" % (g, n, 100.0 * n / (size - payload)) for g, n in sorted(own, key=lambda x: -x[1]))))
    p("The program's own code and constants are split by the folder whose objects define each "
      "function or constant (a function inline in a header, by the lowest folder that defines it); "
      "what the whole-program compile merged into another function counts with that one.\n")
    what_ifs(pe, tally, p)
    p("## The largest functions and constants\n")
    p("| Bytes | Kind | Folder | Name |")
    p("|---:|---|---|---|")
    for n, group, folder, d in sorted(largest, key=lambda x: -x[0])[:25]:
        p("| %d | %s | %s | `%s` |" % (n, group, folder, d.replace("|", "\\|")))


def what_ifs(pe, tally, p):
    """What the layouts that are not taken would save in this exe (see the measures below)."""
    a = pe.file_align
    up = lambda n: -(-n // a) * a
    size = {s["name"]: s["vsize"] for s in pe.sections if s["rawsize"]}
    lookup = tally.bytes.get(("import tables", "lookup table (names, for the loader)"), 0)
    rows = []
    for names in ((".idata", ".rdata"), (".rdata", ".text"), (".idata", ".rdata", ".text"), (".reloc", ".rdata")):
        if all(n in size for n in names):
            rows.append(("%s in %s" % (" and ".join(names[:-1]), names[-1]),
                         sum(up(size[n]) for n in names) - up(sum(size[n] for n in names))))
    last = max((s for s in pe.sections if s["rawsize"]), key=lambda s: s["rawptr"])
    rows.append(("%s, the last section, not filled up" % last["name"], up(last["vsize"]) - last["vsize"]))
    headers = 0x40 + 24 + pe.opt_size + 40 * (len(pe.sections) - 1)
    rows.append(("headers in %d: a DOS part of 64 bytes and a section less (%d bytes)" % (a, headers),
                 pe.size_of_headers - up(headers)))
    if ".idata" in size and lookup:
        rows.append(("the lookup table left out (%d bytes)" % lookup, up(size[".idata"]) - up(size[".idata"] - lookup)))
    p("## Layouts not taken, and what each would save in this exe\n")
    p("| Layout | File bytes saved |")
    p("|---|---:|")
    for label, saved in rows:
        p("| %s | %d |" % (label, saved))
    p("")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for a in ("exe", "symbols", "map", "build", "source", "msz"):
        ap.add_argument("--" + a, required=True)
    ap.add_argument("--nm", default="i686-w64-mingw32-nm")
    ap.add_argument("--cxxfilt", default="c++filt")
    ap.add_argument("--out")
    args = ap.parse_args()
    pe, tally, largest = report(args)
    if args.out:
        # What follows the heading "## Measures" is written by hand, and kept.
        kept = ""
        if os.path.exists(args.out):
            text = open(args.out).read()
            kept = text[text.find("\n## Measures"):] if "\n## Measures" in text else ""
        with open(args.out, "w") as out:
            write(pe, tally, largest, args, out)
            out.write(kept)
    else:
        write(pe, tally, largest, args, sys.stdout)


if __name__ == "__main__":
    main()
