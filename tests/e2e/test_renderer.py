"""The renderer program Pomarel.dll run as the host runs it, under Wine on the test display:
its window, the picture and the first flash, what ends it and what does not, the display
mode, and the windowed-mode question on a screen that refuses 1024 x 768.
"""
import json
import subprocess
import time

import pytest

from harness import (BIN, keep_wine_up, IDNO, IDYES, PROBE, SC_MINIMIZE, SC_MONITORPOWER, SC_SCREENSAVE,
                     WM_CLOSE, WM_COMMAND, WM_SYSCOMMAND, display_mode, mouse_move,
                     click, key, post, run_wine, screenshot, send, wait_gone, wait_window, wine,
                     window_info, xdotool)
from x11_helpers import brightness_series

TITLE = "Swirlbloom_VC"
QUESTION = "Vexa GL"
QUESTION_TEXT = ("The Requested Fullscreen Mode Is Not Supported By\n"
                 "Your Video Card. Use Windowed Mode Instead?")
WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_CLIPSIBLINGS = 0x04000000
WS_CLIPCHILDREN = 0x02000000


@pytest.fixture(autouse=True)
def wine_desktop(request):
    keeper = None if "large_screen" in request.fixturenames else keep_wine_up()
    yield
    if keeper:
        keeper.kill()
        keeper.wait(timeout=10)


def start_renderer(env=None):
    return wine(BIN / "Pomarel.dll", env=env)


def wait_shown(hwnd, probe_info=None, timeout=20):
    """The window exists from CreateWindowEx on but is shown only once its GL context is."""
    probe_info = probe_info or window_info
    deadline = time.monotonic() + timeout
    info = probe_info(hwnd)
    while not (info and info["visible"]) and time.monotonic() < deadline:
        time.sleep(0.2)
        info = probe_info(hwnd)
    return info


def exit_code(proc, timeout=30):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


def hold_key(keysym, seconds=0.6, activate=True):
    """A press held for a while on the renderer's window (see harness.key); `activate=False`
    leaves the keyboard where it is, for a window that must stay minimised."""
    if activate:
        assert key(TITLE, keysym, hold=seconds)
        return
    mouse_move(512, 384)
    xdotool("keydown", keysym)
    time.sleep(seconds)
    xdotool("keyup", keysym)


def histogram(png):
    """{(r, g, b): pixel count} of the whole picture."""
    out = subprocess.run(["convert", str(png), "-depth", "8", "-format", "%c", "histogram:info:-"],
                         capture_output=True, text=True, check=True, timeout=60).stdout
    counts = {}
    for line in out.splitlines():
        count, _, rest = line.strip().partition(":")
        rgb = rest.strip().lstrip("(").split(")")[0].split(",")[:3]
        counts[tuple(int(float(v)) for v in rgb)] = int(count)
    return counts


def assert_ends_cleanly(proc, mode_before):
    assert exit_code(proc) == 0
    assert wait_gone(TITLE, timeout=10)
    assert display_mode() == mode_before


def test_window_picture_and_first_flash(tmp_path):
    mode_before = display_mode()
    proc = start_renderer()
    hwnd = wait_window(TITLE, timeout=30)
    assert hwnd, "no renderer window"
    info = wait_shown(hwnd)
    appeared = time.monotonic()
    assert info["cls"] == "OpenGL"
    assert info["client"] == [1024, 768]
    assert info["parent"] == 0 and info["owner"] == 0
    assert info["visible"] and not info["iconic"]
    assert info["style"] & WS_POPUP and not info["style"] & WS_CAPTION
    assert info["style"] & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN) == WS_CLIPSIBLINGS | WS_CLIPCHILDREN
    assert display_mode()[:2] == (1024, 768)

    # A couple of seconds in: confetti of several colours on black.
    time.sleep(max(0.0, appeared + 2.5 - time.monotonic()))
    counts = histogram(screenshot(tmp_path / "early.png"))
    total = sum(counts.values())
    assert counts.get((0, 0, 0), 0) > total * 0.6
    pieces = [rgb for rgb, n in counts.items() if n >= 30 and max(rgb) >= 40]
    assert len(pieces) >= 8, pieces
    assert len({max(range(3), key=lambda i: rgb[i]) for rgb in pieces}) == 3, "red, green, blue"

    # The first flash 7.2 s after the first frame: shots from well before to well after it.
    series = brightness_series(appeared, appeared + 5.5, appeared + 13.0)
    peak = max(range(len(series)), key=lambda i: series[i][1])
    assert series[peak][1] > 150, series
    assert 5.5 < series[peak][0] < 12.0, series
    before = [b for at, b in series[:peak] if at < series[peak][0] - 0.2]
    assert before and before[-1] < 70, series
    after = [b for at, b in series if at > series[peak][0] + 1.8]
    assert not after or after[-1] < 70, "the flash fades within about a second: %s" % series

    assert post(hwnd, WM_CLOSE)
    assert_ends_cleanly(proc, mode_before)


