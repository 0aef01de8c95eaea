#!/usr/bin/env python3
"""Cases of check_imports.py that today's builds do not produce: imports of other DLLs next to
the host's, several viewer DLLs, decorated names, imports by ordinal, a library that imports
nothing from the host; and check_exports.py's reading of the viewer's names that a library
exports.

    CXXFILT=c++filt test_check_imports.py
"""

import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "check_imports.py")
CXXFILT = os.environ.get("CXXFILT", "c++filt")

# objdump -p's import tables as binutils prints them: the host's block between two others.
HEADER = textwrap.dedent("""\
    The Import Tables (interpreted .idata section contents)
    \tDLL Name: KERNEL32.dll
    \tvma:  Hint/Ord Member-Name Bound-To
    \t56a00\t  283  _ZN3sxk6Markup7SetTypeEi

     00056028\t000561d8 00000000 00000000 000587c8 00056550

    \tDLL Name: LIBILLSXMK_HOST.DLL
    \tvma:  Hint/Ord Member-Name Bound-To
    \t56d28\t    5  _ZN3sxk6Markup20NotifyContentChangedEv
    \t56d40\t    9  __imp___ZN2du10RefCounted22ZeroReferenceCountHookEv
    \t56d60\t   12  _ZN3sxk6Kernel9GetKernelEv@0
    \t8000002a\t   42  <none>

     0005603c\t00000000 00000000 00000000 00000000 00000000
    \tDLL Name: msvcrt.dll
    \tvma:  Hint/Ord Member-Name Bound-To
    \t56e00\t   17  _ZN3sxk15RecordOperationERKN2du8SmartPtrINS_9OperationEEE

    The Export Tables (interpreted .edata section contents)
    """)


