"""The settings dialog through the real Pomarel.scr /c under Wine: found by its title, looked at
on a screenshot, driven with real X pointer and keyboard input, and the settings file beside the
program read back afterwards. A saved WAV choice is then played by the next screensaver run."""
import contextlib
import json
import os
import re
import subprocess
import time

import pytest

from harness import (ANSI, BIN, child_windows, click, end_wine_processes, find_window, install_copy,
                     make_tone, PROBE, record_sound, region_stats, run_wine, screenshot, wait_gone, wait_window, wine,
                     window_info, windows_path, xdotool, post, send, WM_CLOSE, WM_COMMAND, WM_SYSCOMMAND)
from dialog_helpers import (CMD_CAN, CMD_FILE, CMD_SET, COMBO, FILE, IMAGES, KIND, LABELS, PANEL, REPEAT, TITLE,
                            Dialog, read_settings)
from music_helpers import MUSIC_PROBE

BIN_SCR = BIN / "Pomarel.scr"
SC_CLOSE = 0xF060


def write_settings(folder, kind=b" 0", repeat=b" 0", file=b""):
    data = (b"[Section]\r\n" + KIND.encode("cp932") + b"=" + kind + b"\r\n" + REPEAT.encode("cp932") + b"=" +
            repeat + b"\r\n" + FILE.encode("cp932") + b"=" + file + b"\r\n")
    (folder / "Swirlbloom.ini").write_bytes(data)
    return data


@pytest.fixture
def program(tmp_path):
    return install_copy(tmp_path, renderer=False)


def pixels(png, x, y, w, h):
    out = subprocess.run(["convert", str(png), "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-depth", "8",
                          "txt:-"], capture_output=True, text=True, check=True, timeout=60).stdout
    return [tuple(int(v) for v in m.groups()) for m in re.finditer(r"\((\d+),(\d+),(\d+)", out)]


def test_c_opens_one_dialog_and_a_second_c_ends_at_once(program):
    d = Dialog(program)
    assert d.info["cls"] == "Swirlbloom_P"
    assert d.info["owner"] == 0 and d.info["parent"] == 0
    assert d.info["visible"]
    assert d.info["client"] == [496, 246]
    assert d.info["style"] & 0x00C00000 == 0x00C00000  # caption
    assert not d.info["style"] & (0x00040000 | 0x00020000 | 0x00010000)  # sizing frame, min, max

    second = run_wine(program / "Pomarel.scr", "/c:1234", timeout=60)
    assert second.returncode == 0
    found = xdotool("search", "--name", "^<Pomarel>$").stdout.split()
    assert len(found) == 1, "still exactly one dialog"
    assert find_window(TITLE) == d.hwnd
    assert d.proc.poll() is None, "the open dialog stays open"

    post(d.hwnd, WM_CLOSE)
    assert d.ended()


