#!/usr/bin/env python3
"""Tests of scripts/mutation_sites.py: which places of a source become mutants and which do not,
the draw, the writing and restoring of a mutant, and the copy of the work tree.

  python3 scripts/mutation_sites_test.py   (or scripts/mutation.sh --self-test)
"""

import contextlib
import io
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mutation_sites as ms  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def mutants(source):
    return ms.mutants_of_lines("x.cpp", source.split("\n"))


def quietly(*argv):
    """ms.main(argv) with its printing swallowed."""
    with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(io.StringIO()):
        return ms.main(list(argv))


def changes(source, kind=None):
    """(line, new text stripped) of each mutant, of one kind if given."""
    return [(m.line, m.new.strip()) for m in mutants(source) if kind is None or m.kind == kind]


class Sites(unittest.TestCase):
    def test_operators_in_comments_and_literals_are_not_mutated(self):
        source = ('f("a < b || c - 1");  // x < y && 2\n'
                  "/* a == b\n   c + 1 */ g('<', '-');")
        self.assertEqual(changes(source), [])

    def test_a_digit_separator_is_no_character_literal(self):
        self.assertEqual(changes("n = 1'000 + x;"), [(1, "n = 1'000 - x;")])

    def test_code_after_a_closed_block_comment_is_mutated(self):
        self.assertEqual(changes("/* a < b */ x = a < b;", "relational"),
                         [(1, "/* a < b */ x = a <= b;"), (1, "/* a < b */ x = a > b;")])

    def test_preprocessor_windows_code_and_assertions_are_skipped(self):
        source = ("#include <vector>\n#define N (1 + 2)\n#ifdef _WIN32\nx = a < b;\n#else\n"
                  "y = c + d;\n#endif\nassert(a < b);\nv.reserve(n + 1);")
        self.assertEqual(changes(source), [(6, "y = c - d;")])

    def test_template_brackets_pointers_and_arrows_are_not_operators(self):
        source = ("std::vector<int> v = static_cast<std::vector<int>>(w);\n"
                  "const Row* row = p->next;\nT&& t = -x;")
        self.assertEqual(changes(source), [])

    def test_each_binary_operator_has_its_replacements(self):
        found = changes("r = a <= b;\ns = a != b;\nt = a * b;\nu += a && b;")
        self.assertEqual(found, [(1, "r = a < b;"), (1, "r = a >= b;"), (2, "s = a == b;"),
                                 (3, "t = a / b;"), (4, "u -= a && b;"), (4, "u += a || b;")])

    def test_constants_change_but_not_indexes_sizes_or_template_arguments(self):
        source = ("x = 0;\ny = 1;\nz = 7u;\nw = p[2] + q[i + 1];\nstd::array<double, 3> a;\n"
                  "f(0.5f, 0.0, 1e-6);")
        self.assertEqual(changes(source, "constant"),
                         [(1, "x = 1;"), (2, "y = 0;"), (3, "z = 8u;"),
                          (4, "w = p[2] + q[i + 0];"), (6, "f(0.75f, 0.0, 1e-6);"),
                          (6, "f(0.5f, 1.0, 1e-6);"), (6, "f(0.5f, 0.0, 1.5e-06);")])

    def test_conditions_are_negated_when_they_close_on_their_line(self):
        source = ("if (a && f(b)) {\n}\nwhile (n)\n    --n;\nif (a ||\n    b)\n    g();\n"
                  "if (Row* row = Find(x))\n    h();")
        self.assertEqual(changes(source, "negation"),
                         [(1, "if (!(a && f(b))) {"), (3, "while (!(n))")])

    def test_break_continue_and_early_returns_are_removed(self):
        source = "\n".join([
            "int F(int a) {",        # 1
            "    if (a < 0)",        # 2
            "        return -1;",    # 3: braceless if body
            "    if (a > 9) {",      # 4
            "        return 9;",     # 5: braced if body
            "    }",                 # 6
            "    switch (a) {",      # 7
            "        case 1:",       # 8
            "            break;",    # 9
            "        case 2:",       # 10
            "            return 4;", # 11: a case, not early
            "    }",                 # 12
            "    return a;",         # 13: the last statement
            "}"])
        self.assertEqual(changes(source, "removal"), [(3, ";"), (5, ";"), (9, ";")])

    def test_a_removed_statement_keeps_its_indentation(self):
        removed = [m for m in mutants("if (x)\n    return;") if m.kind == "removal"]
        self.assertEqual([m.new for m in removed], ["    ;"])

    def test_every_mutant_of_the_library_changes_its_line(self):
        found = ms.all_mutants(ROOT)
        self.assertGreater(len(found), 100)
        kinds = {m.kind for m in found}
        self.assertEqual(kinds, {"relational", "arithmetic", "logical", "constant", "negation",
                                 "removal"})
        for m in found:
            self.assertNotEqual(m.old, m.new, m.describe())
            self.assertNotIn("\n", m.new)
            self.assertFalse(m.path.startswith(("tests/", "host/")), m.path)


