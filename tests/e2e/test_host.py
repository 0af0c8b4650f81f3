"""Pomarel.scr run the way the system runs a screensaver, under Wine on the test display: the
screensaver switches with the real renderer, the switches that end at once, the single-instance
test, the preview embedded into a pane, a missing renderer, the music of a session, no monitor
cover on a single monitor, and the two programs' manifests."""
import json
import signal
import time
import xml.etree.ElementTree as ET

import pytest

from harness import (BIN, IDNO, IDYES, PROBE, WM_CLOSE, WM_COMMAND, Pane, find_window, install_copy,
                     make_tone, post, probe, record_sound, run_wine, unix_pids, wait_gone,
                     wait_window, window_info, wine)
from host_helpers import RENDERER, SESSION, end_renderer, start_session, wait_exit
from music_helpers import loudness, windows_path, write_settings

DIALOG = "<Pomarel>"
QUESTION = "Vexa GL"


@pytest.mark.parametrize("switch", [["/s"], ["/S"], ["-s"], []], ids=["/s", "/S", "-s", "none"])
def test_session_runs_the_renderer_and_ends_with_it(tmp_path, switch):
    folder = install_copy(tmp_path)
    proc = start_session(folder, *switch)
    assert wait_window(SESSION, timeout=10), "no session window (host %s)" % proc.poll()
    session = window_info(SESSION)
    assert session["visible"] is False
    assert session["pid"] != window_info(RENDERER)["pid"]
    time.sleep(1.2)  # a few watch ticks while the renderer runs
    assert proc.poll() is None
    end_renderer()
    took = wait_exit(proc)
    assert took is not None, "the host outlived its renderer"
    assert took < 10  # within about a second; generous for a loaded machine
    assert find_window(SESSION) == 0


def test_one_monitor_saver_shows_no_cover_and_escape_ends_everything(tmp_path):
    """Wine on Xvfb reports one monitor (Xinerama too): the primary, which the renderer
    covers itself; the host must show no window of its own over it."""
    folder = install_copy(tmp_path)
    proc = start_session(folder, "/s")
    assert wait_window(SESSION, timeout=10)
    time.sleep(1.2)  # the renderer's mode switch and its display-change broadcast are over
    host = window_info(SESSION)["pid"]
    shown = [w for w in json.loads(probe("top", str(host)).stdout) if w["visible"]]
    assert shown == []
    end_renderer()
    assert wait_exit(proc) is not None
    assert find_window(SESSION) == 0