# The labels are drawn with the wide calls, so they read the same whatever the ANSI code page.
@pytest.mark.parametrize("lang", ["C", "ja_JP.UTF-8"])
def test_screenshot_shows_gradient_texture_buttons_and_japanese_labels(program, tmp_path, lang):
    song = make_tone(program / "tone.mp3", seconds=0.2)
    write_settings(program, b" 1", b" 5", windows_path(song).encode("cp1252"))
    d = Dialog(program, env={"LANG": lang, "LC_ALL": lang})
    shot = screenshot(tmp_path / "settings_dialog.png")
    ox, oy = d.origin

    def stats(x, y, w, h):
        return region_stats(shot, ox + x, oy + y, w, h)

    # The gradient, right of the panel and the buttons: dark blue at the top and bottom edges,
    # light blue-grey in the middle.
    top, middle, bottom = stats(486, 0, 8, 3), stats(486, 121, 8, 4), stats(486, 243, 8, 3)
    for edge in (top, bottom):
        r, g, b = edge["mean"]
        assert r < 20 and g < 20 and 25 <= b <= 50, edge
    r, g, b = middle["mean"]
    assert 210 <= r <= 225 and 210 <= g <= 225 and 240 <= b <= 255, middle

    # The textured panel: light grey with many shades (brushed metal), not one flat colour.
    panel = stats(PANEL[0] + 300, PANEL[1] + 8, 150, 30)
    r, g, b = panel["mean"]
    assert abs(r - 199) < 12 and abs(g - 195) < 12 and abs(b - 194) < 12, panel
    assert panel["colours"] > 20, panel

    # The buttons stand out from the dark part of the gradient below them.
    for rect in (CMD_SET, CMD_CAN):
        face = stats(rect[0] + 6, rect[1] + 5, rect[2] - 12, rect[3] - 10)
        below = stats(rect[0] + 4, rect[1] + rect[3] + 3, rect[2] - 8, 6)
        assert sum(face["mean"]) / 3 > 170, face
        assert sum(below["mean"]) / 3 < 120, below
    file_face = stats(PANEL[0] + CMD_FILE[0] + 4, PANEL[1] + CMD_FILE[1] + 4, CMD_FILE[2] - 8, CMD_FILE[3] - 8)
    assert file_face["colours"] > 3

    # Every label has dark text strokes on the texture (the Japanese font is installed), and
    # the chosen image (audio CD) is blue.
    for name, (x, y, w, h) in LABELS.items():
        dark = [p for p in pixels(shot, ox + PANEL[0] + x, oy + PANEL[1] + y, w, h) if sum(p) < 200]
        assert len(dark) > 12, name
    cd = stats(PANEL[0] + IMAGES["cd"][0] + 3, PANEL[1] + IMAGES["cd"][1] + 3, 6, 6)
    assert cd["mean"][2] > cd["mean"][0] + 80, cd
    none = stats(PANEL[0] + IMAGES["none"][0] + 3, PANEL[1] + IMAGES["none"][1] + 3, 6, 6)
    assert min(none["mean"]) > 200, none
    # White credit and link text on the dark lower part.
    credit = [p for p in pixels(shot, ox + 12, oy + 192, 160, 13) if min(p) > 200]
    assert len(credit) > 12

    post(d.hwnd, WM_CLOSE)
    assert d.ended()


def test_choices_and_typed_track_are_saved_in_order(program):
    before = write_settings(program, b" 0", b" 0", b"")
    d = Dialog(program)
    d.click(LABELS["cd"], button=3, panel=True)  # the right button chooses as well
    # The edit part, left of the arrow: the list stays closed (Escape would cancel the dialog).
    d.click((COMBO[0], COMBO[1], 20, COMBO[3]), panel=True)
    xdotool("key", "--clearmodifiers", "BackSpace", "BackSpace", "BackSpace")
    xdotool("type", "--delay", "60", "13.5")
    time.sleep(0.3)
    d.button(CMD_SET)
    assert d.ended(), "confirming ends the program"
    data = (program / "Swirlbloom.ini").read_bytes()
    assert data != before
    positions = [data.find(key.encode("cp932") + b"=") for key in (KIND, REPEAT, FILE)]
    assert -1 not in positions and positions == sorted(positions)
    assert read_settings(program) == {KIND: "1", REPEAT: "14", FILE: ""}


@pytest.mark.parametrize("how", ["cancel", "close box"])
def test_cancel_and_close_box_write_nothing(program, how):
    before = write_settings(program, b" 1", b" 3", b"")
    d = Dialog(program)
    d.click(IMAGES["file"] + (13, 13), panel=True)
    if how == "cancel":
        d.button(CMD_CAN)
    else:
        send(d.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0)
    assert d.ended()
    assert (program / "Swirlbloom.ini").read_bytes() == before


def find_chooser(timeout=30):
    """The file chooser's X window; its title is "ﾌｧｲﾙを開く" through the ANSI code page."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        for pattern in ("ﾌｧｲﾙを開く", r"^\?+$", "Open"):
            ids = xdotool("search", "--onlyvisible", "--name", pattern).stdout.split()
            if ids:
                return ids[0]
        time.sleep(0.3)
    return None


def choose_file_and_confirm(program, path, typed=True):
    """Picks `path` in the real chooser: typed, as a person would, or for a name a keyboard
    layout may not hold, given to the chooser's name box as wide text by the probe."""
    d = Dialog(program)
    d.click(LABELS["file"], panel=True)
    d.button(CMD_FILE, panel=True)
    chooser = find_chooser()
    assert chooser, "the file chooser did not open"
    if ANSI == "cp932":  # the ANSI title holds its Japanese only there
        assert xdotool("getwindowname", chooser).stdout.strip() == "ﾌｧｲﾙを開く"
    time.sleep(1.0)
    if typed:
        xdotool("windowactivate", "--sync", chooser)
        xdotool("type", "--delay", "60", path)
        xdotool("key", "Return")
    else:
        # Wine reads a program's arguments through the Unix locale, which must hold the name.
        utf8 = {"LC_ALL": os.environ.get("LC_ALL") or "C.UTF-8"}
        assert run_wine(PROBE, "choose", "#%d" % d.hwnd, path, env=utf8).returncode == 0
    deadline = time.time() + 20
    while find_chooser(timeout=0.5) and time.time() < deadline:
        time.sleep(0.3)
    d.button(CMD_SET)
    assert d.ended()


