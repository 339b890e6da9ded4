"""The build backend of the Python package qmlp.

pip builds a package in an isolated environment into which it first
installs the package's build requirements from an index.  Without network
no index is reachable, so the package asks for none: this backend, kept in
the source tree, needs only the standard library.  It builds the extension
and the procedure module with CMake (the same targets `make python` builds)
and writes the wheel itself: a zip of the package files with its
metadata and a RECORD of their hashes.

The targets are built in $QMLP_BUILD_DIR when it names a configured build
folder (make python passes its own, so nothing is built twice), else in
build/python-package.
"""

import base64
import hashlib
import io
import os
import subprocess
import sys
import sysconfig
import tarfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
NAME = "qmlp"
VERSION = "1.0.0"
SUMMARY = "Linear and mixed-integer programming on pandas DataFrames"
REQUIRES = ["numpy", "pandas"]
DIST_INFO = f"{NAME}-{VERSION}.dist-info"


# ---- what the build needs and what it describes


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def _metadata_text():
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {NAME}",
        f"Version: {VERSION}",
        f"Summary: {SUMMARY}",
        "Requires-Python: >=3.9",
    ]
    lines += [f"Requires-Dist: {r}" for r in REQUIRES]
    readme = os.path.join(ROOT, "python", "README.md")
    body = ""
    if os.path.exists(readme):
        lines.append("Description-Content-Type: text/markdown")
        with open(readme, encoding="utf-8") as f:
            body = f.read()
    return "\n".join(lines) + "\n\n" + body


def _wheel_tag():
    # The extension is built for this interpreter and this machine only.
    impl = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{impl}-{impl}-{platform}"


def _wheel_text():
    return f"Wheel-Version: 1.0\nGenerator: qmlp_build\nRoot-Is-Purelib: false\nTag: {_wheel_tag()}\n"


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    folder = os.path.join(metadata_directory, DIST_INFO)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "METADATA"), "w", encoding="utf-8") as f:
        f.write(_metadata_text())
    with open(os.path.join(folder, "WHEEL"), "w", encoding="utf-8") as f:
        f.write(_wheel_text())
    return DIST_INFO


# ---- the build


def _build_environment():
    """The environment of the CMake run.  pip's isolated build hides the
    interpreter's installed packages (by PYTHONPATH and PYTHONNOUSERSITE);
    the extension is built against the interpreter as users run it, with
    Debian's pybind11 among its packages, so CMake sees it unhidden."""
    env = dict(os.environ)
    for name in ("PYTHONPATH", "PYTHONNOUSERSITE"):
        env.pop(name, None)
    return env


def _build_folder():
    build_dir = os.environ.get("QMLP_BUILD_DIR") or os.path.join(ROOT, "build", "python-package")
    build_dir = os.path.abspath(build_dir)
    env = _build_environment()
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
            ],
            env=env,
        )
    jobs = str(os.cpu_count() or 1)
    subprocess.check_call(["cmake", "--build", build_dir, "--target", "qmlp_python_package", "-j", jobs], env=env)
    package = os.path.join(build_dir, "python", NAME)
    built = [n for n in os.listdir(package) if n.startswith("_engine") and n.endswith(".so")]
    if len(built) != 1:
        raise RuntimeError(
            f"expected one built extension in {package}, found {built}; "
            "the extension needs Debian's python3-pybind11 for this interpreter"
        )
    return package


def _package_files(package):
    """(path in the wheel, file on disk) for the package's sources and its two libraries."""
    files = []
    sources = os.path.join(ROOT, "python", NAME)
    for name in sorted(os.listdir(sources)):
        if name.endswith(".py"):
            files.append((f"{NAME}/{name}", os.path.join(sources, name)))
    for name in sorted(os.listdir(package)):
        if name == "libtymlp.so" or (name.startswith("_engine") and name.endswith(".so")):
            files.append((f"{NAME}/{name}", os.path.join(package, name)))
    return files


def _record_line(arcname, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode("ascii")
    return f"{arcname},sha256={digest},{len(data)}"


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    package = _build_folder()
    wheel_name = f"{NAME}-{VERSION}-{_wheel_tag()}.whl"
    target = os.path.join(wheel_directory, wheel_name)
    partial = target + ".part"
    record = []
    with zipfile.ZipFile(partial, "w", compression=zipfile.ZIP_DEFLATED) as wheel:

        def add(arcname, data, mode=0o644):
            info = zipfile.ZipInfo(arcname, date_time=(2020, 1, 1, 0, 0, 0))
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(info, data)
            record.append(_record_line(arcname, data))

        for arcname, path in _package_files(package):
            with open(path, "rb") as f:
                add(arcname, f.read(), 0o755 if path.endswith(".so") else 0o644)
        add(f"{DIST_INFO}/METADATA", _metadata_text().encode("utf-8"))
        add(f"{DIST_INFO}/WHEEL", _wheel_text().encode("utf-8"))
        add(f"{DIST_INFO}/top_level.txt", f"{NAME}\n".encode("utf-8"))
        record.append(f"{DIST_INFO}/RECORD,,")
        wheel.writestr(f"{DIST_INFO}/RECORD", "\n".join(record) + "\n")
    os.replace(partial, target)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    """The tracked files of the repository (git ls-files), or the tree without build folders."""
    base = f"{NAME}-{VERSION}"
    try:
        names = subprocess.check_output(["git", "ls-files", "-z"], cwd=ROOT).decode("utf-8").split("\0")
        names = [n for n in names if n]
    except (OSError, subprocess.CalledProcessError):
        names = []
        for folder, subfolders, files in os.walk(ROOT):
            subfolders[:] = [s for s in subfolders if not s.startswith((".", "build"))]
            names += [os.path.relpath(os.path.join(folder, f), ROOT) for f in files]
    archive = f"{base}.tar.gz"
    partial = os.path.join(sdist_directory, archive + ".part")
    with tarfile.open(partial, "w:gz") as tar:
        for name in sorted(names):
            tar.add(os.path.join(ROOT, name), arcname=f"{base}/{name}", recursive=False)
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        data = _metadata_text().encode("utf-8")
        info.size = len(data)
        tar.addfile(info, io.BytesIO(data))
    os.replace(partial, os.path.join(sdist_directory, archive))
    return archive
