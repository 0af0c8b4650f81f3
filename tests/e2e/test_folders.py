"""Pomarel.scr in folders that the system's ANSI calls cannot name as they are: a path too long
for MAX_PATH, and a name in characters the ANSI code page lacks (Japanese in code page 1252).
The host reaches its renderer and its settings file through their 8.3 forms: /s shows the
confetti and /c saves beside the program, the stored bytes as anywhere else, with nothing
written into the current folder; where no form fits, /s says so and ends with 1. tools/test
runs this file in both code pages."""
import os
import shutil
from pathlib import Path

import pytest

from harness import BIN, WM_COMMAND, child_windows, post, wait_gone, wait_window, windows_path, wine
from host_helpers import RENDERER, end_renderer, wait_renderer_ready
from dialog_helpers import CMD_SET, FILE, KIND, LABELS, REPEAT, Dialog, read_settings

# Longer than "8.3": the folder's short form is far shorter than its path.
LONG_NAME = "a folder name far longer than eight and three"


def program_in(top, kind):
    """Pomarel.scr and Pomarel.dll in a folder of `kind` under `top`."""
    top.mkdir(parents=True, exist_ok=True)
    folder, length = top, len(windows_path(top))
    if kind == "japanese":
        folder = folder / "日本語"
    else:  # past MAX_PATH with its 8.3 form well within; or names that are their own 8.3 forms
        name, limit = (LONG_NAME, 300) if kind == "long" else ("Pomarel0", 250)
        while length < limit:
            folder, length = folder / name, length + 1 + len(name)
    folder.mkdir(parents=True, exist_ok=True)
    for name in ("Pomarel.scr", "Pomarel.dll"):
        shutil.copy2(BIN / name, folder / name)
    return folder


@pytest.mark.parametrize("kind", ["long", "japanese"])
def test_the_saver_runs_and_the_settings_save_in_the_folder(tmp_path, kind):
    program = program_in(tmp_path / "top", kind)
    current = tmp_path / "current"
    current.mkdir()

    saver = wine(program / "Pomarel.scr", "/s", cwd=current)
    assert wait_window(RENDERER, timeout=60), "no renderer"
    assert wait_renderer_ready(), "no mode switch"  # it takes the keyboard for a moment
    end_renderer()
    assert saver.wait(timeout=60) == 0

    d = Dialog(program, cwd=current)
    d.click(LABELS["cd"], panel=True)
    d.button(CMD_SET)
    assert d.ended(), "the save was refused"
    assert read_settings(program) == {KIND: "1", REPEAT: "0", FILE: ""}
    assert sorted(p.name for p in program.iterdir()) == ["Pomarel.dll", "Pomarel.scr", "Swirlbloom.ini"]
    assert list(current.iterdir()) == [], "a file written outside the program folder"


@pytest.fixture
def drive_c_folder():
    """A new folder in the root of drive C:, whose path has no 8.3 form shorter than itself."""
    folder = Path(os.environ["WINEPREFIX"]) / "drive_c" / ("PT%06d" % (os.getpid() % 1000000))
    yield folder
    shutil.rmtree(folder, ignore_errors=True)


def test_a_folder_no_form_of_which_fits_is_reported_and_ends_with_1(drive_c_folder):
    program = program_in(drive_c_folder, "no short form")
    saver = wine(program / "Pomarel.scr", "/s")
    box = wait_window("Pomarel", timeout=60)
    assert box, "no message"
    text = "\n".join(c["title"] for c in child_windows(box) if c["cls"] == "Static")
    assert windows_path(program / "Pomarel.dll") in text, text
    post(box, WM_COMMAND, 1)  # IDOK
    assert wait_gone("Pomarel", timeout=30)
    assert saver.wait(timeout=60) == 1
