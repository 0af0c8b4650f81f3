# pytest set-up for the end-to-end tests: makes harness.py importable and leaves no Wine
# process of the test prefix running from one test into the next.
import os
import sys

import pytest

sys.path.insert(0, os.path.dirname(__file__))

import harness  # noqa: E402


def pytest_collection_modifyitems(config, items):
    missing = [name for name in ("DISPLAY", "WINEPREFIX", "POMAREL_BIN") if not os.environ.get(name)]
    if missing:
        raise pytest.UsageError(
            "run the end-to-end tests through tools/test (missing: %s)" % ", ".join(missing))


@pytest.fixture(autouse=True)
def _clean_wine_processes():
    yield
    harness.end_wine_processes()
