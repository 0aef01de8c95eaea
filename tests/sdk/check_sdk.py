#!/usr/bin/env python3
"""Checks of the build against a viewer SDK folder (scripts/sdk-build.sh).

    check_sdk.py layout --sdk DIR --headers host/include --require lib/libillsxmk_host.so
    check_sdk.py same-flags --reference build/a/compile_commands.json \
        --sdk-build build/b/compile_commands.json --source-dir . --sdk DIR

layout: the SDK folder holds headers and binaries only: every file is a .h below include/ or a
library, DLL or import library directly in lib/ or bin/; include/ holds exactly the headers
found below --headers; each --require file is there.

same-flags: the library target (--target, default illsxmk) is compiled alike in the normal build
(--reference) and in the build against the SDK: the same sources with the same flags, the host's
include folder aside (the stand-in's <source>/host/include there, <sdk>/include here), and the
build against the SDK compiles nothing else (but the targets named by --also, the conformance
suite) and reads nothing from the stand-in's sources.

Exit status 1 with one line per problem.
"""

import argparse
import json
import os
import re
import shlex
import sys

LIBRARY_FILE = re.compile(r"\.(so(\.\d+)*|a|dll|lib)$")
VIEWER_HEADERS = "<viewer headers>"


def files_below(top):
    found = []
    for folder, _, names in os.walk(top):
        for name in names:
            found.append(os.path.relpath(os.path.join(folder, name), top).replace(os.sep, "/"))
    return sorted(found)


def layout_problems(sdk, headers, required):
    problems, installed = [], set()
    for path in files_below(sdk):
        parts = path.split("/")
        if parts[0] == "include" and path.endswith(".h"):
            installed.add(path[len("include/"):])
        elif len(parts) == 2 and parts[0] in ("lib", "bin") and LIBRARY_FILE.search(parts[1]):
            continue
        else:
            problems.append(f"neither a header nor a library: {path}")
    expected = set(files_below(headers))
    problems += [f"header missing: include/{h}" for h in sorted(expected - installed)]
    problems += [f"not a host header: include/{h}" for h in sorted(installed - expected)]
    problems += [f"missing: {f}" for f in required if not os.path.isfile(os.path.join(sdk, f))]
    return problems


def target_commands(path, target, also=()):
    """Maps each source file of TARGET to its compile arguments; also returns the other sources,
    and the arguments of those of the targets ALSO."""
    with open(path, encoding="utf-8") as f:
        entries = json.load(f)
    own, others, allowed = {}, [], {}
    for entry in entries:
        args = entry.get("arguments") or shlex.split(entry["command"])
        # The resource compiler's entry names its output last, without -o.
        output = entry.get("output") or (args[args.index("-o") + 1] if "-o" in args else args[-1])
        # A generated source (the version resource) is named as in any build folder.
        source = in_build(entry["directory"], entry["file"])
        output = output.replace("\\", "/")
        if output.startswith(f"CMakeFiles/{target}.dir/"):
            own[source] = (entry["directory"], args)
        elif any(re.match(rf"(.*/)?CMakeFiles/{re.escape(t)}\.dir/", output) for t in also):
            allowed[source] = args
        else:
            others.append(source)
    return own, others, allowed


def in_build(directory, text):
    """TEXT with the build folder DIRECTORY named <build>."""
    return re.sub(re.escape(directory) + r"(?=[/\\]|$)", "<build>", text)


def normalized(directory, args, host_includes):
    """ARGS with the build folder and the host's include folder (-I or -isystem) named alike."""
    result, i = [], 0
    while i < len(args):
        arg = args[i]
        flag = next((f for f in ("-isystem", "-I") if arg.startswith(f)), None)
        if flag:
            value = arg[len(flag):] or args[i + 1]
            i += 1 if arg != flag else 2
            result.append(VIEWER_HEADERS if os.path.normpath(value) in host_includes
                          else flag + value)
        else:
            result.append(arg)
            i += 1
    return [in_build(directory, a) for a in result]


def flag_problems(reference, sdk_build, source_dir, sdk, target="illsxmk", also=()):
    stand_in = os.path.normpath(os.path.abspath(os.path.join(source_dir, "host")))
    sdk = os.path.normpath(os.path.abspath(sdk))
    host_includes = {os.path.join(stand_in, "include"), os.path.join(sdk, "include")}
    normal, _, _ = target_commands(reference, target)
    alone, others, allowed = target_commands(sdk_build, target, also)
    problems = [f"compiled against the SDK but not part of {target}: {f}" for f in others]
    problems += [f"{source}: reads the stand-in's sources against the SDK"
                 for source, args in sorted(allowed.items())
                 if any(stand_in + os.sep in os.path.normpath(a) for a in args)]
    problems += [f"not compiled against the SDK: {f}" for f in sorted(set(normal) - set(alone))]
    problems += [f"compiled against the SDK only: {f}" for f in sorted(set(alone) - set(normal))]
    for source in sorted(set(normal) & set(alone)):
        directory, args = alone[source]
        if any(stand_in + os.sep in os.path.normpath(a) for a in args):
            problems.append(f"{source}: reads the stand-in's sources against the SDK")
        a = normalized(directory, args, host_includes)
        b = normalized(*normal[source], host_includes)
        if a != b:
            only_normal = [x for x in b if x not in a]
            only_sdk = [x for x in a if x not in b]
            if only_normal or only_sdk:
                problems.append(f"{source}: flags differ: only in the normal build "
                                f"{only_normal}, only against the SDK {only_sdk}")
            else:
                problems.append(f"{source}: the same flags in another order: {a}")
    if not normal:
        problems.append(f"{reference}: no source of {target}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    layout = commands.add_parser("layout")
    layout.add_argument("--sdk", required=True)
    layout.add_argument("--headers", required=True, help="the stand-in's include folder")
    layout.add_argument("--require", action="append", default=[], help="file below --sdk")
    flags = commands.add_parser("same-flags")
    flags.add_argument("--reference", required=True, help="compile_commands.json, normal build")
    flags.add_argument("--sdk-build", required=True, help="compile_commands.json, against the SDK")
    flags.add_argument("--source-dir", required=True)
    flags.add_argument("--sdk", required=True)
    flags.add_argument("--target", default="illsxmk")
    flags.add_argument("--also", action="append", default=[],
                       help="another target built against the SDK (the conformance suite)")
    args = parser.parse_args()

    if args.command == "layout":
        problems = layout_problems(args.sdk, args.headers, args.require)
        success = f"{args.sdk}: headers and binaries only, every host header"
    else:
        problems = flag_problems(args.reference, args.sdk_build, args.source_dir, args.sdk,
                                 args.target, args.also)
        success = f"{args.target}: compiled alike in the normal build and against the SDK"
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(success)
    return 0


if __name__ == "__main__":
    sys.exit(main())
