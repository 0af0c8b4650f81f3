"""Background music that really plays: a looping WAV and a restarting MP3 from paths with blanks,
driven through the music module by music_probe.exe and recorded from the null sink."""
import json
import time

import pytest

from harness import ANSI, make_tone, record_sound
from music_helpers import MusicProbe, longest_quiet_after_start, loudness, windows_path, write_settings

LOUD = 0.05
QUIET = 0.01


@pytest.fixture
def music_folder(tmp_path):
    folder = tmp_path / "My Music"
    folder.mkdir()
    return folder


def start(tmp_path, kind, file, expected):
    write_settings(tmp_path, kind, 0, windows_path(file))
    probe = MusicProbe("--folder", windows_path(tmp_path), "play")
    assert '"kind": %d' % kind in probe.expect("{")
    started = probe.expect("started " + expected)
    assert not started.endswith(" devices 0"), "Wine sees no sound device: is PulseAudio running?"
    return probe


def loudest(rec):
    # An idle null sink may hand the recorder nothing at all; that is silence too.
    return max(loudness(rec.wav), default=0.0)


def stop_and_listen(probe, seconds=1.5):
    """Stops the music but keeps the program running; the loudest moment that follows."""
    probe.tell("stop")
    probe.expect("stopped")
    time.sleep(0.3)
    with record_sound() as after:
        time.sleep(seconds)
    return loudest(after)


def test_wav_loops_while_playing_and_stops(tmp_path, music_folder):
    wav = make_tone(music_folder / "loop tone.wav", seconds=1.0)
    probe = start(tmp_path, 2, wav, "wav")
    try:
        with record_sound() as rec:
            time.sleep(4.5)
        levels = loudness(rec.wav)
        # The recorder may start late but ends 4.5 s after the start: a one-second tone that
        # still sounds through the last 1.5 s has been looped.
        assert len(levels) >= 20, "recorded too little"
        assert sum(1 for v in levels[-15:] if v > LOUD) >= 12, levels
        assert longest_quiet_after_start(levels) <= 0.6, levels
        assert stop_and_listen(probe) < QUIET
    finally:
        probe.close()


def test_mp3_restarts_soon_after_its_end_and_stops(tmp_path, music_folder):
    mp3 = make_tone(music_folder / "short tone.mp3", seconds=2.0)
    probe = start(tmp_path, 2, mp3, "mp3")
    try:
        with record_sound() as rec:
            time.sleep(9.0)
        levels = loudness(rec.wav)
        assert len(levels) >= 50, "recorded too little"
        # Played once, the two-second tone would be over long before the last 2.5 s of the
        # recording; the checks bring it back again and again.
        loud_seconds = sum(1 for v in levels if v > LOUD) * 0.1
        assert loud_seconds >= 4.0, levels
        assert max(levels[-25:]) > LOUD, levels
        gap = longest_quiet_after_start(levels)
        assert gap is not None and gap <= 2.0, levels
        assert stop_and_listen(probe) < QUIET
    finally:
        probe.close()


def test_no_music_kind_plays_nothing(tmp_path, music_folder):
    wav = make_tone(music_folder / "never.wav", seconds=1.0)
    probe = start(tmp_path, 0, wav, "none")
    try:
        with record_sound() as rec:
            time.sleep(1.5)
        assert loudest(rec) < QUIET
    finally:
        probe.close()


def test_cd_checks_turn_off_without_a_drive(tmp_path):
    write_settings(tmp_path, 1, 3, "")
    probe = MusicProbe("--folder", windows_path(tmp_path), "play")
    try:
        probe.expect("started cd")
        probe.expect("cd checks off", timeout=30)
    finally:
        probe.close()


# Each code page's own letters, which the other cannot hold.
NATIVE_NAMES = {"cp932": "音楽フォルダ/ﾃｽﾄ音.wav", "cp1252": "Música/tono ñ.wav"}


def test_wav_named_in_the_code_pages_letters_loads_and_plays(tmp_path):
    wav = tmp_path / NATIVE_NAMES[ANSI]
    wav.parent.mkdir()
    make_tone(wav, seconds=1.0)
    write_settings(tmp_path, 2, 0, windows_path(wav).encode(ANSI))
    probe = MusicProbe("--folder", windows_path(tmp_path), "play")
    try:
        loaded = json.loads(probe.expect("{"))
        assert loaded["file"] == windows_path(wav)
        assert loaded["folder"] == windows_path(wav.parent)
        probe.expect("started wav")
        with record_sound() as rec:
            time.sleep(2.0)
        assert loudest(rec) > LOUD
    finally:
        probe.close()