# supportedOS Ids of Windows 8, 8.1 and 10/11. Windows emulates the renderer's 16-bit mode
# only for programs that declare none of them.
WINDOWS_8_AND_LATER = {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                       "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def test_manifests_host_dpi_aware_and_no_windows_8_declaration():
    def manifests(name):
        result = probe("manifests", BIN / name)
        assert result.returncode == 0, name
        return [ET.fromstring(text.encode()) for text in json.loads(result.stdout)]

    assert manifests("Pomarel.dll") == []
    host = manifests("Pomarel.scr")
    assert len(host) == 1
    elements = list(host[0].iter())
    assert [e.text.strip() for e in elements if e.tag.endswith("}dpiAware")] == ["true"]
    declared = {e.get("Id", "").lower() for e in elements if e.tag.endswith("}supportedOS")}
    assert not declared & WINDOWS_8_AND_LATER


@pytest.mark.parametrize("switch", ["/a", "/x"])
def test_other_switches_end_at_once_showing_nothing(tmp_path, switch):
    folder = install_copy(tmp_path)
    proc = wine(folder / "Pomarel.scr", switch)
    shown = set()
    while proc.poll() is None and len(shown) < 3:
        for title in (RENDERER, SESSION, DIALOG):
            if find_window(title):
                shown.add(title)
        if wait_exit(proc, timeout=0.5) is not None:
            break
    assert wait_exit(proc, timeout=20) is not None
    assert not shown
    assert proc.returncode == 0


def test_second_instance_ends_at_once_while_a_session_runs(tmp_path):
    folder = install_copy(tmp_path)
    first = start_session(folder, "/s")
    with Pane(152, 112) as pane:
        for switch in (["/s"], ["/p", str(pane.hwnd)], ["/c"], []):
            second = run_wine(folder / "Pomarel.scr", *switch, timeout=60)
            assert second.returncode == 0, switch
            assert not pane.children(), switch
            assert find_window(DIALOG) == 0, switch
    assert first.poll() is None, "the running session must be left alone"
    end_renderer()
    assert wait_exit(first) is not None


def test_two_sessions_started_together_give_one_renderer(tmp_path):
    """Both copies pass the window-title test before either has its window; only one may run."""
    folder = install_copy(tmp_path)
    for pair in range(10):
        hosts = [wine(folder / "Pomarel.scr", "/s") for _ in range(2)]
        deadline = time.monotonic() + 30
        while all(h.poll() is None for h in hosts) and time.monotonic() < deadline:
            time.sleep(0.05)
        running = [h for h in hosts if h.poll() is None]
        assert len(running) == 1, "pair %d: %d sessions run" % (pair, len(running))
        assert hosts[0].returncode in (None, 0) and hosts[1].returncode in (None, 0)
        assert wait_window(RENDERER, timeout=60), "pair %d: no renderer" % pair
        assert len(unix_pids("Pomarel.dll", tmp_path.name)) == 1, "pair %d" % pair
        assert post(RENDERER, WM_CLOSE)
        assert wait_exit(running[0], timeout=30) is not None, "pair %d: the session did not end" % pair
        assert wait_gone(RENDERER, timeout=10)


def child_of(pane, cls="Swirlbloom_R", timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for child in pane.children():
            if child["cls"] == cls and child["visible"]:
                return child
        time.sleep(0.2)
    return None


PREVIEW_FORMS = {
    "/p handle": lambda h: ["/p", str(h)],
    "/P:handle": lambda h: ["/P:%d" % h],
    "/p9handle": lambda h: ["/p9%d" % h],  # reading starts at the fourth character
}


@pytest.mark.parametrize("form", PREVIEW_FORMS)
def test_preview_covers_the_pane_and_ends_with_it(tmp_path, form):
    folder = install_copy(tmp_path, renderer=False)
    with Pane(152, 112) as pane:
        arguments = PREVIEW_FORMS[form](pane.hwnd)
        proc = wine(folder / "Pomarel.scr", *arguments)
        child = child_of(pane)
        assert child is not None, "no preview in the pane"
        assert child["parent"] == pane.hwnd
        assert child["title"] == "Preview Window"
        assert child["client"] == [152, 112]
        frame = window_info(pane.hwnd)["rect"]
        left, top, right, bottom = child["rect"]
        assert (right - left, bottom - top) == (152, 112)
        # At the client area's origin: the pane's frame is equally wide left, right and below.
        border = left - frame[0]
        assert frame[2] - right == border
        assert frame[3] - bottom == border
        # Img_Prev fills the form. Wine draws nothing of a child that lives in another process
        # than its top-level window, so the picture itself is checked by the Windows suite.
        image = [c for c in pane.children() if c["cls"] == "PomarelImage"]
        assert image and image[0]["client"] == [152, 112] and image[0]["rect"] == child["rect"]
        assert find_window(SESSION) == 0

        assert pane.destroy()
        took = wait_exit(proc)
        assert took is not None, "the preview outlived its pane"
        assert took < 10


def test_preview_ends_when_the_panes_process_is_killed(tmp_path):
    """Wine takes the pane and the preview inside it away without a message to the preview,
    so only a watch that lives outside those windows can notice."""
    folder = install_copy(tmp_path, renderer=False)
    with Pane(152, 112) as pane:
        proc = wine(folder / "Pomarel.scr", "/p", str(pane.hwnd))
        assert child_of(pane) is not None, "no preview in the pane"
        pane.proc.send_signal(signal.SIGKILL)
        pane.proc.wait(timeout=10)
        took = wait_exit(proc, timeout=30)
    assert took is not None, "the preview outlived its pane's process"
    assert took < 5  # about a second; generous for a loaded machine


def test_preview_of_a_handle_that_is_no_window_ends_quietly(tmp_path):
    folder = install_copy(tmp_path, renderer=False)
    for arguments in (["/p", "1"], ["/p", "99999999999"], ["/p"]):
        result = run_wine(folder / "Pomarel.scr", *arguments, timeout=60)
        assert result.returncode == 0, arguments


def test_preview_fills_a_large_pane(tmp_path):
    folder = install_copy(tmp_path, renderer=False)
    with Pane(900, 600) as pane:
        proc = wine(folder / "Pomarel.scr", "/p", str(pane.hwnd))
        child = child_of(pane)
        assert child is not None
        assert child["client"] == [900, 600]
        assert proc.poll() is None
        pane.destroy()
        assert wait_exit(proc) is not None


def test_missing_renderer_ends_the_host_soon(tmp_path):
    folder = install_copy(tmp_path, renderer=False)
    proc = wine(folder / "Pomarel.scr", "/s")
    took = wait_exit(proc, timeout=30)
    assert took is not None, "the host waits for a renderer that cannot start"
    assert find_window(SESSION) == 0


def test_wav_plays_during_the_session_and_stops_with_it(tmp_path):
    folder = install_copy(tmp_path)
    tone = make_tone(tmp_path / "session tone.wav", seconds=1.0)
    write_settings(folder, b" 2", b" 0", windows_path(tone))
    with record_sound() as rec:
        began = time.monotonic()
        proc = start_session(folder, "/s")
        # The first sound of a new prefix waits for Wine's audio devices to be set up, which
        # takes a while on a loaded machine; the last 1.5 s before Escape are what counts.
        time.sleep(4.0)
        playing_until = time.monotonic() - began
        end_renderer()
        assert wait_exit(proc) is not None
        ended = time.monotonic() - began
        time.sleep(2.0)
    levels = loudness(rec.wav)
    step = 0.1
    # The recorder started 0.3 s before the block.
    during = levels[int((playing_until - 1.5 + 0.3) / step):int((playing_until + 0.3) / step)]
    after = levels[int((ended + 0.8 + 0.3) / step):]
    assert during and max(during) > 0.05, "no sound while the session ran"
    assert not after or max(after) < 0.01, "sound went on after the session"


@pytest.mark.parametrize("answer", ["yes", "no"])
def test_session_waits_for_a_renderer_that_asks_first(tmp_path, large_screen, answer):
    """On a screen that refuses 1024 x 768 the renderer asks before it has a window: the
    session must wait for the answer instead of ending at its first watch tick."""
    env = large_screen
    folder = install_copy(tmp_path)
    proc = wine(folder / "Pomarel.scr", "/s", env=env)
    assert run_wine(PROBE, "wait", QUESTION, "30000", timeout=60, env=env).returncode == 0, "no question"
    time.sleep(2.0)  # four watch ticks without a renderer window
    assert proc.poll() is None, "the session gave up on a renderer that was still starting"
    assert run_wine(PROBE, "post", QUESTION, str(WM_COMMAND), str(IDYES if answer == "yes" else IDNO), "0",
                    env=env).returncode == 0
    if answer == "yes":
        assert run_wine(PROBE, "wait", RENDERER, "30000", timeout=60, env=env).returncode == 0
        time.sleep(1.2)
        assert proc.poll() is None
        assert run_wine(PROBE, "post", RENDERER, str(WM_CLOSE), "0", "0", env=env).returncode == 0
    # After No the renderer ends without ever showing a window; either way the host follows.
    assert wait_exit(proc, timeout=30) is not None
