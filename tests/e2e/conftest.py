# pytest set-up for the end-to-end tests: makes harness.py importable, leaves no Wine process
# of the test prefix running from one test into the next, and lends tests the environments of
# other shapes they ask for (a large screen, two monitors) through harness.own_environment.
import os
import shutil
import subprocess
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


@pytest.fixture
def large_screen(tmp_path):
    """Environment of a second display at 1280 x 1024, where Wine offers no 1024 x 768 mode,
    for the test prefix's programs."""
    # Wine's desktop process takes the display of the first program of the prefix, so none of
    # the main display's may still be running.
    _restart_wine()
    try:
        with harness.own_environment(tmp_path / "large-screen", "1280x1024x24", prefix=False) as env:
            keeper = harness.keep_wine_up(env)
            try:
                yield env
            finally:
                keeper.kill()
                _restart_wine()
    finally:
        harness.wine_up()  # back on the main display, as the next test expects


def _restart_wine():
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=30)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=30)


# The primary monitor at the origin and a smaller one to its right, as `xrandr --setmonitor`
# takes them (sizes in pixels and millimetres).
TWO_MONITORS = ("1024/271x768/203+0+0", "800/211x600/158+1024+0")


@pytest.fixture(scope="module")
def _two_monitor_environment(tmp_path_factory):
    work = tmp_path_factory.mktemp("two-monitors")
    with harness.own_environment(work, "1824x768x16", monitors=TWO_MONITORS,
                                 prefix=os.environ["WINEPREFIX"]) as env:
        yield env
    shutil.rmtree(work / "wineprefix", ignore_errors=True)


@pytest.fixture
def two_monitors(_two_monitor_environment, monkeypatch):
    """Points every harness call of the test at a display of two monitors side by side (the
    primary 1024 x 768 at the origin, an 800 x 600 one right of it) and a Wine prefix of its
    own (a copy of the test prefix) that sees both, as Windows would. Depth 16, so the
    renderer's mode is the current one."""
    for name in ("DISPLAY", "WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES"):
        monkeypatch.setenv(name, _two_monitor_environment[name])
    yield _two_monitor_environment
    harness.end_wine_processes()
