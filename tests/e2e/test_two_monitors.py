"""Pomarel.scr /s on a real two-monitor desktop under Wine (one wide display split into two
RandR monitors, see conftest.two_monitors): the second monitor black while the confetti plays
on the primary, a click on it leaving the renderer in front, and Escape ending everything.
Layouts this display cannot make are the session's Wine suite's, with faked monitors."""
import json
import subprocess
import time

from harness import click, install_copy, mouse_move, probe, region_stats, screenshot, unix_pids, wait_window, xdotool
from host_helpers import RENDERER, SESSION, start_session, wait_exit, wait_renderer_ready

PRIMARY = (0, 0, 1024, 768)  # x, y, width, height
SECOND = (1024, 0, 800, 600)


def pointer():
    """[x, y, last input tick] as Wine has them (see probe's "input")."""
    return [int(v) for v in probe("input").stdout.split()]


def test_saver_keeps_the_second_monitor_black_until_escape(tmp_path, two_monitors):
    monitors = sorted((m["rect"], m["primary"]) for m in json.loads(probe("monitors").stdout))
    assert monitors == [([0, 0, 1024, 768], True), ([1024, 0, 1824, 600], False)], "Wine sees other monitors"
    # A grey desktop, so black there is the cover's.
    subprocess.run(["xsetroot", "-solid", "#808080"], check=True, timeout=30)
    assert region_stats(screenshot(tmp_path / "before.png"), *SECOND)["max_brightness"] > 100

    proc = start_session(install_copy(tmp_path), "/s")
    assert wait_window(SESSION, timeout=10)
    assert wait_renderer_ready(), "no mode switch"
    # Pieces in flight on the primary, and the second monitor covered: polled until both show.
    deadline = time.monotonic() + 20
    while True:
        during = screenshot(tmp_path / "during.png")
        confetti, second = region_stats(during, *PRIMARY), region_stats(during, *SECOND)
        if (confetti["colours"] >= 8 and second["max_brightness"] == 0) or time.monotonic() > deadline:
            break
    assert second["max_brightness"] == 0, "the second monitor is not black"
    assert confetti["colours"] >= 8, "no confetti on the primary monitor"

    # Wine has taken the click once it has taken input since and has the pointer where it
    # was moved after the click.
    before = pointer()
    click(SECOND[0] + 400, 300)
    mouse_move(SECOND[0] + 420, 310)
    deadline = time.monotonic() + 10
    while (now := pointer())[2] == before[2] or now[:2] != [SECOND[0] + 420, 310]:
        assert time.monotonic() < deadline, "Wine did not take the click: %s then %s" % (before, now)
        time.sleep(0.1)
    assert xdotool("getactivewindow", "getwindowname").stdout.strip() == RENDERER, "the click took the front"
    clicked = screenshot(tmp_path / "clicked.png")
    assert region_stats(clicked, *SECOND)["max_brightness"] == 0
    assert region_stats(clicked, *PRIMARY)["mean"] != confetti["mean"], "the confetti stopped"

    # Pressed where the keyboard is, as a person would, without activating anything first.
    xdotool("keydown", "Escape")
    time.sleep(0.6)
    xdotool("keyup", "Escape")
    assert wait_exit(proc, timeout=30) is not None, "Escape after the click did not end the saver"
    assert not unix_pids("Pomarel.dll", tmp_path.name)
    assert region_stats(screenshot(tmp_path / "after.png"), *SECOND)["max_brightness"] > 100, "a cover stayed"
