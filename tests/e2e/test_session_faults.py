"""A session's faults that must stay mended, each with the real programs under Wine: the
renderer killed outright, no sound server at all, and the music file taken away while it
plays. Each ends with the host gone and nothing left sounding."""
import os
import signal
import subprocess
import time

from harness import (find_window, install_copy, make_tone, record_sound, screenshot, send, unix_pids,
                     wait_gone, wait_window, wine)
from music_helpers import loudness, windows_path, write_settings
from host_helpers import RENDERER, SESSION, end_renderer, start_session, wait_exit

WM_NULL = 0x0000


def confetti_shown(png):
    out = subprocess.run(["convert", str(png), "-depth", "8", "-format", "%c", "histogram:info:-"],
                         capture_output=True, text=True, check=True, timeout=60).stdout
    colours = 0
    for line in out.splitlines():
        count, _, rest = line.strip().partition(":")
        rgb = [int(float(v)) for v in rest.strip().lstrip("(").split(")")[0].split(",")[:3]]
        colours += int(count) >= 30 and max(rgb) >= 40
    return colours >= 8


def session_with_tone(tmp_path, seconds=1.0, suffix="wav"):
    folder = install_copy(tmp_path)
    tone = make_tone(tmp_path / ("fault tone.%s" % suffix), seconds=seconds)
    write_settings(folder, b" 2", b" 0", windows_path(tone))
    return folder, tone


def test_renderer_killed_ends_the_host_and_the_music(tmp_path):
    folder, _ = session_with_tone(tmp_path)
    with record_sound() as rec:
        proc = start_session(folder, "/s")
        time.sleep(2.0)
        renderers = unix_pids("Pomarel.dll", tmp_path.name)
        assert len(renderers) == 1, renderers
        os.kill(renderers[0], signal.SIGKILL)
        took = wait_exit(proc, timeout=20)
        time.sleep(2.0)
    assert took is not None, "the host outlived its killed renderer"
    assert took < 5  # well under a second when measured; generous for a loaded machine
    # The recorder may begin late under load, but it ends with the block: its last 1.2 s
    # start 0.8 s after the host had gone.
    levels = loudness(rec.wav)
    assert levels and max(levels) > 0.05, "no music during the session"
    assert max(levels[-12:]) < 0.01, "the music went on after the host"


def test_no_sound_server_still_gives_confetti_and_a_clean_escape(tmp_path):
    folder, _ = session_with_tone(tmp_path)
    # Wine finds PulseAudio only through these; with a server that is not there and no sound
    # card, no output device exists at all.
    quiet = {"PULSE_SERVER": "unix:%s" % (tmp_path / "no-server"), "PULSE_RUNTIME_PATH": str(tmp_path / "none")}
    proc = wine(folder / "Pomarel.scr", "/s", env=quiet)
    assert wait_window(RENDERER, timeout=60), "no renderer without a sound server"
    time.sleep(2.5)
    assert confetti_shown(screenshot(tmp_path / "quiet.png")), "no confetti"
    end_renderer()
    assert wait_exit(proc) is not None
    assert proc.returncode == 0
    assert find_window(SESSION) == 0


def test_music_file_deleted_while_it_plays_does_not_stall_the_session(tmp_path):
    for suffix in ("wav", "mp3"):
        folder, tone = session_with_tone(tmp_path / suffix, seconds=1.5, suffix=suffix)
        proc = start_session(folder, "/s")
        time.sleep(1.0)
        tone.unlink()
        time.sleep(3.0)  # past the end of the tone: the checks try to play it again
        assert send(SESSION, WM_NULL) is not None, "%s: the session window stopped answering" % suffix
        assert proc.poll() is None, suffix
        end_renderer()
        assert wait_exit(proc) is not None, "%s: the host did not end" % suffix
        assert wait_gone(SESSION, timeout=5), suffix
