# pytest set-up for the end-to-end tests: makes harness.py importable and leaves no Wine
# process of the test prefix running from one test into the next.
import os
import subprocess
import sys
import time

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
def large_screen():
    """Environment of a second Xvfb at 1280 x 1024, where Wine offers no 1024 x 768 mode."""
    # Wine's desktop process takes the display of the first program of the prefix, so none of
    # the main display's may still be running.
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=30)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=30)
    n = harness.free_display()
    xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                             "-ac", "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=":%d" % n)
    for _ in range(100):
        if subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0:
            break
        time.sleep(0.1)
    wm = harness.start_window_manager(env)
    keeper = harness.keep_wine_up(env)
    try:
        yield env
    finally:
        keeper.kill()
        wm.terminate()
        subprocess.run(["wineserver", "-k"], capture_output=True, timeout=30)
        subprocess.run(["wineserver", "-w"], capture_output=True, timeout=30)
        xvfb.terminate()
        xvfb.wait(timeout=10)
        harness.wine_up()  # back on the main display, as the next test expects
