"""Builds the extension qmlp._engine and the procedure module with CMake.

The targets are built in $QMLP_BUILD_DIR when it names a configured build
folder (make python passes its own, so nothing is built twice), else in
build/python-package; the extension and libtymlp.so are then copied into
the package.
"""

import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = os.environ.get("QMLP_BUILD_DIR") or os.path.join(ROOT, "build", "python-package")
        build_dir = os.path.abspath(build_dir)
        if not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
            subprocess.check_call(
                [
                    "cmake",
                    "-S",
                    ROOT,
                    "-B",
                    build_dir,
                    "-DCMAKE_BUILD_TYPE=Release",
                    "-DQMLP_TESTS=OFF",
                    "-DQMLP_PYTHON_EXECUTABLE=" + sys.executable,
                ]
            )
        jobs = str(os.cpu_count() or 1)
        subprocess.check_call(["cmake", "--build", build_dir, "--target", "qmlp_python_package", "-j", jobs])
        package = os.path.join(build_dir, "python", "qmlp")
        built = [name for name in os.listdir(package) if name.startswith("_engine") and name.endswith(".so")]
        if len(built) != 1:
            raise RuntimeError(f"expected one built extension in {package}, found {built}")
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(package, built[0]), target)
        shutil.copyfile(os.path.join(package, "libtymlp.so"), os.path.join(os.path.dirname(target), "libtymlp.so"))


# setup.cfg keeps setuptools' files in build/, which must exist first.
os.makedirs(os.path.join(ROOT, "build"), exist_ok=True)
setup(ext_modules=[Extension("qmlp._engine", sources=[])], cmdclass={"build_ext": CMakeBuild})
