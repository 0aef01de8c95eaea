#!/usr/bin/env python3
"""Mutants of the library's sources for scripts/mutation.sh: one-line faults found by scanning
the source lines with regular expressions.

  mutation_sites.py list TREE                  mutants per file and kind of fault
  mutation_sites.py pick TREE COUNT SEED PLAN  writes COUNT mutants drawn with SEED to PLAN
  mutation_sites.py apply TREE PLAN N BACKUP   writes mutant N of PLAN into its file in TREE,
                                               the file's original into BACKUP; prints the
                                               file's path relative to TREE
  mutation_sites.py describe PLAN N            prints "file:line old -> new" of mutant N
  mutation_sites.py sync SOURCE TREE           makes TREE a copy of SOURCE's files (tracked and
                                               untracked, not ignored); only files whose content
                                               differs are written, so a build of TREE stays
                                               incremental

The scan reads the library's .cpp and .h files under common/src, centerline/src,
centerline_shadow/src and callout/src. The public headers hold declarations, enumerator values
and array sizes only: their mutants would rebuild every test and tool for faults that the
interface checks, not the behaviour tests, are there for. Comments, string and character
literals, preprocessor lines, code for Windows only (#ifdef _WIN32), assertions and calls of
reserve() (a capacity changes no result) are skipped.

Kinds of fault:
  relational   < <= > >= == != (binary, spaced as clang-format spaces them): a boundary moved
               (< to <=) or turned round (< to >), == and != swapped
  arithmetic   + - * / and += -= *= /= (binary, spaced): + with -, * with /
  logical      && with ||
  constant     integer 0 -> 1, 1 -> 0, n -> n + 1 (not an index, an array size or a template
               argument); a floating literal 0 -> 1, x -> 1.5 x (suffix kept)
  negation     if (c) / while (c) -> if (!(c)) when the condition closes on its line and
               declares nothing
  removal      break; and continue; removed, and an early return (the body of an if or an else)
               removed: the line becomes an empty statement
"""

import json
import os
import random
import re
import shutil
import subprocess
import sys
from dataclasses import asdict, dataclass

SOURCE_DIRS = ("common/src", "centerline/src", "centerline_shadow/src", "callout/src")
EXTENSIONS = (".cpp", ".h")

RELATIONAL = {
    "<": ("<=", ">"),
    "<=": ("<", ">="),
    ">": (">=", "<"),
    ">=": (">", "<="),
    "==": ("!=",),
    "!=": ("==",),
}
ARITHMETIC = {
    "+": ("-",),
    "-": ("+",),
    "*": ("/",),
    "/": ("*",),
    "+=": ("-=",),
    "-=": ("+=",),
    "*=": ("/=",),
    "/=": ("*=",),
}
LOGICAL = {"&&": ("||",), "||": ("&&",)}
BINARY = {**RELATIONAL, **ARITHMETIC, **LOGICAL}

# A binary operator with white space (or the line's end) on both sides: clang-format spaces
# binary operators so, and never template brackets, pointer declarators, -> or unary operators.
BINARY_RE = re.compile(
    r"(?:(?<=\s)|^)(" + "|".join(re.escape(op) for op in sorted(BINARY, key=len, reverse=True))
    + r")(?=\s|$)")
# A number that is not part of a name or of another number; suffixes u, l and f are kept.
FLOAT_RE = re.compile(r"(?<![\w.])(\d+\.\d*(?:[eE][-+]?\d+)?|\d+[eE][-+]?\d+)([fF]?)(?![\w.])")
INT_RE = re.compile(r"(?<![\w.'])(0|[1-9]\d*)([uUlL]*)(?![\w.'])")
CONDITION_RE = re.compile(r"\b(if|while)\s*\(")
# A condition that declares a variable (if (T* p = f())) cannot be negated as written.
DECLARING_RE = re.compile(r"^\s*(?:const\s+)?[\w:]+(?:<[^()]*>)?(?:\s*[*&]+\s*|\s+)\w+\s*=(?!=)")
IF_HEAD_RE = re.compile(r"^(?:\}\s*)?(?:else\s+)?if\s*\(|^(?:\}\s*)?else\b")


@dataclass(frozen=True)
class Mutant:
    path: str  # relative to the tree, with /
    line: int  # 1-based
    kind: str
    old: str  # the whole line as in the file, without its line end
    new: str

    def describe(self) -> str:
        return f"{self.path}:{self.line} {self.old.strip()} -> {self.new.strip() or '(removed)'}"


