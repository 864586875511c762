"""The architecture check fails on what it is there to catch: each case makes a small tree (or
objects, or a CMake project) with one fault and expects the check to name it; the clean tree
passes. Run by ctest, or: python3 -m unittest discover -s tests/scripts -p '*_test.py'."""

import importlib.util
import json
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
script = importlib.util.spec_from_file_location("check", TOP / "scripts" / "check-architecture.py")
check = importlib.util.module_from_spec(script)
script.loader.exec_module(check)

RULES = """## Rooms

| room | holds |
|---|---|
| `addon/low` | a lower room |
| `addon/high` | a higher room |
| `tools/fuzz` | a tool |
| `tests` | tests |

## Edges

| from | to | how | why |
|---|---|---|---|
| `addon/high` | `addon/low` | include | the higher room uses the lower |
| `tests` | `*` | include | tests use anything |
"""

# A tree that keeps the rules: every case adds or changes files of it.
CLEAN = {
    "addon/low/low.h": "",
    "addon/low/kernels/kernels_internal.h": "",
    "addon/low/kernels/avx2.cpp": '#include "addon/low/kernels/kernels_internal.h"\n',
    "addon/high/high.cpp": '#include "addon/low/low.h"\n#include "addon/high/high.h"\n',
    "addon/high/high.h": "",
    "tools/fuzz/harness.h": "",
    "tests/support/temp_dir.h": "",
    "tests/addon/high_test.cpp": '#include "addon/high/high.h"\n#include "tools/fuzz/harness.h"\n'
                                 '#include "tests/support/temp_dir.h"\n',
}

INCLUDE_CASES = [
    # (what, files changed or added, rules text, the fault that must be named)
    ("an edge the table lacks", {"addon/low/low.cpp": '#include "addon/high/high.h"\n'}, RULES,
     "the table does not let addon/low include addon/high"),
    ("a cycle between files", {"addon/high/high.h": '#include "addon/high/other.h"\n',
                               "addon/high/other.h": '#include "addon/high/high.h"\n'}, RULES,
     "include cycle between files: addon/high/high.h, addon/high/other.h"),
    ("a cycle between rooms", {"addon/low/low.cpp": '#include "addon/high/high.h"\n'},
     RULES.replace("| `tests` |", "| `addon/low` | `addon/high` | include | a loop |\n| `tests` |"),
     "include cycle between rooms: addon/high, addon/low"),
    ("a tool that includes tests/", {"tools/fuzz/harness.cpp": '#include "tests/support/temp_dir.h"\n'},
     RULES.replace("| `tests` |", "| `tools/fuzz` | `tests` | include | a tie |\n| `tests` |"),
     "includes tests/support/temp_dir.h: nothing outside tests/ may"),
    ("an _internal.h from the parent folder",
     {"addon/low/list.cpp": '#include "addon/low/kernels/kernels_internal.h"\n'}, RULES,
     "includes addon/low/kernels/kernels_internal.h from outside its folder"),
    ("an include of no file", {"addon/low/low.cpp": '#include "addon/low/gone.h"\n'}, RULES,
     'includes "addon/low/gone.h", which is no file of the tree'),
    ("a file in no room", {"addon/middle/middle.h": ""}, RULES, "addon/middle/middle.h: in no room"),
    ("a table row that no include uses", {},
     RULES.replace("| `tests` |", "| `tools/fuzz` | `addon/low` | include | unused |\n| `tests` |"),
     "the table lets tools/fuzz include addon/low, which no include does"),
    ("an edge without its reason", {}, RULES.replace("the higher room uses the lower", ""),
     "addon/high -> addon/low gives no reason"),
]


def make_tree(folder, files, rules):
    for name, text in {**CLEAN, **files}.items():
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
    (folder / "rules.md").write_text(rules)


def include_faults(folder):
    rules, faults = check.read_rules(folder / "rules.md")
    return faults + check.check_includes(folder, rules)


class IncludeCheck(unittest.TestCase):
    def test_the_clean_tree_passes(self):
        with tempfile.TemporaryDirectory() as folder:
            make_tree(Path(folder), {}, RULES)
            self.assertEqual(include_faults(Path(folder)), [])

    def test_each_fault_is_named(self):
        for what, files, rules, fault in INCLUDE_CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as folder:
                make_tree(Path(folder), files, rules)
                faults = include_faults(Path(folder))
                self.assertTrue(any(fault in line for line in faults), faults)

    def test_the_project_keeps_its_table_and_picture(self):
        self.assertEqual(check.main(["--root", str(TOP)]), 0)


COMPILER = shutil.which("c++")


@unittest.skipIf(COMPILER is None or shutil.which("nm") is None, "needs c++ and nm")
class ObjectCheck(unittest.TestCase):
    """Objects as a Debug build makes them: an inline function that both files call is emitted in
    both, unless the AVX2 file keeps its own copy in a namespace of its own."""

    SHARED = "inline int twice(int x) { return 2 * x; }\n"

    def faults(self, avx2_text):
        with tempfile.TemporaryDirectory() as folder:
            build = Path(folder)
            sources = {"avx2.cpp": (avx2_text, ["-mavx2"]),
                       "portable.cpp": (self.SHARED + "int portable(int x) { return twice(x); }\n",
                                        [])}
            database = []
            for name, (text, flags) in sources.items():
                (build / name).write_text(text)
                arguments = [COMPILER, "-O0", "-c", *flags, name, "-o", name + ".o"]
                subprocess.run(arguments, cwd=build, check=True)
                database.append({"directory": str(build), "arguments": arguments,
                                 "file": name, "output": name + ".o"})
            (build / "compile_commands.json").write_text(json.dumps(database))
            return check.check_objects(build)

    def test_an_inline_function_under_two_instruction_sets_fails(self):
        faults = self.faults(self.SHARED + "int wide(int x) { return twice(x); }\n")
        self.assertEqual(len(faults), 1, faults)
        self.assertIn("twice(int): defined in", faults[0])

    def test_a_copy_in_the_kernels_namespace_passes(self):
        self.assertEqual(self.faults("namespace avx2 {\n" + self.SHARED +
                                     "int wide(int x) { return twice(x); }\n}\n"), [])


@unittest.skipIf(shutil.which("cmake") is None, "needs cmake")
class ShippedTargets(unittest.TestCase):
    """The configure-time check: a target outside tests/ that links a test target fails."""

    def configure(self, link):
        with tempfile.TemporaryDirectory() as folder:
            top = Path(folder)
            (top / "cmake").mkdir()
            shutil.copy(TOP / "cmake" / "architecture_check.cmake", top / "cmake")
            (top / "tests").mkdir()
            (top / "tests" / "CMakeLists.txt").write_text("add_library(test_support INTERFACE)\n")
            (top / "CMakeLists.txt").write_text(
                "cmake_minimum_required(VERSION 3.20)\nproject(made_up NONE)\n"
                "add_subdirectory(tests)\nadd_library(shipped INTERFACE)\n"
                f"target_link_libraries(shipped INTERFACE {link})\n"
                "include(cmake/architecture_check.cmake)\ncvl_check_shipped_targets()\n")
            return subprocess.run(["cmake", "-S", str(top), "-B", str(top / "build")],
                                  capture_output=True, text=True)

    def test_linking_a_test_target_fails(self):
        for link in ("test_support", "GTest::gtest"):
            with self.subTest(link):
                result = self.configure(link)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(f"shipped links {link}", result.stderr)

    def test_linking_nothing_of_the_tests_passes(self):
        self.assertEqual(self.configure("").returncode, 0)


if __name__ == "__main__":
    unittest.main()
