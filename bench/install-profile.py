#!/usr/bin/env python3
"""Where a run's time goes, from Wine's relay trace of the calls the installer makes.

    install-profile.py NAME=LOG[,LOG...]...

Each LOG is the standard error of one run under WINEDEBUG=+timestamp,+relay, with the relay
limited to the calls made from MerolinSetup.exe (RelayFromInclude). Only the installer's
main thread is counted (the first process that logs its relay lists). Each call's time is
from its Call line to its Ret line, in Wine's millisecond ticks: a single short call reads
as 0 or 1 ms, a sum over many comes out right on average. What no call holds (the
installer's own code, COM methods called through their interfaces, which the relay does
not see, and the relay's own writing) is the rest. One column of milliseconds (and of
calls) for each NAME: with several LOGs (runs of one kind), the fastest run of them, the one
that other work on the machine held up least, and the median of their whole runs.
"""
import collections
import re
import sys

# A call's kind, by its name; calls on a handle or a path go by what they name (below).
KINDS = [
    ("record: flushes", r"FlushFileBuffers$"),
    ("installer copy", r"CopyFileA$"),
    ("payload: expansion (VerInstallFileA)", r"VerInstallFileA$"),
    ("payload: compressed resource to a file", r"^msvcrt\.(fopen|fwrite|fclose)$"),
    ("payload: resources and checks", r"(FindResourceA|LoadResource|LockResource|SizeofResource)$"),
    ("security look-ups", r"(Security|Token|Sid|Acl|Ace|SecurityDescriptor|GetVolumeInformationA)"),
    ("late binding (LoadLibraryA, GetProcAddress)", r"(LoadLibraryA|GetProcAddress|GetSystemDirectoryA)$"),
    ("registry", r"\.Reg\w+$"),
    ("process list", r"(Toolhelp32|Process32|OpenProcess$|QueryFullProcessImageName)"),
    ("shell folders, COM", r"^(shell32|ole32|combase)\.(?!CoTaskMem)"),
    ("files and folders", r"(File|Directory|Folder|_find|_mkdir|_rmdir|_chdir|_chdrive|_getcwd|remove|rename|"
                          r"FullPathName|Attributes|SetFilePointer|CloseHandle)"),
    ("strings and memory", r"(strlen|strchr|strncpy|memcmp|malloc|free|lstrlen|IsDBCSLeadByte|CoTaskMem|CharNext)"),
]
# Handles and paths by what they are, for the calls that name one.
PLACES = [("record", r"\.rec$"), ("installer copy", r"Setup\\MerolinSetup\.exe$"), ("shortcuts", r"\.lnk$")]


def place(path):
    for name, pattern in PLACES:
        if re.search(pattern, path, re.I):
            return name
    return None


def profile(path):
    main = None
    stack, spent, count = [], collections.Counter(), collections.Counter()
    handles = {}
    first = last = first_call = last_ret = None
    for line in open(path, encoding="utf-8", errors="replace"):
        m = re.match(r"^(\d+)\.(\d+):([0-9a-f]+):(.*)$", line.rstrip("\n"))
        if not m:
            continue
        ms, tid, rest = int(m.group(1)) * 1000 + int(m.group(2)), m.group(3), m.group(4)
        if main is None and rest.startswith("trace:relay:load_list"):
            main = tid
        if tid != main:
            continue
        first = ms if first is None else first
        last = ms
        c = re.match(r"Call (\w+\.\w+)\((.*)\) ret=", rest)
        if c and not c.group(1).endswith("BaseThreadInitThunk"):  # the thread's start: never returns
            stack.append((c.group(1), ms, c.group(2)))
            first_call = ms if first_call is None else first_call
            continue
        r = re.match(r"Ret  (\w+\.\w+)\(\) retval=([0-9a-f]+)", rest)
        if not r or not stack or stack[-1][0] != r.group(1):
            continue
        name, start, args = stack.pop()
        last_ret = ms
        if stack:
            continue  # a call made from a callback inside another: counted with that one
        kind = classify(name, args, r.group(2), handles)
        spent[kind] += ms - start
        count[kind] += 1
    spent["Wine: the process's start, to the installer's first call"] = first_call - first
    spent["Wine: the process's end, from the installer's last call"] = last - last_ret
    spent["the rest: own code, COM methods, the relay itself"] = (last - first) - sum(spent.values())
    return last - first, spent, count


FILE_CALLS = r"\.(CreateFileA|WriteFile|ReadFile|SetFilePointer|CloseHandle|GetFileInformationByHandle|" \
             r"[GS]etFileAttributesA|remove|rename|CopyFileA|MoveFileA|MoveFileExA|DeleteFileA|_findfirst64)$"


def classify(name, args, retval, handles):
    named = None
    if re.search(FILE_CALLS, name):
        texts = [t.replace("\\\\", "\\") for t in re.findall(r'"((?:[^"\\]|\\.)*)"', args)]
        first = args.split(",")[0].lstrip("0") if args else ""
        named = next((place(t) for t in texts if place(t)), None) or (handles.get(first) if not texts else None)
        if name.endswith("CreateFileA") and not retval.startswith("ffffffff"):
            handles[retval.lstrip("0")] = named
        elif name.endswith("CloseHandle"):
            handles.pop(first, None)
    if named == "record" and not name.endswith("FlushFileBuffers"):
        return "record: open, write, close"
    if named:
        return named + ": files" if named == "shortcuts" else named
    for kind, pattern in KINDS:
        if re.search(pattern, name):
            return kind
    return "other calls"


def median(values):
    v = sorted(values)
    return (v[(len(v) - 1) // 2] + v[len(v) // 2]) / 2.0


def main():
    names, columns = [], []
    for arg in sys.argv[1:]:
        name, logs = arg.split("=", 1)
        runs = [profile(log) for log in logs.split(",")]
        columns.append((min(runs, key=lambda r: r[0]), median([t for t, _, _ in runs])))
        names.append("%s (%d)" % (name, len(runs)))
    order = collections.Counter()
    for (_, spent, _), _ in columns:
        order.update(spent)
    print("  %-58s" % "ms (calls) of the main thread, fastest run" + "".join(" %16s" % n for n in names))
    for kind, _ in order.most_common():
        print("  %-58s" % kind + "".join(" %16s" % ("%d (%d)" % (s[kind], c[kind]) if c[kind] else "%d" % s[kind])
                                          for (_, s, c), _ in columns))
    print("  %-58s" % "the fastest run" + "".join(" %16d" % t for (t, _, _), _ in columns))
    print("  %-58s" % "the median run" + "".join(" %16.0f" % m for _, m in columns))


if __name__ == "__main__":
    main()