def mask_code(lines):
    """The lines with comments blanked and the insides of string and character literals replaced
    by '_' (same columns), so that a match on a masked line is a place in code."""
    masked = []
    in_comment = False
    for text in lines:
        out = list(text)
        i, n = 0, len(text)
        while i < n:
            if in_comment:
                end = text.find("*/", i)
                stop = n if end < 0 else end + 2
                out[i:stop] = " " * (stop - i)
                in_comment = end < 0
                i = stop
                continue
            c = text[i]
            if text.startswith("//", i):
                out[i:] = " " * (n - i)
                break
            if text.startswith("/*", i):
                end = text.find("*/", i + 2)
                stop = n if end < 0 else end + 2
                out[i:stop] = " " * (stop - i)
                in_comment = end < 0
                i = stop
                continue
            # A quote after a digit is a digit separator (1'000), not a character literal.
            if c == '"' or (c == "'" and not (i > 0 and text[i - 1].isalnum())):
                j = i + 1
                while j < n and text[j] != c:
                    j += 2 if text[j] == "\\" else 1
                stop = min(j, n)
                out[i + 1:stop] = "_" * (stop - i - 1)
                i = stop + 1
                continue
            i += 1
        masked.append("".join(out))
    return masked


def matching_paren(text, open_index):
    depth = 0
    for i in range(open_index, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def nudged_float(literal):
    value = float(literal)
    if value == 0:
        return "1.0"
    text = f"{value * 1.5:.6g}"
    return text if any(c in text for c in ".e") else text + ".0"


def skipped_lines(masked):
    """Indexes of lines that are not mutated: preprocessor lines (with their continuations),
    lines of Windows-only blocks, assertions and reservations of capacity."""
    skipped = set()
    windows_depth = []  # per open #if: whether its current branch is Windows-only code
    continued = False
    for index, text in enumerate(masked):
        stripped = text.strip()
        if continued or stripped.startswith("#"):
            skipped.add(index)
            continued = text.rstrip().endswith("\\")
            directive = re.match(r"#\s*(\w+)\s*(.*)", stripped)
            if directive:
                word, rest = directive.groups()
                windows = "_WIN32" in rest or "_MSC_VER" in rest
                negated = word == "ifndef" or rest.startswith("!")
                if word in ("if", "ifdef", "ifndef"):
                    windows_depth.append(windows and not negated)
                elif word in ("else", "elif") and windows_depth:
                    windows_depth[-1] = not windows_depth[-1]
                elif word == "endif" and windows_depth:
                    windows_depth.pop()
            continue
        # Assertions only check; a reserved capacity changes no result.
        if any(windows_depth) or re.search(r"\b(?:static_)?assert\s*\(|\.reserve\(", text):
            skipped.add(index)
    return skipped


def is_early_return(masked, index, skipped):
    """Whether the return statement on line index is the body of an if or an else (braced or
    not), which the function goes on past when it is removed."""
    k = index - 1
    while k >= 0 and (k in skipped or not masked[k].strip()):
        k -= 1
    if k < 0:
        return False
    previous = masked[k].strip()
    if previous.endswith("{"):
        return bool(IF_HEAD_RE.match(previous))
    if previous == "else" or previous == "} else":
        return True
    if not previous.endswith(")"):
        return False
    # A braceless if whose condition may take a few lines: its head is the nearest line above
    # that starts with if, with no statement in between.
    for j in range(k, max(k - 4, -1), -1):
        line = masked[j].strip()
        if IF_HEAD_RE.match(line):
            return True
        if line.endswith((";", "{", "}")):
            return False
    return False


def mutants_of_lines(path, lines):
    masked = mask_code(lines)
    skipped = skipped_lines(masked)
    found = []

    def add(index, kind, start, end, replacement):
        old = lines[index]
        found.append(Mutant(path, index + 1, kind, old, old[:start] + replacement + old[end:]))

    for index, code in enumerate(masked):
        if index in skipped or not code.strip():
            continue
        for m in BINARY_RE.finditer(code):
            op = m.group(1)
            kind = ("relational" if op in RELATIONAL else
                    "arithmetic" if op in ARITHMETIC else "logical")
            for replacement in BINARY[op]:
                add(index, kind, m.start(1), m.end(1), replacement)
        floats = []
        for m in FLOAT_RE.finditer(code):
            floats.append((m.start(), m.end()))
            add(index, "constant", m.start(1), m.end(1), nudged_float(m.group(1)))
        for m in INT_RE.finditer(code):
            # Not a number inside a float, an index or array size ([2]) or a template
            # argument (std::array<double, 3>): those mutants only read out of bounds or stop
            # compiling.
            if any(a <= m.start() < b for a, b in floats) or (
                    code[:m.start()].endswith("[") and code[m.end():].startswith("]")) or (
                    code[m.end():].startswith(">") or code[:m.start()].endswith("<")):
                continue
            value = int(m.group(1))
            add(index, "constant", m.start(1), m.end(1), str(1 if value == 0 else
                                                            0 if value == 1 else value + 1))
        for m in CONDITION_RE.finditer(code):
            open_index = m.end() - 1
            close = matching_paren(code, open_index)
            if close < 0 or DECLARING_RE.match(code[open_index + 1:close]):
                continue
            old = lines[index]
            found.append(Mutant(path, index + 1, "negation", old,
                                old[:open_index + 1] + "!(" + old[open_index + 1:close] + ")"
                                + old[close:]))
        statement = code.strip()
        indent = code[:len(code) - len(code.lstrip())]
        if statement in ("break;", "continue;") or (
                re.match(r"return\b.*;$", statement) and is_early_return(masked, index, skipped)):
            found.append(Mutant(path, index + 1, "removal", lines[index], indent + ";"))
    return found


def source_files(tree):
    for folder in SOURCE_DIRS:
        base = os.path.join(tree, folder)
        for dirpath, _, files in os.walk(base):
            for name in sorted(files):
                if name.endswith(EXTENSIONS):
                    full = os.path.join(dirpath, name)
                    yield os.path.relpath(full, tree).replace(os.sep, "/")


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        return f.read().split("\n")


def all_mutants(tree):
    found = []
    for rel in sorted(source_files(tree)):
        found.extend(mutants_of_lines(rel, read_lines(os.path.join(tree, rel))))
    return found


def pick(mutants, count, seed):
    """count mutants drawn with seed, in file and line order (the same sources and arguments
    give the same draw)."""
    chosen = random.Random(seed).sample(mutants, min(count, len(mutants)))
    order = {id(m): i for i, m in enumerate(mutants)}
    return sorted(chosen, key=lambda m: order[id(m)])


def load_plan(plan):
    with open(plan, encoding="utf-8") as f:
        return [Mutant(**json.loads(line)) for line in f if line.strip()]


def apply(tree, mutant, backup):
    target = os.path.join(tree, mutant.path)
    lines = read_lines(target)
    if lines[mutant.line - 1] != mutant.old:
        raise SystemExit(f"mutation_sites: {mutant.path}:{mutant.line} is no longer the planned "
                         "line (sources changed since the plan was made)")
    os.makedirs(os.path.dirname(backup) or ".", exist_ok=True)
    shutil.copyfile(target, backup)
    lines[mutant.line - 1] = mutant.new
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def sync(source, tree):
    listed = subprocess.run(
        ["git", "-C", source, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        check=True, capture_output=True).stdout.decode().split("\0")
    wanted = set()
    written = 0
    for rel in filter(None, listed):
        src = os.path.join(source, rel)
        if not os.path.isfile(src) or os.path.islink(src):
            continue
        wanted.add(os.path.normpath(rel))
        dst = os.path.join(tree, rel)
        with open(src, "rb") as f:
            content = f.read()
        if os.path.isfile(dst):
            with open(dst, "rb") as f:
                if f.read() == content:
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        # Written anew (not copied with its time stamp): the build must see the change.
        with open(dst, "wb") as f:
            f.write(content)
        shutil.copymode(src, dst)
        written += 1
    removed = 0
    for dirpath, _, files in os.walk(tree):
        for name in files:
            rel = os.path.normpath(os.path.relpath(os.path.join(dirpath, name), tree))
            if rel not in wanted:
                os.remove(os.path.join(dirpath, name))
                removed += 1
    print(f"mutation: source copy: {written} files written, {removed} removed", file=sys.stderr)


def main(argv):
    if len(argv) >= 2 and argv[0] == "list":
        mutants = all_mutants(argv[1])
        kinds = sorted({m.kind for m in mutants})
        print(f"{'file':58}" + "".join(f"{k:>11}" for k in kinds) + f"{'all':>7}")
        for rel in sorted({m.path for m in mutants}):
            of_file = [m for m in mutants if m.path == rel]
            print(f"{rel:58}" + "".join(f"{sum(m.kind == k for m in of_file):11d}" for k in kinds)
                  + f"{len(of_file):7d}")
        print(f"{'all':58}" + "".join(f"{sum(m.kind == k for m in mutants):11d}" for k in kinds)
              + f"{len(mutants):7d}")
        return 0
    if len(argv) == 5 and argv[0] == "pick":
        tree, count, seed, plan = argv[1], int(argv[2]), int(argv[3]), argv[4]
        mutants = all_mutants(tree)
        chosen = pick(mutants, count, seed)
        with open(plan, "w", encoding="utf-8") as f:
            for m in chosen:
                f.write(json.dumps(asdict(m)) + "\n")
        files = len({m.path for m in mutants})
        print(f"{len(chosen)} {len(mutants)} {files}")
        return 0
    if len(argv) == 5 and argv[0] == "apply":
        mutant = load_plan(argv[2])[int(argv[3])]
        apply(argv[1], mutant, argv[4])
        print(mutant.path)
        return 0
    if len(argv) == 3 and argv[0] == "describe":
        print(load_plan(argv[1])[int(argv[2])].describe())
        return 0
    if len(argv) == 3 and argv[0] == "sync":
        sync(argv[1], argv[2])
        return 0
    print(__doc__.split("\n\n")[1], file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
