import os

import pytest

SOURCE_DIR = os.environ.get("QMLP_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
SHARED_DIR = os.path.join(SOURCE_DIR, "..", "shared", "bench")


@pytest.fixture
def examples():
    return os.path.join(SOURCE_DIR, "examples")


@pytest.fixture
def netlib():
    folder = os.path.join(SHARED_DIR, "netlib")
    if not os.path.isdir(folder):
        pytest.skip("the shared benchmark folder is absent")
    return folder


def optimum(folder, instance):
    with open(os.path.join(folder, "optimal.tsv")) as table:
        for line in table:
            fields = line.split()
            if fields and fields[0] == instance:
                return float(fields[1])
    raise KeyError(instance)