def test_the_chosen_file_is_saved_and_the_next_run_plays_it(tmp_path):
    program = install_copy(tmp_path, renderer=True)
    write_settings(program)
    (tmp_path / "music").mkdir()
    tone = make_tone(tmp_path / "music" / "loop.wav", seconds=1.5)
    choose_file_and_confirm(program, windows_path(tone))
    assert read_settings(program) == {KIND: "2", REPEAT: "0", FILE: windows_path(tone)}

    with record_sound() as rec:
        saver = wine(program / "Pomarel.scr", "/s")
        assert wait_window("Swirlbloom_VC", timeout=60)
        time.sleep(3)
        post("Swirlbloom_VC", WM_CLOSE)
        assert wait_gone("Swirlbloom_VC", timeout=30)
        saver.wait(timeout=60)
    assert rec.rms() > 0.05


# ---- saves that cannot be made ----

OTHER_SECTION = b"[Other]\r\nkeep=me\r\n"


def refused_save(program):
    """Confirms audio CD; the save must be refused by a message box owned by the dialog, which
    stays open, with the file's bytes kept. Returns the box's text."""
    ini = program / "Swirlbloom.ini"
    before = ini.read_bytes()
    d = Dialog(program)
    d.click(LABELS["cd"], panel=True)
    d.button(CMD_SET)
    box = wait_window("Pomarel", timeout=30)
    info = window_info(box)
    assert info and info["cls"] == "#32770" and info["owner"] == d.hwnd, info
    text = "\n".join(c["title"] for c in child_windows(box) if c["cls"] == "Static")
    post(box, WM_COMMAND, 1)  # IDOK
    assert wait_gone("Pomarel", timeout=30)
    time.sleep(0.3)
    assert d.proc.poll() is None, "the dialog stays open"
    assert ini.read_bytes() == before and not (program / "Swirlbloom.new").exists()
    d.button(CMD_CAN)
    assert d.ended()
    print(text)
    # What happened, the file and the system's reason (the Japanese reads as "?" in code page 1252).
    assert windows_path(ini) in text and len(text.split("\n\n")) >= 3, text
    return text


# Wine runs as root here, so only an immutable file or folder (chattr +i) cannot be written.
def test_a_settings_file_that_cannot_be_written_is_reported_and_kept(program):
    write_settings(program, b" 2", b" 3", b"")
    with open(program / "Swirlbloom.ini", "ab") as ini:
        ini.write(OTHER_SECTION)
    subprocess.run(["chattr", "+i", str(program / "Swirlbloom.ini")], check=True, timeout=30)
    try:
        refused_save(program)
    finally:
        subprocess.run(["chattr", "-i", str(program / "Swirlbloom.ini")], timeout=30)


def save_cd(program):
    """Confirms audio CD in Pomarel.scr /c; the dialog must close."""
    d = Dialog(program)
    d.click(LABELS["cd"], panel=True)
    d.button(CMD_SET)
    assert d.ended(), "the save was refused"


# An immutable folder takes no new file, but its files can still be written.
def test_a_folder_that_takes_no_new_file_gets_the_values_in_place(program):
    write_settings(program, b" 2", b" 3", b"")
    with open(program / "Swirlbloom.ini", "ab") as ini:
        ini.write(OTHER_SECTION)
    subprocess.run(["chattr", "+i", str(program)], check=True, timeout=30)
    try:
        save_cd(program)
    finally:
        subprocess.run(["chattr", "-i", str(program)], timeout=30)
    assert read_settings(program) == {KIND: "1", REPEAT: "3", FILE: "", "keep": "me"}
    assert sorted(p.name for p in program.iterdir()) == ["Pomarel.scr", "Swirlbloom.ini"]