class PeImports(unittest.TestCase):
    def check(self, header, listed, hosts=("libillsxmk_host.dll",)):
        with tempfile.TemporaryDirectory() as scratch:
            objdump = os.path.join(scratch, "objdump")
            with open(objdump, "w", encoding="utf-8") as f:
                f.write(f"#!{sys.executable}\nprint({header!r}, end='')\n")
            os.chmod(objdump, 0o755)
            expected = os.path.join(scratch, "imports.txt")
            with open(expected, "w", encoding="utf-8") as f:
                f.write("# host\n" + "\n".join(listed) + "\n")
            result = subprocess.run(
                [sys.executable, CHECKER, "--format", "pe", "--objdump", objdump,
                 "--cxxfilt", CXXFILT, "--library", "lib.dll", "--expected", expected,
                 "--build", "mingw"] + [a for h in hosts for a in ("--host", h)],
                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        return result.returncode, result.stdout

    def test_reads_only_the_host_block_and_undecorates_its_names(self):
        status, report = self.check(HEADER, [
            "sxk::Markup::NotifyContentChanged() | all",
            "du::RefCounted::ZeroReferenceCountHook() | mingw",
            "sxk::Kernel::GetKernel() | gcc-ubsan mingw",
            "sxk::Markup::SetType(int) | gcc-ubsan"])
        self.assertEqual(status, 1, report)
        # The ordinal import cannot be checked by name, so it fails; nothing else does. SetType
        # and RecordOperation come from other DLLs in this header.
        self.assertIn("imported from libillsxmk_host.dll by ordinal 42, not by name", report)
        self.assertNotIn("not listed", report)
        self.assertNotIn("not imported", report)
        self.assertNotIn("RecordOperation", report)

    def test_each_import_must_be_listed_for_the_build_and_each_listed_name_imported(self):
        header = HEADER.replace("\t8000002a\t   42  <none>\n", "")
        status, report = self.check(header, [
            "sxk::Kernel::GetKernel() | all",
            "du::RefCounted::ZeroReferenceCountHook() | gcc-ubsan libcxx-ubsan",
            "sxk::Markup::SetType(int) | mingw"])
        self.assertEqual(status, 1, report)
        self.assertIn("imported but not listed: sxk::Markup::NotifyContentChanged()", report)
        self.assertIn("imported but not listed for mingw: "
                      "du::RefCounted::ZeroReferenceCountHook()", report)
        self.assertIn("listed for mingw, not imported: sxk::Markup::SetType(int)", report)
        self.assertNotIn("sxk::Kernel::GetKernel()", report)

    def test_imports_of_each_viewer_dll_are_read(self):
        header = HEADER.replace("\t8000002a\t   42  <none>\n", "")
        status, report = self.check(header, [
            "sxk::Markup::NotifyContentChanged() | all",
            "du::RefCounted::ZeroReferenceCountHook() | all",
            "sxk::Kernel::GetKernel() | all",
            "sxk::Markup::SetType(int) | all"], hosts=("libillsxmk_host.dll", "KERNEL32.dll"))
        self.assertEqual(status, 0, report)
        self.assertIn("4 host imports", report)

    def test_a_name_listed_for_no_known_build_is_an_error_of_the_list(self):
        header = HEADER.replace("\t8000002a\t   42  <none>\n", "")
        status, report = self.check(header, [
            "sxk::Markup::NotifyContentChanged() | all",
            "du::RefCounted::ZeroReferenceCountHook() | all",
            "sxk::Kernel::GetKernel()",
            "sxk::Markup::SetType(int) | msvc"])
        self.assertEqual(status, 1, report)
        self.assertIn("listed for no build: sxk::Kernel::GetKernel()", report)
        self.assertIn("listed for an unknown build 'msvc': sxk::Markup::SetType(int)", report)

    def test_a_library_that_imports_nothing_from_the_host_fails(self):
        header = HEADER.replace("LIBILLSXMK_HOST.DLL", "other.dll")
        status, report = self.check(header, ["sxk::Kernel::GetKernel() | all"])
        self.assertEqual(status, 1, report)
        self.assertIn("imports nothing from libillsxmk_host.dll", report)


class ExportedViewerNames(unittest.TestCase):
    def test_only_weak_tables_and_type_information_of_viewer_classes_pass(self):
        sys.dont_write_bytecode = True
        sys.path.insert(0, HERE)
        from check_exports import viewer_definitions
        listed = ["sxmk::CenterLineXYZ::GetPoints() const", "sxmk::MakeArrow(double)"]
        cases = [  # (name, nm's type, refused)
            ("vtable for sxmu::ModelSphere", "V", False),
            ("typeinfo name for attrs::FillAttr", "V", False),
            ("vtable for sxmk::CenterLineXYZ", "D", False),
            ("construction vtable for sxmk::Markup-in-sxmk::CenterLineXYZ", "D", False),
            ("sxmk::MakeArrow(double)", "T", False),
            ("std::basic_string<char>::_M_create(unsigned long&, unsigned long)", "W", False),
            ("vtable for sxmu::ModelSphere", "D", True),
            ("typeinfo for sxmk::Label", "R", True),
            ("construction vtable for sxmk::Markup-in-sxmk::Label", "V", True),
            ("sxmu::ModelSphere::ModelSphere()", "W", True),
            ("virtual thunk to sxk::Markup::Release()", "W", True),
            ("vtable for dg::DVec3", "", True),  # a DLL's export: nm gives no type
        ]
        for name, kind, refused in cases:
            with self.subTest(name=name, kind=kind):
                problems = viewer_definitions({name: kind}, listed)
                self.assertEqual(bool(problems), refused, problems)


class StandardLibrarySpellings(unittest.TestCase):
    def test_libstdcxx_and_libcxx_names_read_as_listed(self):
        sys.dont_write_bytecode = True  # no cache folder in the source tree
        sys.path.insert(0, HERE)
        from symbols import normalized
        listed = ("sxk::Operation::Operation(std::basic_string<char, std::char_traits<char>, "
                  "std::allocator<char> > const&)")
        for spelling in ("std::__cxx11::basic_string<char, std::char_traits<char>, "
                         "std::allocator<char> >",
                         "std::__1::basic_string<char, std::__1::char_traits<char>, "
                         "std::__1::allocator<char> >"):
            self.assertEqual(normalized(f"sxk::Operation::Operation({spelling} const&)"), listed)
        self.assertEqual(normalized("sxk::Object::GetObjectName[abi:cxx11]() const"),
                         "sxk::Object::GetObjectName() const")


if __name__ == "__main__":
    unittest.main()
