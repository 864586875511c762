"""Builds the convergeout package's native part with CMake.

setuptools runs build_ext for the one extension, convergeout._native; here that configures this
tree with only what the package needs (the add-on, the stand-in host and the module: no tests,
no command-line programs) and builds it into the package's folder, where the module, the host
library and the add-on lie side by side and find each other through a run path of $ORIGIN.
Everything else is in pyproject.toml.
"""

import os
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = Path(__file__).resolve().parent


class CMakeExtension(Extension):
    """An extension that CMake builds: setuptools compiles no sources of its own for it."""

    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        package_dir = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        build_dir = Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(SOURCE), "-B", str(build_dir),
            "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
            "-DCVL_BUILD_TESTS=OFF", "-DCVL_BUILD_PROGRAMS=OFF", "-DCVL_PYTHON=ON",
            f"-DPython_EXECUTABLE={sys.executable}",
            f"-DCVL_PYTHON_PACKAGE_DIR={package_dir}",
            # The wheel carries no debug information.
            "-DCMAKE_SHARED_LINKER_FLAGS=-s", "-DCMAKE_MODULE_LINKER_FLAGS=-s",
        ]
        jobs = str(os.cpu_count() or 1)
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "convergeout_package",
                        "-j", jobs], check=True)


setup(ext_modules=[CMakeExtension("convergeout._native")], cmdclass={"build_ext": CMakeBuild})