# Seen from the Unix side: a save must not turn a file of mode 600 or 664 into the default
# 644, nor a link into a plain file while the file it leads to keeps the old settings.
@pytest.mark.parametrize("kind", [0o600, 0o664, "link"], ids=["600", "664", "link"])
def test_a_save_keeps_the_files_permissions_and_its_link(program, tmp_path, kind):
    ini = program / "Swirlbloom.ini"
    if kind == "link":
        (tmp_path / "elsewhere").mkdir()
        write_settings(tmp_path / "elsewhere", b" 2", b" 3", b"")
        target = tmp_path / "elsewhere" / "settings.ini"
        os.rename(tmp_path / "elsewhere" / "Swirlbloom.ini", target)
        ini.symlink_to(target)
    else:
        write_settings(program, b" 2", b" 3", b"")
        os.chmod(ini, kind)
        target = ini
    mode = os.stat(target).st_mode & 0o777
    save_cd(program)
    assert read_settings(program) == {KIND: "1", REPEAT: "3", FILE: ""}
    assert os.stat(target).st_mode & 0o777 == mode
    assert ini.is_symlink() == (kind == "link") and ini.resolve() == target
    leftovers = {"Swirlbloom.new", "Swirlbloom.old"}
    assert not leftovers & {p.name for p in [*program.iterdir(), *target.parent.iterdir()]}


def test_a_missing_file_in_a_writable_folder_is_created_as_before(program):
    d = Dialog(program)
    d.click(LABELS["cd"], panel=True)
    d.button(CMD_SET)
    assert d.ended()
    assert (program / "Swirlbloom.ini").read_bytes() == b"".join(
        b"%s\r\n" % line for line in (b"[Section]", KIND.encode("cp932") + b"=1", REPEAT.encode("cp932") + b"=0",
                                      FILE.encode("cp932") + b"="))
    assert not (program / "Swirlbloom.new").exists()


# A settings file in Unicode (it begins with a byte order mark) names its keys in characters,
# the same on every system: it loads as written whatever the code page, and a save writes the
# same keys back in the same encoding and adds none.
@pytest.mark.parametrize("encoding", ["utf-16", "utf-8-sig"])
def test_a_unicode_settings_file_loads_and_saves_its_own_keys(program, tmp_path, encoding):
    (tmp_path / "music").mkdir()
    tone = windows_path(make_tone(tmp_path / "music" / "loop.wav", seconds=0.2))
    ini = program / "Swirlbloom.ini"
    ini.write_bytes("[Section]\r\n{}= 1\r\n{}= 5\r\n{}={}\r\n".format(KIND, REPEAT, FILE, tone).encode(encoding))
    d = Dialog(program)
    d.button(CMD_SET)
    assert d.ended()
    saved = ini.read_bytes()
    assert saved.startswith("".encode(encoding)), saved[:16]
    values = dict(line.split("=", 1) for line in saved.decode(encoding).split("\r\n") if "=" in line)
    assert {key: value.strip() for key, value in values.items()} == {KIND: "1", REPEAT: "5", FILE: tone}


@contextlib.contextmanager
def small_disk(tmp_path, kilobytes):
    """A file system of its own, `kilobytes` large; fill() then takes all its room left."""
    disk = tmp_path / "disk"
    disk.mkdir()
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % kilobytes, "tmpfs", str(disk)], check=True, timeout=30)
    try:
        yield disk
    finally:
        end_wine_processes()
        subprocess.run(["umount", "-l", str(disk)], timeout=30)


def fill(disk):
    with contextlib.suppress(OSError), open(disk / "filler", "wb", buffering=0) as filler:
        while filler.write(b"\0" * 4096):
            pass


