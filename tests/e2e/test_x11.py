"""The Linux program `pomarel` on the test display with Mesa's software OpenGL, no Wine: its
own window (picture, first flash, Escape), a window handed over by --window-id (as
XScreenSaver's preview appends it to --root) or $XSCREENSAVER_WINDOW (drawn inside only,
resized, unmapped, destroyed), the root window, the signals that end it, the frame rate's cap,
the windows it refuses; and the settings description XScreenSaver reads.
"""
import re
import signal
import subprocess
import time
import xml.etree.ElementTree as ET
from pathlib import Path

import pytest

from x11_helpers import (GivenWindow, brightness_series, colours, confetti_colours, cpu_seconds,
                         end_started, find_window, finish, screenshot, start,
                         wait_for)

TITLE = "Pomarel"


@pytest.fixture(autouse=True)
def no_program_left():
    yield
    end_started()


def sleep_until(moment):
    time.sleep(max(0.0, moment - time.monotonic()))


def test_own_window_confetti_first_flash_and_escape(tmp_path):
    proc = start()
    assert wait_for(lambda: find_window(TITLE)), finish(proc, timeout=1)
    shown = time.monotonic()

    sleep_until(shown + 2.5)
    counts = colours(screenshot(tmp_path / "early.png"), 0, 0, 1024, 768)
    assert counts[(0, 0, 0)] > 0.6 * sum(counts.values()), "black background"
    assert len(confetti_colours(counts)) >= 20

    # The clock starts at 0.3 s with the first frame and the first flash comes at 7.5 s.
    series = brightness_series(shown, shown + 6.0, shown + 9.0)
    # A loaded machine draws slowly, so the brightest sample may come after the flash's first,
    # white frame: far brighter than the confetti is enough.
    peak = max(series, key=lambda s: s[1])
    assert 6.6 < peak[0] < 8.6 and peak[1] > 100, series
    assert series[0][1] < 30, series

    subprocess.run(["xdotool", "windowactivate", "--sync", str(find_window(TITLE))], timeout=30)
    subprocess.run(["xdotool", "mousemove", "512", "384", "keydown", "Escape", "sleep", "0.2",
                    "keyup", "Escape"], check=True, timeout=30)
    assert finish(proc) == (0, "")


@pytest.mark.parametrize("handed_over", ["--window-id", "XSCREENSAVER_WINDOW"])
def test_given_window_inside_only_resized_unmapped_destroyed(tmp_path, handed_over):
    with GivenWindow(100, 100, 400, 300) as window:
        if handed_over == "--window-id":  # as XScreenSaver's settings tool starts a preview
            proc = start("--root", "--window-id", hex(window.id))
        else:  # as XScreenSaver starts its modules
            proc = start("--root", env={"XSCREENSAVER_WINDOW": str(window.id)})
        time.sleep(2.5)
        png = screenshot(tmp_path / "small.png")
        assert len(confetti_colours(colours(png, 100, 100, 400, 300))) >= 20
        for outside in ((0, 0, 1024, 95), (0, 95, 95, 673), (505, 95, 519, 673), (95, 405, 410, 363)):
            assert not confetti_colours(colours(png, *outside)), outside

        # Larger: the picture fills the new size, not the old bottom-left corner.
        window.resize(600, 450)
        time.sleep(2.0)
        png = screenshot(tmp_path / "large.png")
        assert len(confetti_colours(colours(png, 100, 100, 600, 140))) >= 5, "top"
        assert len(confetti_colours(colours(png, 520, 100, 180, 450))) >= 3, "right"

        # Unmapped: no frames, and no processor time spent waiting for the window to return.
        window.set_mapped(False)
        time.sleep(0.3)
        used = cpu_seconds(proc.pid)
        time.sleep(1.0)
        assert cpu_seconds(proc.pid) - used < 0.1
        window.set_mapped(True)
        time.sleep(0.5)
        assert proc.poll() is None

        window.destroy()
        assert finish(proc) == (0, "")


# Each signal that asks a program to end (SIGHUP: its terminal closed) ends it as Escape does.
@pytest.mark.parametrize("sig, args", [(signal.SIGTERM, []), (signal.SIGINT, ["--root", "--fps"]),
                                       (signal.SIGHUP, ["--root"]), (signal.SIGQUIT, [])])
def test_signal_ends_it_promptly_and_quietly(tmp_path, sig, args):
    proc = start(*args)
    if args:
        assert wait_for(lambda: confetti_colours(
            colours(screenshot(tmp_path / "root.png"), 0, 0, 1024, 768)), timeout=10)
    else:
        assert wait_for(lambda: find_window(TITLE)), finish(proc, timeout=1)
    time.sleep(1.0)
    proc.send_signal(sig)
    sent = time.monotonic()
    code, err = finish(proc)
    assert time.monotonic() - sent < 0.5
    assert code == 0
    # Only the frame rates asked for: no GL or X error, no sanitizer report. Xvfb has no vertical
    # sync, so the loop paces itself at 60 frames a second (a rate counted over a second may
    # hold one frame more at each end).
    lines = err.splitlines()
    assert all(re.fullmatch(r"pomarel: \d+\.\d frames per second", line) for line in lines), err
    assert bool(lines) == ("--fps" in args), err
    assert all(float(line.split()[1]) < 63 for line in lines), err
    if args:  # the root's own background is back
        assert not confetti_colours(colours(screenshot(tmp_path / "after.png"), 0, 0, 1024, 768))
    else:
        assert not find_window(TITLE)


def test_settings_description_is_valid_and_passes_only_known_options():
    xml = Path(__file__).resolve().parents[2] / "renderer" / "x11" / "res" / "pomarel.xml"
    assert subprocess.run(["xmllint", "--noout", str(xml)], timeout=30).returncode == 0
    # A slider's % stands for its value; its top end is the likeliest to be out of range.
    args = [value.replace("%", element.get("high", ""))
            for element in ET.parse(xml).iter() for key in ("arg", "arg-set", "arg-unset")
            if (value := element.get(key))]
    assert "--root" in args
    assert finish(start(*" ".join(args).split(), "--help"))[0] == 0, args


def test_input_only_window_is_refused_with_one_message():
    with GivenWindow(100, 100, 400, 300, input_only=True) as window:
        window_id = window.id
        got, err = finish(start("--window-id", hex(window_id)))
    assert (got, err) == (1, "pomarel: window %s is input-only: there is nothing to draw on\n"
                          % hex(window_id))


@pytest.mark.parametrize("args, env, code, message", [
    (["--window-id", "0x1fffffff"], {}, 1, "pomarel: there is no window 0x1fffffff\n"),
    (["--window-id", "banana"], {}, 2, "pomarel: --window-id: 'banana' is not a window id\nusage:"),
    ([], {"DISPLAY": ""}, 1, "pomarel: no display is set: set DISPLAY or give --display\n"),
])
def test_refusals_are_clear(args, env, code, message):
    got, err = finish(start(*args, env=env))
    assert got == code and err.startswith(message), err
