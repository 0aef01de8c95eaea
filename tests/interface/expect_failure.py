#!/usr/bin/env python3
"""Runs a checker on a deliberately broken copy of its expectation file and passes only when the
checker fails and names the broken entry.

    expect_failure.py --expectation exported_names.txt --replace-line OLD NEW \
        --mention "not exported: ..." -- check_exports.py ... --expected @EXPECTED@

--replace-line OLD NEW  the first line that reads OLD (blanks around it aside) reads NEW
                        (an empty NEW drops the line)
--swap-lines A B        the first lines that read A and B trade places
Each change must apply, so an expectation file that no longer holds the line fails this test
instead of silently checking nothing. @EXPECTED@ in the command stands for the broken copy.
"""

import argparse
import os
import subprocess
import sys
import tempfile


def find(lines, text):
    for index, line in enumerate(lines):
        if line.strip() == text:
            return index
    sys.exit(f"no line reads {text!r}")


def indent_of(line):
    return line[: len(line) - len(line.lstrip())]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--expectation", required=True)
    parser.add_argument("--replace-line", nargs=2, action="append", default=[])
    parser.add_argument("--swap-lines", nargs=2, action="append", default=[])
    parser.add_argument("--mention", required=True, help="text the checker's report must contain")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command or not (args.replace_line or args.swap_lines):
        parser.error("need a change and a checker command")

    with open(args.expectation, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for old, new in args.replace_line:
        index = find(lines, old)
        if new:
            lines[index] = indent_of(lines[index]) + new
        else:
            del lines[index]
    for a, b in args.swap_lines:
        i, j = find(lines, a), find(lines, b)
        lines[i], lines[j] = lines[j], lines[i]

    with tempfile.TemporaryDirectory() as scratch:
        broken = os.path.join(scratch, "broken-" + os.path.basename(args.expectation))
        with open(broken, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        command = [broken if word == "@EXPECTED@" else word for word in command]
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True)
    print(result.stdout, end="")
    if result.returncode == 0:
        print("FAILED: the checker accepted the broken expectation")
        return 1
    if args.mention not in result.stdout:
        print(f"FAILED: the checker's report does not mention {args.mention!r}")
        return 1
    print(f"checker rejected the broken expectation as it should ({args.mention!r})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
