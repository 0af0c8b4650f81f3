"""Settings files written by hand, loaded by the real settings code of a program that lies in the
same folder (music_probe.exe copied there, so the program folder is found as the host finds it)."""
import json

import pytest

from harness import make_tone
from music_helpers import MusicProbe, private_probe, windows_path, write_settings


def load(folder):
    probe = MusicProbe("load", exe=private_probe(folder))
    try:
        return json.loads(probe.expect("{"))
    finally:
        probe.close()


@pytest.fixture
def saver(tmp_path):
    folder = tmp_path / "Pomarel Saver"
    folder.mkdir()
    return folder


def test_without_a_file_the_settings_are_empty(saver):
    assert load(saver) == {"kind": 0, "repeat": 0, "file": "", "folder": windows_path(saver)}
    assert not (saver / "Swirlbloom.ini").exists()


@pytest.mark.parametrize("kind, repeat, which, expected_kind, expected_repeat, kept", [
    (b" 2", b" 0", "wav", 2, 0, True),
    (b"2", b"7", "mp3", 2, 7, True),
    (b"2.9", b"-0.5", "wav", 2, -1, True),
    (b"word", b"40000", "wav", 0, 0, True),
    (b" 2", b" 0", "missing", 0, 0, False),
    (b" 2", b" 0", "folder", 0, 0, False),
    (b" 2", b" 0", "long", 0, 0, False),
    (b" 1", b" 5", "mp3", 1, 5, True),
    (b" 0", b" 0", "wav", 0, 0, True),
    (b" 2", b" 0", "none", 0, 0, False),
])
def test_hand_written_files(saver, tmp_path, kind, repeat, which, expected_kind, expected_repeat, kept):
    music = tmp_path / "My Music"
    music.mkdir()
    files = {
        "wav": make_tone(music / "a tone.wav", seconds=0.2),
        "mp3": make_tone(music / "a tone.mp3", seconds=0.2),
        "missing": music / "gone.mp3",
        "folder": music,
    }
    if which == "none":
        stored = b""
    elif which == "long":
        stored = (windows_path(music) + "\\" + "x" * 300 + ".wav").encode("cp1252")
    else:
        stored = windows_path(files[which]).encode("cp1252")
    write_settings(saver, kind, repeat, stored)
    loaded = load(saver)
    assert loaded["kind"] == expected_kind
    assert loaded["repeat"] == expected_repeat
    if kept:
        assert loaded["file"] == stored.decode("cp1252")
        assert loaded["folder"] == windows_path(music)
    else:
        assert loaded["file"] == ""
        assert loaded["folder"] == windows_path(saver)
