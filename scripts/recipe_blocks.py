#!/usr/bin/env python3
"""Reads the recipe out of a Markdown guide: the fenced blocks that follow a marker line
"<!-- recipe: NAME -->".

    recipe_blocks.py GUIDE --script NAME...   the shell blocks of these names, in the guide's order,
                                              each first printing "::recipe-block NAME"
    recipe_blocks.py GUIDE --packages         the Debian packages that the "packages" block installs
    recipe_blocks.py GUIDE --prints           the lines that the "prints" blocks say a program prints
    recipe_blocks.py GUIDE --names            the names of the blocks, one per block

Fails (exit 2) on a marker that no fenced block follows, on a line that looks like a marker but is
not one, on a fence that does not close, on prints blocks without a line, and on a name asked for
that no block has.
"""

import argparse
import re
import sys

MARKER = re.compile(r"^<!-- recipe: ([a-z-]+) -->$")
NEAR_MARKER = re.compile(r"^\s*<!--\s*recipe", re.IGNORECASE)
FENCE = re.compile(r"^```([a-z]*)$")


BLOCK_START = "::recipe-block "


def blocks(path):
    """[(name, language, text)] in the guide's order."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    found, at = [], 0
    while at < len(lines):
        marker = MARKER.match(lines[at])
        at += 1
        if not marker:
            # A misspelt marker would drop its block from the recipe without a word.
            if NEAR_MARKER.match(lines[at - 1]):
                raise ValueError(f"{path}:{at}: not a recipe marker: {lines[at - 1].strip()}")
            continue
        name = marker.group(1)
        fence = FENCE.match(lines[at]) if at < len(lines) else None
        if not fence or not fence.group(1):
            raise ValueError(f"{path}:{at}: recipe block {name!r}: no fenced block follows")
        body = []
        at += 1
        while at < len(lines) and lines[at] != "```":
            body.append(lines[at])
            at += 1
        if at == len(lines):
            raise ValueError(f"{path}: recipe block {name!r} does not close")
        at += 1
        found.append((name, fence.group(1), "\n".join(body) + "\n"))
    return found


def packages(text):
    """The packages of the block's apt-get install commands."""
    found = []
    for command in text.replace("\\\n", " ").splitlines():
        words = command.split()
        if words[:2] == ["apt-get", "install"]:
            found += [word for word in words[2:] if not word.startswith("-")]
    if not found:
        raise ValueError("the packages block installs nothing with apt-get install")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("guide")
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("--script", nargs="+", metavar="NAME")
    group.add_argument("--packages", action="store_true")
    group.add_argument("--prints", action="store_true")
    group.add_argument("--names", action="store_true")
    args = parser.parse_args()
    try:
        found = blocks(args.guide)
        if args.names:
            print("\n".join(name for name, _, _ in found))
            return 0
        wanted = args.script or (["packages"] if args.packages else ["prints"])
        missing = sorted(set(wanted) - {name for name, _, _ in found})
        if missing:
            raise ValueError(f"{args.guide}: no recipe block named {', '.join(missing)}")
        chosen = [(name, text) for name, _, text in found if name in wanted]
        if args.packages:
            print("\n".join(p for _, text in chosen for p in packages(text)))
        elif args.prints:
            text = "".join(text for _, text in chosen)
            # Without a line, the check of what the programs print would pass whatever they print.
            if not text.strip():
                raise ValueError(f"{args.guide}: the prints blocks hold no line")
            sys.stdout.write(text)
        else:
            # Each block's output starts with a line of its own, so that a check can find it.
            for name, text in chosen:
                sys.stdout.write(f"echo {BLOCK_START}{name}\n{text}")
    except ValueError as error:
        print(f"recipe_blocks: {error}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
