# pytest set-up for the browser tests: the page's build, a static server, one headless
# Chromium for the module, and an X display for the program that draws the Linux frame.
# POMAREL_WEB names the page's folder (build/web/web), POMAREL_WEB_NODE the replay's node
# build and POMAREL_NATIVE_TESTS the native build's tests folder (web_replay, linux_frame).
import os
import subprocess
import sys
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
    missing = [str(p) for p in (WEB / "index.html", WEB / "pomarel.js", WEB_NODE,
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
def x_display(tmp_path_factory):
    """A display for linux_frame, made by the test environment every tool and test uses
    (tools/lib/testenv.sh, run as a command), without Wine or a sound sink. Larger than the
    frame: its window manager would shrink a 1024 x 768 window with a title bar to fit."""
    work = tmp_path_factory.mktemp("display")
    testenv = ["bash", str(ROOT / "tools/lib/testenv.sh")]
    switches = dict(os.environ, TESTENV_WINE="0", TESTENV_SOUND="0")
    # The servers it leaves running would hold a pipe open: its output goes to a file.
    with open(work / "testenv.log", "a") as log:
        started = subprocess.run([*testenv, "start", str(work), "1280x1024x24"], env=switches,
                                 stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=120)
    if started.returncode != 0:
        pytest.fail("no X display for the Linux frame; see %s" % (work / "testenv.log"))
    made = dict(pair.split("=", 1) for pair in (work / "testenv.env").read_bytes().decode().split("\0") if pair)
    yield made["DISPLAY"]
    with open(work / "testenv.log", "a") as log:
        subprocess.run([*testenv, "stop", str(work)], stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=60)
