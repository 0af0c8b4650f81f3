# pytest set-up for the browser tests: the page's build, a static server, one headless
# Chromium for the module, and an X display for the program that draws the Linux frame.
# POMAREL_WEB names the page's folder (build/web/web), POMAREL_WEB_NODE the replay's node
# build and POMAREL_NATIVE_TESTS the native build's tests folder (web_replay, linux_frame).
import os
import subprocess
import sys
import time
from pathlib import Path

import pytest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "tools" / "lib"))

from browser import Browser, PageServer  # noqa: E402

ROOT = Path(__file__).resolve().parents[3]
WEB = Path(os.environ.get("POMAREL_WEB", ROOT / "build/web/web"))
WEB_NODE = Path(os.environ.get("POMAREL_WEB_NODE", ROOT / "build/web/tests/web_replay_node.js"))
NATIVE_TESTS = Path(os.environ.get("POMAREL_NATIVE_TESTS", ROOT / "build/native/tests"))


def pytest_collection_modifyitems(config, items):
    missing = [str(p) for p in (WEB / "index.html", WEB / "pomarel.wasm", WEB_NODE,
                                NATIVE_TESTS / "linux_frame") if not p.exists()]
    if missing:
        raise pytest.UsageError("build the web and native presets first (tools/test web); "
                                "missing: " + ", ".join(missing))


@pytest.fixture(scope="session")
def server():
    s = PageServer(WEB)
    yield s
    s.close()


@pytest.fixture(scope="session")
def browser():
    b = Browser()
    yield b
    b.close()


@pytest.fixture(scope="session")
def x_display():
    """An Xvfb of the page's size for linux_frame; its DISPLAY value."""
    n = next(n for n in range(200, 300) if not os.path.exists("/tmp/.X11-unix/X%d" % n)
             and not os.path.exists("/tmp/.X%d-lock" % n))
    xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                             "-ac", "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=":%d" % n)
    for _ in range(100):
        if subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0:
            break
        time.sleep(0.1)
    yield ":%d" % n
    xvfb.terminate()
    xvfb.wait(timeout=10)
