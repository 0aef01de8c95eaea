#!/usr/bin/env python3
"""Checks the symbols that a shared library imports from the host library against a list.

    check_imports.py --format elf --nm nm --cxxfilt c++filt --library libillsxmk.so \
        --host libillsxmk_host.so --expected viewer_imports.txt --build gcc
    check_imports.py --format pe --objdump i686-w64-mingw32-objdump \
        --cxxfilt i686-w64-mingw32-c++filt --library libillsxmk.dll \
        --host libillsxmk_host.dll --expected viewer_imports.txt --build mingw

--host names each of the viewer's libraries (the stand-in is one).

The viewer's loader refuses the library when it imports a host symbol that the viewer does not
provide, so every host import must be one that the list allows.

ELF: the library's undefined dynamic symbols that the host library defines (nm -D). PE: the
entries of the library's import table for the host DLL (objdump -p), which must be imported by
name. Names are compared demangled, with the standard library's ABI namespaces and tags
(std::__1, std::__cxx11, [abi:cxx11]) dropped, so one list serves libstdc++ and libc++.

The list holds one name per line, followed by " | " and the builds that import it ("#" starts
a comment line): gcc (g++ and libstdc++, optimised, without the sanitizers), gcc-ubsan (g++ and
libstdc++ with the sanitizers), libcxx-ubsan (clang and libc++ with the sanitizers), mingw (the
optimised 32-bit DLL), or "all" for every one of them. The sanitizers' type checks and libc++'s
virtual thunks import names that no other build does, so a
name is listed for exactly the builds that import it. Checking the library of build --build, the
checker fails (exit 1) naming each import that the list lacks for that build and each name listed
for that build that it does not import; a name listed for no build, or for a build it does not
know, is an error of the list.
"""

import argparse
import os
import re
import sys

sys.dont_write_bytecode = True  # no cache folder in the source tree
from symbols import demangled, list_lines, normalized, run


BUILDS = ("gcc", "gcc-ubsan", "libcxx-ubsan", "mingw")


def read_list(path):
    """{name: set of builds} and the list's own errors."""
    entries, errors = {}, []
    for line in list_lines(path):
        name, bar, tags = line.rpartition(" | ")
        if not bar:
            errors.append(f"listed for no build: {line}")
            continue
        builds = set()
        for tag in tags.split():
            if tag == "all":
                builds.update(BUILDS)
            elif tag in BUILDS:
                builds.add(tag)
            else:
                errors.append(f"listed for an unknown build {tag!r}: {name}")
        if not builds:
            errors.append(f"listed for no build: {name}")
        key = normalized(name.strip())
        if key in entries:
            errors.append(f"listed twice: {key}")
        entries[key] = builds
    return entries, errors


def nm_names(nm, library, which):
    # "ADDRESS TYPE NAME", or "TYPE NAME" for an undefined symbol: the name is the last field.
    # A symbol version ("NAME@VERSION") is not part of the name.
    names = set()
    for line in run([nm, "-D", which, library]).splitlines():
        fields = line.split()
        if len(fields) >= 2:
            names.add(fields[-1].split("@", 1)[0])
    return names


def elf_imports(nm, library, host):
    return nm_names(nm, library, "--undefined-only") & nm_names(nm, host, "--defined-only")


def pe_imports(header, dll):
    """Names that the objdump -p header imports from dll, and the ordinals imported by number."""
    names, ordinals, in_block = [], [], False
    for line in header.splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            in_block = match.group(1).lower() == dll.lower()
            continue
        if not in_block or "Hint/Ord" in line:
            continue
        entry = re.match(r"\s*[0-9a-fA-F]+\s+(\d+)\s+(\S+)", line)
        if not entry:
            in_block = False  # the blank line that ends the DLL's entries
        elif entry.group(2) == "<none>":
            ordinals.append(entry.group(1))
        else:
            names.append(entry.group(2))
    return names, ordinals


def undecorated(symbol):
    # What an import may carry around the compiler's name: the import thunk's prefix, the extra
    # underscore of i386 C symbols in front of a C++ name, a stdcall argument size.
    if symbol.startswith("__imp_"):
        symbol = symbol[len("__imp_"):]
    if symbol.startswith("__Z"):
        symbol = symbol[1:]
    return re.sub(r"@\d+$", "", symbol)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--format", choices=("elf", "pe"), required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--host", required=True, action="append",
                        help="a viewer library (PE: its DLL's file name); repeat for each")
    parser.add_argument("--expected", required=True)
    parser.add_argument("--nm", default="nm")
    parser.add_argument("--objdump", default="objdump")
    parser.add_argument("--cxxfilt", default="c++filt")
    parser.add_argument("--build", required=True, choices=BUILDS)
    args = parser.parse_args()

    problems = []
    hosts = [os.path.basename(host) for host in args.host]
    if args.format == "elf":
        symbols = set()
        for host in args.host:
            symbols |= elf_imports(args.nm, args.library, host)
        symbols = sorted(symbols)
    else:
        header = run([args.objdump, "-p", args.library])
        symbols = []
        for dll in hosts:
            names, ordinals = pe_imports(header, dll)
            symbols += [undecorated(symbol) for symbol in names]
            problems += [f"imported from {dll} by ordinal {n}, not by name" for n in ordinals]
    imported = demangled(args.cxxfilt, symbols)

    listed, errors = read_list(args.expected)
    problems += errors
    if not listed:
        problems.append(f"{args.expected} lists no names")
    if not imported and not problems:
        # A library that imports nothing from the host is not what this check is for: most
        # likely the host was named wrongly, and every import would go unchecked.
        problems.append(f"imports nothing from {', '.join(hosts)}")
    allowed = {name for name, builds in listed.items() if args.build in builds}
    for name in sorted(imported - allowed):
        if name in listed:
            problems.append(f"imported but not listed for {args.build}: {name}")
        else:
            problems.append(f"imported but not listed: {name}")
    for name in sorted(allowed - imported):
        problems.append(f"listed for {args.build}, not imported: {name}")

    for problem in problems:
        print(f"{args.library}: {problem}")
    if problems:
        return 1
    print(f"{args.library}: {len(imported)} host imports, exactly those listed for {args.build}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
