#!/usr/bin/env python3
"""Checks the virtual tables of classes against their expected slot order.

    check_vtables.py --expected vtables.txt [--cxxfilt c++filt] -- g++ -std=c++17 -I... probe.cpp

Compiles the probe (a translation unit that includes the headers of the classes) with
-fdump-lang-class, reads the compiler's layout of each listed class and compares, table by table,
which function fills each slot. The Itanium ABI gives a virtual destructor two slots (complete and
deleting); the second is not listed.

Expected file: a class name at the start of a line, then its slots indented, one qualified
function per line, "Class::Function" of the class whose function fills the slot; "--" starts the
class's next virtual table (a secondary one, such as that of a virtual base). "#" starts a comment.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile


def read_expectation(path):
    classes = {}
    current = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            if not raw.strip() or raw.lstrip().startswith("#"):
                continue
            if not raw[0].isspace():
                current = raw.strip()
                classes[current] = [[]]
            elif current is None:
                sys.exit(f"{path}:{number}: slot before any class")
            elif raw.strip() == "--":
                classes[current].append([])
            else:
                classes[current][-1].append(raw.strip())
    return classes


def dump_layouts(compile_command):
    with tempfile.TemporaryDirectory() as scratch:
        command = compile_command + ["-fsyntax-only", "-fdump-lang-class",
                                     "-dumpdir", scratch + os.sep]
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True)
        if result.returncode != 0:
            sys.exit(f"compiling the probe failed:\n{' '.join(command)}\n{result.stdout}")
        dumps = [name for name in os.listdir(scratch) if name.endswith(".class")]
        if len(dumps) != 1:
            sys.exit(f"expected one class dump, found {dumps}")
        with open(os.path.join(scratch, dumps[0]), encoding="utf-8") as f:
            return f.read()


FUNCTION_ENTRY = re.compile(r"^\d+\s+\(int \(\*\)\(\.\.\.\)\)([A-Za-z_~].*)$")
RTTI_ENTRY = re.compile(r"^\d+\s+\(int \(\*\)\(\.\.\.\)\)\(& _ZTI")


def vtables_of(dump, cls):
    """The function slots of each virtual table of cls, in order; None if cls has none."""
    lines = dump.splitlines()
    try:
        start = lines.index(f"Vtable for {cls}")
    except ValueError:
        return None
    tables = []
    for line in lines[start + 2:]:
        if not line.strip():
            break
        if RTTI_ENTRY.match(line):
            tables.append([])
            continue
        match = FUNCTION_ENTRY.match(line)
        if match and tables:
            tables[-1].append(match.group(1))
    return tables


def readable(names, cxxfilt):
    """Thunks appear as Class::_Z...; name them by the function that they reach."""
    mangled = [n.rsplit("::", 1)[-1] for n in names if "::_Z" in n]
    plain = {}
    if mangled:
        out = subprocess.run([cxxfilt, "-n"], input="\n".join(mangled) + "\n",
                             stdout=subprocess.PIPE, text=True, check=True).stdout.splitlines()
        for symbol, text in zip(mangled, out):
            if text != symbol:
                plain[symbol] = re.sub(r"^.*thunk to ", "", text).split("(", 1)[0]
    return [plain.get(n.rsplit("::", 1)[-1], n) if "::_Z" in n else n for n in names]


def without_second_destructor(slots):
    out = []
    for name in slots:
        if out and "::~" in name and out[-1] == name:
            continue
        out.append(name)
    return out


def compare(cls, expected_tables, actual_tables):
    problems = []
    if len(actual_tables) != len(expected_tables):
        problems.append(f"{cls}: {len(actual_tables)} virtual tables, expected "
                        f"{len(expected_tables)}")
    for index, (expected, actual) in enumerate(zip(expected_tables, actual_tables)):
        if expected == actual:
            continue
        problems.append(f"{cls}: table {index} differs (slot: expected | compiled)")
        for slot in range(max(len(expected), len(actual))):
            want = expected[slot] if slot < len(expected) else "-"
            have = actual[slot] if slot < len(actual) else "-"
            mark = "  " if want == have else "!!"
            problems.append(f"  {mark} {slot:2} {want} | {have}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--expected", required=True)
    parser.add_argument("--cxxfilt", default="c++filt")
    parser.add_argument("compile", nargs=argparse.REMAINDER,
                        help="-- followed by the compiler command for the probe")
    args = parser.parse_args()
    command = args.compile[1:] if args.compile[:1] == ["--"] else args.compile
    if not command:
        parser.error("no compiler command")

    expected = read_expectation(args.expected)
    if not expected:
        sys.exit(f"{args.expected} lists no classes")
    dump = dump_layouts(command)

    problems = []
    for cls, tables in expected.items():
        actual = vtables_of(dump, cls)
        if actual is None:
            problems.append(f"{cls}: no virtual table in the probe")
            continue
        actual = [without_second_destructor(readable(t, args.cxxfilt)) for t in actual]
        problems += compare(cls, tables, actual)

    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"{len(expected)} classes: every virtual table as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
