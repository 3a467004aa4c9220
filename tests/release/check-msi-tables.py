#!/usr/bin/env python3
# check-msi-tables.py MSI: the package's tables (msiinfo) against Windows Installer's ICE18 (a component
# keyed to its folder, KeyPath empty, that puts no file there by File, RemoveFile, DuplicateFile or
# MoveFile has that folder in CreateFolder) and ICE71 (the Media table has disk 1).
import subprocess, sys
run = lambda *args: subprocess.run(["msiinfo", *args], capture_output=True, text=True, check=True).stdout
msi = sys.argv[1]
tables = run("tables", msi).split()
rows = lambda t: [line.split("\t") for line in run("export", msi, t).splitlines()[3:]] if t in tables else []
exempt = {(r[1], r[folder]) for t, folder in (("RemoveFile", 3), ("DuplicateFile", 4), ("MoveFile", 5), ("CreateFolder", 0))
          for r in rows(t)}  # (component, folder): CreateFolder's columns are folder, component
files = {r[1] for r in rows("File")}
failed = [f"ICE18: component {c[0]} has its folder {c[2]} for key path, and no CreateFolder row"
          for c in rows("Component") if not c[5] and c[0] not in files and (c[0], c[2]) not in exempt]
failed += [] if any(r[0] == "1" for r in rows("Media")) else ["ICE71: the Media table has no disk 1"]
print("\n".join("FAIL: " + f for f in failed) or f"msi tables: {msi} passes ICE18 and ICE71")
sys.exit(1 if failed else 0)
