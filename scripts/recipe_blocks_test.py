#!/usr/bin/env python3
"""Tests of scripts/recipe_blocks.py: a guide whose recipe would be checked vacuously is refused.

  python3 scripts/recipe_blocks_test.py
"""

import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "recipe_blocks.py")
GUIDE = os.path.join(os.path.dirname(HERE), "docs", "integration.md")


def run(text, *args):
    """(exit status, stdout) of recipe_blocks.py on a guide holding text."""
    with tempfile.NamedTemporaryFile("w", suffix=".md", delete=False) as f:
        f.write(text)
    try:
        done = subprocess.run([sys.executable, TOOL, f.name, *args], capture_output=True,
                              text=True, check=False)
        return done.returncode, done.stdout
    finally:
        os.unlink(f.name)


SCRIPT = "<!-- recipe: native -->\n```sh\n./consumer\n```\n"


class Refused(unittest.TestCase):
    def test_a_prints_block_without_a_line_is_refused(self):
        # Otherwise the check of what the programs print passes whatever they print.
        for body in ("", "\n", "   \n"):
            with self.subTest(body=body):
                status, out = run(SCRIPT + f"<!-- recipe: prints -->\n```text\n{body}```\n",
                                  "--prints")
                self.assertEqual((status, out.strip()), (2, ""))

    def test_a_marker_that_is_almost_right_is_refused(self):
        # Otherwise the block after it drops out of the recipe without a word.
        for marker in ("<!-- recipe: native2 -->", "<!--recipe: native-->",
                       "<!-- recipe: Native -->", "<!-- recipe:native -->"):
            with self.subTest(marker=marker):
                status, _ = run(SCRIPT + f"{marker}\n```sh\nctest\n```\n", "--names")
                self.assertEqual(status, 2)


class TheGuide(unittest.TestCase):
    def test_the_listing_of_imports_names_every_viewer_dll_it_lists(self):
        # The listing is what the viewer's DLLs must export: with more than one SDK library a
        # listing that reads one DLL's block hides the others. It must not name one DLL only.
        with open(GUIDE, encoding="utf-8") as f:
            status, script = run(f.read(), "--script", "imports")
        self.assertEqual(status, 0)
        listing = script[script.index("objdump -p"):]
        listing = listing[:listing.index("c++filt")]
        self.assertNotIn("libillsxmk_host.dll", listing)


if __name__ == "__main__":
    unittest.main()
