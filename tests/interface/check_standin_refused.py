#!/usr/bin/env python3
"""Compiles a probe with the exact compile command of one of the library's sources (read from
compile_commands.json) and checks that the library's flags refuse a name the stand-in keeps for
itself while they accept the probe without it.

    check_standin_refused.py --compile-commands build/compile_commands.json \
        --library-source common/src/DragOperation.cpp --probe standin_name_probe.cpp \
        --define ILLSXMK_PROBE_STANDIN_NAME --mention "Contains"

Fails (exit 1) when the probe without the define does not compile (the check would prove
nothing), when it compiles with the define, or when the refusal does not name the marked member
and the stand-in's reason.
"""

import argparse
import json
import os
import shlex
import subprocess
import sys

REASON = "not in the viewer's contract"


def library_command(compile_commands, source):
    with open(compile_commands, encoding="utf-8") as f:
        entries = json.load(f)
    wanted = os.path.normpath(source)
    for entry in entries:
        if os.path.normpath(entry["file"]).endswith(wanted):
            words = entry.get("arguments") or shlex.split(entry["command"])
            return words, entry["directory"], entry["file"]
    sys.exit(f"no compile command for {source} in {compile_commands}")


def probe_command(words, source_file, probe, extra):
    """The library's command with the probe in place of its source, checking syntax only."""
    command, skip = [], 0
    for word in words:
        if skip:
            skip -= 1
            continue
        if word in ("-o", "-MF", "-MT", "-MQ"):
            skip = 1
            continue
        if word in ("-c", "-MD", "-MMD") or os.path.normpath(word) == os.path.normpath(source_file):
            continue
        command.append(word)
    return command + extra + ["-fsyntax-only", probe]


def compile_probe(command, directory):
    result = subprocess.run(command, cwd=directory, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--compile-commands", required=True)
    parser.add_argument("--library-source", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--define", required=True)
    parser.add_argument("--mention", required=True, help="the marked name the refusal must name")
    args = parser.parse_args()

    words, directory, source_file = library_command(args.compile_commands, args.library_source)
    probe = os.path.abspath(args.probe)

    status, output = compile_probe(probe_command(words, source_file, probe, []), directory)
    if status != 0:
        print(output, end="")
        print("FAILED: the probe does not compile with the library's flags even without the "
              "stand-in's name")
        return 1

    status, output = compile_probe(
        probe_command(words, source_file, probe, [f"-D{args.define}"]), directory)
    print(output, end="")
    if status == 0:
        print(f"FAILED: the library's flags accept {args.mention}, which the stand-in keeps for "
              "itself")
        return 1
    if REASON not in output or args.mention not in output:
        print(f"FAILED: the compile failed, but not by refusing {args.mention} as a stand-in name")
        return 1
    print(f"the library's flags refuse {args.mention} and accept the contract's names")
    return 0


if __name__ == "__main__":
    sys.exit(main())
