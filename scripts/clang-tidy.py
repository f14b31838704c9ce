#!/usr/bin/env python3
"""Runs clang-tidy 14 with the repository's .clang-tidy over the program's own sources (src/), as the
Clang build in the folder given compiles them, so many at a time as the second argument says. Any
finding fails.

Each folder of src/ is checked as one file that includes its sources: nearly all of clang-tidy's time
goes into Qt's headers, which are then read once a folder instead of once a source. A folder whose
sources do not compile as one (two helpers of one name in two files) is checked source by source."""

import concurrent.futures
import json
import os
import pathlib
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCES = ROOT / "src"


def tidy_binary():
    """clang-tidy 14, which the checks and their exceptions were set for: each version adds checks,
    so elsewhere the test skips (77) and says why."""
    for name in ["clang-tidy-14", "clang-tidy"]:
        if shutil.which(name):
            version = subprocess.run([name, "--version"], stdout=subprocess.PIPE, text=True, check=False).stdout
            if "version 14." in version:
                return name
    print("SKIP: no clang-tidy 14 here; other versions bring other checks")
    sys.exit(77)


def folders_of(tree):
    folders = {}
    for entry in json.loads((tree / "compile_commands.json").read_text()):
        source = pathlib.Path(entry["directory"], entry["file"]).resolve()
        if SOURCES in source.parents:
            folders.setdefault(source.parent, []).append((source, entry))
    return folders


def unit_of(folder, members, units):
    """Writes the file that includes every source of folder; returns its compile command."""
    name = "_".join(folder.relative_to(ROOT).parts)
    unit = units / f"{name}.cpp"
    # A .cpp included on purpose; the check would name each line.
    unit.write_text("".join(f'#include "{source}" // NOLINT(bugprone-suspicious-include)\n'
                            for source, _ in sorted(members)))
    source, entry = members[0]
    command = dict(entry)
    command["file"] = str(unit)
    if "arguments" in command:
        command["arguments"] = [str(unit) if argument in (entry["file"], str(source)) else argument
                                for argument in command["arguments"]]
    else:
        command["command"] = command["command"].replace(entry["file"], str(unit))
    return command


def run(tidy, database, file):
    done = subprocess.run([tidy, "--quiet", f"--config-file={ROOT / '.clang-tidy'}", "-p", str(database), str(file)],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, check=False)
    findings = [line for line in done.stdout.splitlines()
                if not line.endswith(" generated.") and not line.startswith("Suppressed ")
                and not line.startswith("Use -header-filter") and "treated as error" not in line]
    return done.returncode, findings


def main():
    tree = pathlib.Path(sys.argv[1]).resolve()
    jobs = int(sys.argv[2]) if len(sys.argv) > 2 else os.cpu_count()
    tidy = tidy_binary()
    folders = folders_of(tree)
    units = tree / "tidy"
    units.mkdir(exist_ok=True)
    commands = {folder: unit_of(folder, members, units) for folder, members in folders.items()}
    (units / "compile_commands.json").write_text(json.dumps(list(commands.values()), indent=1))
    failed = False
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        checked = {folder: pool.submit(run, tidy, units, command["file"]) for folder, command in commands.items()}
        apart = []
        for folder, future in checked.items():
            status, findings = future.result()
            if any("clang-diagnostic-error" in line for line in findings):
                apart += [pool.submit(run, tidy, tree, source) for source, _ in folders[folder]]
                continue
            failed |= status != 0
            print("\n".join(findings), end="\n" if findings else "")
        for future in apart:
            status, findings = future.result()
            failed |= status != 0
            print("\n".join(findings), end="\n" if findings else "")
    sources = sum(len(members) for members in folders.values())
    print(f"clang-tidy: {'findings' if failed else 'no findings'} in {sources} sources of {len(folders)} folders")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
