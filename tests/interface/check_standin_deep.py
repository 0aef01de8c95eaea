#!/usr/bin/env python3
"""Two checks that the library's sources reach the stand-in only through the viewer's contract,
where the compiler's refusal of marked names cannot see:

  --templates: compiles every library source (or a probe, with --probe) with clang, its own
      include folders and defines, and deprecation warnings reported also inside system headers.
      A marked name that the library uses through a standard template (std::find over points,
      == on vectors of points, std::equal_to) is reported where the template is instantiated,
      inside the standard library's headers, which the ordinary build does not warn about.
  --pragmas: reads every library source and header and fails on a diagnostic pragma, or on the
      stand-in's header brackets (SXHOST_HEADER_BEGIN/END) anywhere but the adapter header:
      either would silence the refusal for the code it brackets.

    check_standin_deep.py --templates --compile-commands build/compile_commands.json \
        --clang clang++ [--probe probe.cpp --define NAME --mention TEXT]
    check_standin_deep.py --pragmas --root . [--extra-source file]
"""

import argparse
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_standin_refused import REASON, library_command, probe_command  # noqa: E402

LIBRARY_FOLDERS = ("centerline", "centerline_shadow", "callout", "common")
ADAPTER = os.path.join("common", "src", "ViewerAdapter.h")
DEEP_FLAGS = ["-Wno-everything", "-Wdeprecated-declarations", "-Wsystem-headers",
              "-Werror=deprecated-declarations"]


def library_sources(compile_commands):
    import json
    with open(compile_commands, encoding="utf-8") as f:
        entries = json.load(f)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    root = os.path.dirname(root)
    found = []
    for entry in entries:
        relative = os.path.relpath(os.path.normpath(entry["file"]), root)
        parts = relative.split(os.sep)
        if len(parts) >= 3 and parts[0] in LIBRARY_FOLDERS and parts[1] == "src":
            found.append(relative)
    return sorted(set(found))


def clang_command(words, source_file, compiled, clang, extra):
    command = probe_command(words, source_file, compiled, extra + DEEP_FLAGS)
    return [clang] + command[1:]


def run(command, directory):
    result = subprocess.run(command, cwd=directory, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def check_templates(args):
    if args.probe:
        words, directory, source_file = library_command(args.compile_commands,
                                                        os.path.join("common", "src",
                                                                     "DragOperation.cpp"))
        probe = os.path.abspath(args.probe)
        status, output = run(clang_command(words, source_file, probe, args.clang, []), directory)
        if status != 0:
            print(output, end="")
            print("FAILED: the probe does not compile without the use it is given")
            return 1
        status, output = run(
            clang_command(words, source_file, probe, args.clang, [f"-D{args.define}"]),
            directory)
        print(output, end="")
        if status == 0 or REASON not in output or args.mention not in output:
            print(f"FAILED: {args.mention} through a standard template is not refused")
            return 1
        print(f"refused through a standard template: {args.mention}")
        return 0

    sources = library_sources(args.compile_commands)
    if not sources:
        print("FAILED: no library source in " + args.compile_commands)
        return 1
    failed = 0
    for source in sources:
        words, directory, source_file = library_command(args.compile_commands, source)
        status, output = run(clang_command(words, source_file, source_file, args.clang, []),
                             directory)
        if status != 0:
            print(output, end="")
            print(f"FAILED: {source} uses a name the stand-in keeps for itself")
            failed += 1
    print(f"{len(sources)} library sources checked with warnings inside system headers; "
          f"{failed} refused")
    return 1 if failed else 0


# Diagnostic pragmas, a header declared a system header (whose warnings are silenced), and the
# marker's own macros: a library file that names SXHOST_STANDIN_ONLY or
# SXHOST_REFUSE_STANDIN_EXTRAS can only be turning the marker off.
PRAGMA = re.compile(r"#\s*pragma\s+(GCC|clang)\s+(diagnostic|system_header)|_Pragma\s*\(|"
                    r"__pragma\s*\(|#\s*pragma\s+warning|#\s*pragma\s+system_header|"
                    r"\bSXHOST_STANDIN_ONLY\b|\bSXHOST_REFUSE_STANDIN_EXTRAS\b")
BRACKETS = re.compile(r"\bSXHOST_HEADER_(BEGIN|END)\b")


def check_pragmas(args):
    files = []
    for folder in LIBRARY_FOLDERS:
        for base, _, names in os.walk(os.path.join(args.root, folder)):
            files += [os.path.join(base, n) for n in names if n.endswith((".cpp", ".h"))]
    files += args.extra_source
    failed = 0
    for path in sorted(files):
        relative = os.path.relpath(path, args.root)
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                if PRAGMA.search(line):
                    print(f"{relative}:{number}: silences the marker in the library: "
                          f"{line.strip()}")
                    failed += 1
                if BRACKETS.search(line) and os.path.normpath(relative) != ADAPTER:
                    print(f"{relative}:{number}: the stand-in's header brackets outside the "
                          f"adapter: {line.strip()}")
                    failed += 1
    print(f"{len(files)} library files read; {failed} places silence the refusal")
    if not files:
        print("FAILED: no library file under " + args.root)
        return 1
    return 1 if failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--templates", action="store_true")
    mode.add_argument("--pragmas", action="store_true")
    parser.add_argument("--compile-commands")
    parser.add_argument("--clang", default="clang++")
    parser.add_argument("--probe")
    parser.add_argument("--define")
    parser.add_argument("--mention", default="")
    parser.add_argument("--root", default=".")
    parser.add_argument("--extra-source", action="append", default=[])
    args = parser.parse_args()
    return check_templates(args) if args.templates else check_pragmas(args)


if __name__ == "__main__":
    sys.exit(main())
