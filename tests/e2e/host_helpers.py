"""The screensaver session as the end-to-end tests start and end it: the two programs' window
titles, the host started with a switch, the renderer awaited past its mode switch, Escape held on the
renderer; shared by the host, session, folder, two-monitor and installer tests."""
import json
import time

from harness import display_mode, key, probe, wait_gone, wait_window, wine

RENDERER = "Swirlbloom_VC"
SESSION = "Swirlbloom_Main"


def wait_exit(proc, timeout=20):
    """Seconds until `proc` ended, or None if it is still running after `timeout`."""
    start = time.monotonic()
    try:
        proc.wait(timeout=timeout)
    except Exception:
        return None
    return time.monotonic() - start


def start_session(folder, *switch):
    proc = wine(folder / "Pomarel.scr", *switch)
    assert wait_window(RENDERER, timeout=60), "the renderer's window never appeared"
    return proc


def end_renderer():
    """Escape held for a moment on the renderer's window (see harness.key)."""
    assert key(RENDERER, "Escape")
    assert wait_gone(RENDERER, timeout=30)


def wait_renderer_ready(timeout=30):
    """True once Wine reports the renderer's screen size, 1024 x 768, and the renderer's window
    holds its thread's keyboard focus: the renderer makes its window after the mode switch,
    which takes the keyboard for a moment, and gives it the focus last. (On a display of that
    size already, Wine reports no other mode meanwhile, so the size alone is no sign.)"""
    end = time.monotonic() + timeout
    while True:
        focus = probe("focus", RENDERER)
        if (display_mode()[:2] == (1024, 768) and focus.returncode == 0
                and json.loads(focus.stdout)["title"] == RENDERER):
            return True
        if time.monotonic() > end:
            return False
        time.sleep(0.1)
