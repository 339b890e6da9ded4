"""Runs pytest on the package's tests, or skips (exit 77) with the reason
when the interpreter lacks pytest, pandas or the built package."""

import sys

try:
    import pandas  # noqa: F401
    import pytest
except ImportError as missing:
    print(f"skipped: {missing.name} is not installed for {sys.executable} (tools/install-deps installs it)")
    sys.exit(77)

sys.exit(pytest.main(sys.argv[1:]))
