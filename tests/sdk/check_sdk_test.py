#!/usr/bin/env python3
"""check_sdk.py must pass the stand-in laid out as an SDK and the library compiled alike, and name
each way in which a folder or a build against it goes wrong."""

import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_sdk  # noqa: E402


def touch(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "w").close()


class LayoutTest(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.headers = os.path.join(scratch.name, "host-include")
        self.sdk = os.path.join(scratch.name, "sdk")
        for header in ("du/SmartPtr.h", "sxk/illustration/SbomInstance.h"):
            touch(os.path.join(self.headers, header))
            touch(os.path.join(self.sdk, "include", header))

    def problems(self, *required):
        return check_sdk.layout_problems(self.sdk, self.headers, list(required))

    def test_linux_and_windows_binaries_pass(self):
        for name in ("lib/libillsxmk_host.so", "lib/libillsxmk_host.so.0.1.0",
                     "lib/illsxmk_host.lib", "lib/libillsxmk_host.dll.a",
                     "bin/libillsxmk_host.dll"):
            touch(os.path.join(self.sdk, name))
        os.symlink("libillsxmk_host.so.0.1.0", os.path.join(self.sdk, "lib/libillsxmk_host.so.0"))
        self.assertEqual(self.problems("lib/libillsxmk_host.so", "bin/libillsxmk_host.dll"), [])

    def test_sources_and_build_files_are_refused(self):
        for name in ("include/du/SmartPtr.cpp", "lib/cmake/illsxmk/illsxmkConfig.cmake",
                     "CMakeLists.txt", "bin/illsxmk-replay", "include/du/README.md",
                     "include/libillsxmk_host.so"):
            touch(os.path.join(self.sdk, name))
        self.assertEqual(self.problems(), [
            "neither a header nor a library: CMakeLists.txt",
            "neither a header nor a library: bin/illsxmk-replay",
            "neither a header nor a library: include/du/README.md",
            "neither a header nor a library: include/du/SmartPtr.cpp",
            "neither a header nor a library: include/libillsxmk_host.so",
            "neither a header nor a library: lib/cmake/illsxmk/illsxmkConfig.cmake"])

    def test_headers_must_match_the_stand_in(self):
        os.remove(os.path.join(self.sdk, "include/sxk/illustration/SbomInstance.h"))
        touch(os.path.join(self.sdk, "include/sxmk/CenterLineXYZ.h"))
        self.assertEqual(self.problems("lib/libillsxmk_host.so"), [
            "header missing: include/sxk/illustration/SbomInstance.h",
            "not a host header: include/sxmk/CenterLineXYZ.h",
            "missing: lib/libillsxmk_host.so"])


class SameFlagsTest(unittest.TestCase):
    SOURCE = "/src"
    FLAGS = "-DILLSXMK_BUILDING -I/src/common/include {host} -O3 -Wall -Werror"

    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.dir = scratch.name
        self.sdk = os.path.join(self.dir, "sdk")

    def commands(self, name, entries):
        build = os.path.join(self.dir, name)
        path = os.path.join(build, "compile_commands.json")
        os.makedirs(build)
        with open(path, "w") as f:
            json.dump([{"directory": build, "file": file.replace("@B", build),
                        "command": f"g++ {flags} -o {output} -c {file}".replace("@B", build)}
                       for file, flags, output in entries], f)
        return path

    def library(self, host, extra="", files=("a.cpp", "b.cpp")):
        flags = self.FLAGS.format(host=host) + extra
        entries = [(f"/src/{f}", flags, f"CMakeFiles/illsxmk.dir/{f}.o") for f in files]
        # The version resource is generated into each build folder.
        entries.append(("@B/illsxmk_version.rc", f"{flags} -I @B/gen", "CMakeFiles/illsxmk.dir/v"))
        return entries

    def problems(self, normal, alone):
        reference = self.commands("normal", normal)
        return check_sdk.flag_problems(reference, self.commands("alone", alone), self.SOURCE,
                                       self.sdk)

    def test_host_headers_and_build_folders_aside_the_flags_match(self):
        normal = self.library("-I/src/host/include")
        normal.append(("/src/host/src/Kernel.cpp", "-O3", "host/CMakeFiles/illsxmk_host.dir/K.o"))
        self.assertEqual(self.problems(normal, self.library(f"-isystem {self.sdk}/include")), [])

    def test_a_flag_that_only_one_build_gives_is_named(self):
        problems = self.problems(self.library("-I/src/host/include", " -DSTANDIN_NAMES_ERROR"),
                                 self.library(f"-isystem {self.sdk}/include"))
        self.assertEqual(len(problems), 3)
        self.assertIn("/src/a.cpp: flags differ: only in the normal build "
                      "['-DSTANDIN_NAMES_ERROR'], only against the SDK []", problems)

    def test_stand_in_headers_against_the_sdk_are_refused(self):
        problems = self.problems(self.library("-I/src/host/include"),
                                 self.library("-I/src/host/include"))
        self.assertIn("/src/a.cpp: reads the stand-in's sources against the SDK", problems)

    def test_sources_beyond_or_missing_from_the_library_are_named(self):
        alone = self.library(f"-isystem {self.sdk}/include", files=("a.cpp", "c.cpp"))
        alone.append(("/src/host/src/Kernel.cpp", "-O3", "host/CMakeFiles/illsxmk_host.dir/K.o"))
        self.assertEqual(self.problems(self.library("-I/src/host/include"), alone), [
            "compiled against the SDK but not part of illsxmk: /src/host/src/Kernel.cpp",
            "not compiled against the SDK: /src/b.cpp",
            "compiled against the SDK only: /src/c.cpp"])

    def test_the_conformance_suite_may_be_built_against_the_sdk_but_not_from_the_stand_in(self):
        suite = "tests/conformance/CMakeFiles/illsxmk_conformance.dir"
        alone = self.library(f"-isystem {self.sdk}/include")
        alone.append(("/src/tests/conformance/Conformance.cpp", f"-isystem {self.sdk}/include",
                      f"{suite}/Conformance.cpp.o"))
        normal = self.library("-I/src/host/include")
        self.assertEqual(check_sdk.flag_problems(
            self.commands("normal", normal), self.commands("alone", alone), self.SOURCE, self.sdk,
            also=["illsxmk_conformance"]), [])
        # Not named: it is a source beyond the library, as before.
        self.assertEqual(check_sdk.flag_problems(
            self.commands("normal1", normal), self.commands("alone1", alone), self.SOURCE,
            self.sdk), [
            "compiled against the SDK but not part of illsxmk: "
            "/src/tests/conformance/Conformance.cpp"])
        # Named, but compiled with the stand-in's headers.
        alone.append(("/src/tests/conformance/Runner.cpp", "-I/src/host/include",
                      f"{suite}/Runner.cpp.o"))
        self.assertEqual(check_sdk.flag_problems(
            self.commands("normal2", normal), self.commands("alone2", alone), self.SOURCE,
            self.sdk, also=["illsxmk_conformance"]),
            ["/src/tests/conformance/Runner.cpp: reads the stand-in's sources against the SDK"])


if __name__ == "__main__":
    unittest.main()