def test_a_full_disk_is_reported_and_the_file_kept_whole(tmp_path):
    with small_disk(tmp_path, (BIN_SCR.stat().st_size // 1024) + 64) as disk:
        program = install_copy(disk, renderer=False)
        write_settings(program, b" 2", b" 3", b"")
        with open(program / "Swirlbloom.ini", "ab") as ini:
            ini.write(OTHER_SECTION)
        fill(disk)
        refused_save(program)


# The save's last step gives the file back its identity (its permissions) by writing the new
# bytes into it. A file with another name, a hard link made as a backup, must not be written
# into: a disk that filled meanwhile would leave that name cut. Here the disk is full when that
# step begins, and the new text needs pages the old one does not have.
def test_a_full_disk_at_the_last_step_cuts_no_name_of_the_file(tmp_path):
    with small_disk(tmp_path, 64) as disk:
        old = write_settings(disk, b" 2", b" 3", b"")
        os.link(disk / "Swirlbloom.ini", disk / "backup.ini")
        new = old + OTHER_SECTION + b"long=" + b"v" * 12000 + b"\r\n"
        (disk / "Swirlbloom.new").write_bytes(new)
        fill(disk)
        done = run_wine(MUSIC_PROBE, "replace", windows_path(disk / "Swirlbloom.new"),
                        windows_path(disk / "Swirlbloom.ini"))
        assert (disk / "backup.ini").read_bytes() == old
        assert (disk / "Swirlbloom.ini").read_bytes() == new
        assert done.stdout == "replaced\n" and not (disk / "Swirlbloom.old").exists(), done.stdout


# ---- music files whose names the ANSI code page cannot hold ----

def test_a_name_the_code_page_cannot_hold_is_saved_by_its_short_name(tmp_path):
    program = install_copy(tmp_path, renderer=False)
    write_settings(program)
    (tmp_path / "music").mkdir()
    tone = make_tone(tmp_path / "music" / "מוזיקה.wav", seconds=0.2)  # held by neither 1252 nor 932
    choose_file_and_confirm(program, windows_path(tone), typed=False)
    stored = read_settings(program)[FILE]
    print("stored:", stored)
    # Wine makes up 8.3 names for a Unix file system's long names, and finds the file by them.
    assert stored.isascii() and "?" not in stored and "~" in stored, stored
    found = subprocess.run(["winepath", "-u", stored], capture_output=True, text=True, timeout=30).stdout.strip()
    assert found == str(tone)


# ---- the keyboard alone ----

def focused(hwnd):
    """The window that has the keyboard focus in the dialog's thread, as the probe describes it."""
    result = run_wine(PROBE, "focus", "#%d" % hwnd)
    return json.loads(result.stdout) if result.returncode == 0 else None


def test_the_keyboard_alone_chooses_a_file_and_saves_what_the_mouse_saves(tmp_path):
    (tmp_path / "music").mkdir()
    tone = windows_path(make_tone(tmp_path / "music" / "loop.wav", seconds=0.2))
    by_mouse = install_copy(tmp_path / "mouse", renderer=False)
    write_settings(by_mouse)
    choose_file_and_confirm(by_mouse, tone)

    program = install_copy(tmp_path / "keyboard", renderer=False)
    write_settings(program)
    d = Dialog(program)
    window = xdotool("search", "--name", "^<Pomarel>$").stdout.split()[0]
    xdotool("windowactivate", "--sync", window)  # as the system hands a new window the keyboard
    sequence = []

    def press(keysym):
        sequence.append(keysym)
        xdotool("key", "--clearmodifiers", keysym)
        time.sleep(0.4)

    def expect_focus(cls, title):
        info = focused(d.hwnd)
        assert info and info["cls"] == cls, (title, info)
        if ANSI == "cp932":  # the names through the ANSI calls: the Japanese ones hold there only
            assert info["title"] == title, info

    press("Tab")
    expect_focus("PomarelFocusHolder", "なし")  # the music group, named after its choice
    press("Down")
    expect_focus("PomarelFocusHolder", "MP3、WAV")
    press("Tab")  # past the track box, which stays off for a file
    expect_focus("PomarelCommand", "...")
    press("space")
    chooser = find_chooser()
    assert chooser, "Space on \"...\" did not open the file chooser"
    xdotool("windowactivate", "--sync", chooser)
    sequence.append("<%s>" % tone)
    xdotool("type", "--delay", "60", tone)
    time.sleep(0.3)
    press("Return")
    deadline = time.time() + 20
    while find_chooser(timeout=0.5) and time.time() < deadline:
        time.sleep(0.3)
    expect_focus("PomarelCommand", "...")  # back where it was
    press("Return")
    assert d.ended(), "Return saves and ends the program"

    data = (program / "Swirlbloom.ini").read_bytes()
    print("keys:", " ".join(sequence))
    print("file:", data)
    assert read_settings(program) == {KIND: "2", REPEAT: "0", FILE: tone}
    assert data == (by_mouse / "Swirlbloom.ini").read_bytes()