class Draw(unittest.TestCase):
    def setUp(self):
        self.all = mutants("a = b + c - d * e / f;\nif (a < b && c)\n    return;\nx = 7;")

    def test_a_seed_draws_the_same_mutants_in_source_order(self):
        first = ms.pick(self.all, 4, 3)
        self.assertEqual(first, ms.pick(self.all, 4, 3))
        self.assertEqual(len(set(first)), 4)
        order = [self.all.index(m) for m in first]
        self.assertEqual(order, sorted(order))

    def test_other_seeds_draw_other_mutants(self):
        draws = {tuple(ms.pick(self.all, 3, seed)) for seed in range(1, 6)}
        self.assertGreater(len(draws), 1)

    def test_a_count_above_the_candidates_takes_them_all(self):
        self.assertEqual(ms.pick(self.all, 1000, 1), self.all)


class Files(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.tree = self.dir.name
        os.makedirs(os.path.join(self.tree, "common/src"))
        self.file = os.path.join(self.tree, "common/src/A.cpp")
        with open(self.file, "w") as f:
            f.write("int F(int a) {\n    return a + 1;\n}\n")
        self.plan = os.path.join(self.tree, "plan.jsonl")
        self.backup = os.path.join(self.tree, "saved/original")

    def tearDown(self):
        self.dir.cleanup()

    def read(self, path):
        with open(path) as f:
            return f.read()

    def test_apply_writes_one_mutant_and_keeps_the_original(self):
        self.assertEqual(quietly("pick", self.tree, "10", "1", self.plan), 0)
        plan = ms.load_plan(self.plan)
        self.assertEqual([m.new.strip() for m in plan], ["return a - 1;", "return a + 0;"])
        ms.apply(self.tree, plan[0], self.backup)
        self.assertEqual(self.read(self.file), "int F(int a) {\n    return a - 1;\n}\n")
        self.assertEqual(self.read(self.backup), "int F(int a) {\n    return a + 1;\n}\n")

    def test_apply_refuses_a_plan_made_from_other_sources(self):
        quietly("pick", self.tree, "1", "1", self.plan)
        with open(self.file, "w") as f:
            f.write("int F(int a) {\n    return a * 2;\n}\n")
        with self.assertRaises(SystemExit):
            ms.apply(self.tree, ms.load_plan(self.plan)[0], self.backup)
        self.assertEqual(self.read(self.file), "int F(int a) {\n    return a * 2;\n}\n")

    def test_sync_copies_changed_files_only_and_removes_others(self):
        source = os.path.join(self.tree, "source")
        copy = os.path.join(self.tree, "copy")
        os.makedirs(os.path.join(source, "sub"))
        for name, text in (("keep.txt", "same"), ("sub/changed.txt", "new"),
                           (".gitignore", "ignored.txt\n"), ("ignored.txt", "no")):
            with open(os.path.join(source, name), "w") as f:
                f.write(text)
        subprocess.run(["git", "init", "-q", source], check=True)
        os.makedirs(os.path.join(copy, "sub"))
        for name, text in (("keep.txt", "same"), ("sub/changed.txt", "old"), ("stale.txt", "x")):
            with open(os.path.join(copy, name), "w") as f:
                f.write(text)
        os.utime(os.path.join(copy, "keep.txt"), (1000, 1000))
        quietly("sync", source, copy)
        self.assertEqual(self.read(os.path.join(copy, "sub/changed.txt")), "new")
        self.assertEqual(os.stat(os.path.join(copy, "keep.txt")).st_mtime, 1000)
        self.assertFalse(os.path.exists(os.path.join(copy, "stale.txt")))
        self.assertFalse(os.path.exists(os.path.join(copy, "ignored.txt")))


if __name__ == "__main__":
    unittest.main(verbosity=1)
