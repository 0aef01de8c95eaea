#!/usr/bin/env python3
"""Checks the names that a shared library exports against a list of expected names.

    check_exports.py --format elf --nm nm --library libillsxmk.so --expected exported_names.txt
    check_exports.py --format pe --objdump i686-w64-mingw32-objdump \
        --cxxfilt i686-w64-mingw32-c++filt --library libillsxmk.dll \
        --expected exported_names.txt --machine i386 --imports KERNEL32.dll,msvcrt.dll,...

ELF: the dynamic symbol table (nm -D). PE: the DLL's export table (objdump -p); with --machine
and --imports also the file format and the DLLs that it imports. Names are compared demangled
and normalized (symbols.py).

The expected list holds one name per line; "#" starts a comment line and "!TEXT" forbids every
exported name that contains TEXT. Fails (exit 1) when an expected name is not exported, when a
forbidden one is, when the library exports a name of --namespace that the list lacks, or when it
exports a name of one of the viewer's classes other than a weak table or type information (a DLL
none at all).
"""

import argparse
import re
import sys

sys.dont_write_bytecode = True  # no cache folder in the source tree
from symbols import demangled, list_lines, normalized, run


def read_expectation(path):
    expected, forbidden = [], []
    for line in list_lines(path):
        if line.startswith("!"):
            forbidden.append(line[1:].strip())
        else:
            expected.append(normalized(line))
    return expected, forbidden


def elf_exports(nm, library):
    """{name: nm's symbol type}."""
    # "ADDRESS TYPE NAME": the name may contain blanks, so split off two fields only.
    names = {}
    for line in run([nm, "-D", "-C", "--defined-only", library]).splitlines():
        fields = line.split(None, 2)
        if len(fields) == 3:
            names[normalized(fields[2])] = fields[1]
    return names


VIEWER_NAMESPACES = ("du", "dg", "dom", "sxk", "sxmu", "attrs", "sxmk")
# What the compiler makes for a class: the class is what follows.
MADE_FOR = ("vtable for ", "typeinfo for ", "typeinfo name for ", "VTT for ",
            "construction vtable for ", "virtual thunk to ", "non-virtual thunk to ",
            "guard variable for ")
TABLES = MADE_FOR[:3]


def scope_of(name):
    """The first two components of a qualified name ("sxmk::Label" of "sxmk::Label::Text()")."""
    return "::".join(name.split("(", 1)[0].split("::")[:2])


def viewer_definitions(exported, listed):
    """Exported names of the viewer's classes that the library must not define for the viewer.

    A class the library creates but whose virtual functions are all inline has its table and
    type information made wherever it is constructed: in an ELF library they are weak and
    exported, and the dynamic linker binds every use in the process to one copy, all alike as
    they come from the same headers. Anything else of the viewer's, a strong definition or a
    function, would take the viewer's place.
    """
    own = {scope_of(name) for name in listed}
    problems = []
    for name, kind in sorted(exported.items()):
        subject, made = name, None
        for prefix in MADE_FOR:
            if name.startswith(prefix):
                subject, made = name[len(prefix):], prefix
                break
        if made == "construction vtable for ":
            subject = subject.rpartition("-in-")[2]  # a base's table inside the derived class's
        namespace = subject.split("::", 1)[0]
        if namespace not in VIEWER_NAMESPACES or scope_of(subject) in own:
            continue
        if made not in TABLES or kind not in ("V", "W", "v", "w"):
            problems.append(f"defines the viewer's {name} ({kind or 'exported'}), not as a weak "
                            "table or type information")
    return problems


def pe_exports(header, cxxfilt):
    mangled, in_table = [], False
    for line in header.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
            continue
        if in_table:
            match = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
            if not match:
                break
            mangled.append(match.group(1))
    return demangled(cxxfilt, mangled)


def pe_problems(header, machine, imports):
    problems = []
    if machine:
        if not re.search(rf"file format pei-{re.escape(machine)}\s*$", header, re.M):
            problems.append(f"not a PE image for {machine}")
        if not re.search(r"^Magic\s+\S+\s+\(PE32\)", header, re.M):
            problems.append("not PE32 (32-bit)")
        flags = re.search(r"^Characteristics 0x[0-9a-fA-F]+\n((?:\t.*\n)*)", header, re.M)
        if not flags or "\tDLL\n" not in flags.group(1):
            problems.append("not a DLL")
    if imports is not None:
        allowed = {name.lower() for name in imports}
        for name in re.findall(r"^\s*DLL Name: (\S+)", header, re.M):
            if name.lower() not in allowed:
                problems.append(f"imports {name} (allowed: {', '.join(imports)})")
    return problems


def is_own_name(name, namespace):
    # Tables, type information and thunks that the compiler makes for exported classes are
    # named "vtable for ...", "virtual thunk to ..." and so on: only the names themselves count.
    return name.startswith(namespace + "::")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--format", choices=("elf", "pe"), required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--expected")
    parser.add_argument("--namespace", default="sxmk")
    parser.add_argument("--nm", default="nm")
    parser.add_argument("--objdump", default="objdump")
    parser.add_argument("--cxxfilt", default="c++filt")
    parser.add_argument("--machine", help="PE: expected architecture, e.g. i386")
    parser.add_argument("--imports", help="PE: comma-separated DLLs that it may import")
    args = parser.parse_args()

    problems = []
    if args.format == "elf":
        kinds = elf_exports(args.nm, args.library)
    else:
        header = run([args.objdump, "-p", args.library])
        imports = None if args.imports is None else [n for n in args.imports.split(",") if n]
        problems += pe_problems(header, args.machine, imports)
        kinds = {name: "" for name in pe_exports(header, args.cxxfilt)}
    exported = set(kinds)

    if args.expected:
        expected, forbidden = read_expectation(args.expected)
        if not expected:
            problems.append(f"{args.expected} lists no names")
        for name in expected:
            if name not in exported:
                problems.append(f"not exported: {name}")
        for text in forbidden:
            for name in sorted(exported):
                if text in name:
                    problems.append(f"exported although forbidden ({text}): {name}")
        listed = set(expected)
        for name in sorted(exported):
            if is_own_name(name, args.namespace) and name not in listed:
                problems.append(f"exported but not listed: {name}")
        problems += viewer_definitions(kinds, listed)

    for problem in problems:
        print(f"{args.library}: {problem}")
    if problems:
        return 1
    print(f"{args.library}: {len(exported)} exported names, all as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