def test_input_and_system_commands_leave_it_running_until_escape():
    mode_before = display_mode()
    proc = start_renderer()
    hwnd = wait_window(TITLE, timeout=30)
    assert hwnd
    for x, y in ((10, 10), (1000, 700), (512, 384)):
        mouse_move(x, y)
        time.sleep(0.2)
    click(300, 300, 1)
    click(600, 500, 3)
    for keysym in ("a", "space", "Return", "shift"):
        hold_key(keysym, 0.3)
    assert send(hwnd, WM_SYSCOMMAND, SC_SCREENSAVE) == 0
    assert send(hwnd, WM_SYSCOMMAND, SC_MONITORPOWER, 2) == 0
    time.sleep(1.5)
    assert proc.poll() is None, "ended by input it should ignore"
    info = window_info(TITLE)
    assert info and info["visible"] and not info["iconic"]
    assert display_mode()[:2] == (1024, 768)

    hold_key("Escape")
    assert_ends_cleanly(proc, mode_before)


def test_close_while_minimised_ends_it():
    mode_before = display_mode()
    proc = start_renderer()
    hwnd = wait_window(TITLE, timeout=30)
    assert hwnd
    assert post(hwnd, WM_SYSCOMMAND, SC_MINIMIZE)
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline and not (window_info(hwnd) or {}).get("iconic"):
        time.sleep(0.3)
    assert window_info(hwnd)["iconic"]
    hold_key("Escape", activate=False)  # ignored while minimised
    time.sleep(1.0)
    assert proc.poll() is None
    assert post(hwnd, WM_CLOSE)
    assert_ends_cleanly(proc, mode_before)


# --- A screen that refuses 1024 x 768 x 16 -------------------------------------------------

def _probe(env, *args, timeout=60):
    return run_wine(PROBE, *args, timeout=timeout, env=env)


def _info(env, target):
    result = _probe(env, "info", target if isinstance(target, str) else "#%d" % target)
    return json.loads(result.stdout) if result.returncode == 0 else None


@pytest.mark.parametrize("answer", ["yes", "no"])
def test_refused_mode_asks_for_windowed_mode(large_screen, answer):
    env = large_screen
    assert _probe(env, "mode").stdout.split()[:2] == ["1280", "1024"]
    proc = start_renderer(env=env)
    assert _probe(env, "wait", QUESTION, "30000", timeout=60).returncode == 0, "no question"
    texts = [child["title"] for child in
             json.loads(_probe(env, "children", QUESTION).stdout or "[]")]
    assert QUESTION_TEXT in texts
    assert "&Yes" in texts and "&No" in texts
    # Not while the question is up.
    assert _probe(env, "find", TITLE).stdout.split()[0] == "0"

    assert _probe(env, "post", QUESTION, str(WM_COMMAND),
                  str(IDYES if answer == "yes" else IDNO), "0").returncode == 0
    if answer == "no":
        deadline = time.monotonic() + 30
        while proc.poll() is None and time.monotonic() < deadline:
            assert _probe(env, "find", TITLE).stdout.split()[0] == "0", "a window after No"
            time.sleep(0.2)
        assert exit_code(proc, timeout=5) == 0
        assert _probe(env, "find", TITLE).stdout.split()[0] == "0"
        return

    assert _probe(env, "wait", TITLE, "30000", timeout=60).returncode == 0
    info = wait_shown(TITLE, lambda target: _info(env, target))
    assert info["cls"] == "OpenGL"
    assert info["client"] == [1024, 768]
    assert info["style"] & WS_CAPTION == WS_CAPTION and info["style"] & WS_THICKFRAME
    assert not info["style"] & WS_POPUP
    assert info["rect"][:2] == [0, 0]
    # Windowed: the screen keeps its mode.
    assert _probe(env, "mode").stdout.split()[:2] == ["1280", "1024"]
    time.sleep(1.0)
    assert proc.poll() is None
    assert _probe(env, "post", TITLE, str(WM_CLOSE), "0", "0").returncode == 0
    assert exit_code(proc) == 0
    assert _probe(env, "gone", TITLE, "10000").returncode == 0
