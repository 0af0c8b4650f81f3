"""The installers, built by packaging/windows/make-installer from the test builds' programs: the
x64 one installed, run, upgraded and uninstalled silently under Wine, in a prefix of this
module's own (they change the user's registry), and read back from the file system and the
registry, also in Japanese and with folders it must refuse; the x86 one, which this kernel
cannot run, checked as a file."""
import json
import os
import re
import struct
import subprocess
import time
from pathlib import Path

import pytest

from harness import (BIN, WM_COMMAND, child_windows, post, probe, run_wine, screenshot, wait_gone, wait_window, window_info,
                     wine)
from host_helpers import end_renderer
from test_renderer import histogram
from dialog_helpers import CMD_SET, Dialog

ROOT = Path(__file__).resolve().parents[2]
BIN32 = Path(os.environ.get("POMAREL_BIN32", "build/win32/bin"))
VERSION = re.search(r"project\(Pomarel VERSION (\d+)\.(\d+)\.(\d+)", (ROOT / "CMakeLists.txt").read_text())
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pomarel"
DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALLER = "Uninstall Pomarel.exe"
PROGRAMS = {"Pomarel.scr": BIN / "Pomarel.scr", "Pomarel.dll": BIN / "Pomarel.dll",
            "Pomarel.html": ROOT / "docs" / "Pomarel.html", "LICENSE.txt": ROOT / "LICENSE"}
MENU = r"\Microsoft\Windows\Start Menu\Programs\Pomarel"
SHORTCUTS = {"Pomarel settings.lnk", "Pomarel guide.lnk", "Uninstall Pomarel.lnk"}
# Wine turns arguments and paths into Windows text through the Unix locale, and takes the
# user's language from it.
UTF8 = {"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"}
JAPANESE = {"LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8"}


@pytest.fixture(scope="module")
def prefix(tmp_path_factory):
    with pytest.MonkeyPatch.context() as patch:
        patch.setenv("WINEPREFIX", str(tmp_path_factory.mktemp("installer") / "wineprefix"))
        run_wine("wineboot", "-i", timeout=300)
        yield


@pytest.fixture(scope="module")
def installers(tmp_path_factory):
    """installers(arch): the installer of that build, made on first use. tools/test asks for
    the x86 one only once the 32-bit build, which it runs in the background, is there."""
    out = tmp_path_factory.mktemp("setup")
    built = {}

    def installer(arch):
        if arch not in built:
            target = out / ("setup-%s.exe" % arch)
            programs = BIN if arch == "x64" else BIN32
            result = subprocess.run([ROOT / "packaging/windows/make-installer", arch, programs, target],
                                    capture_output=True, text=True, timeout=600)
            assert result.returncode == 0, result.stdout + result.stderr
            print("%s installer: %d bytes" % (arch, target.stat().st_size))
            built[arch] = target
        return built[arch]
    return installer


def shipped(name):
    """The bytes the installers put into the folder as `name`: the licence with CRLF line ends."""
    data = PROGRAMS[name].read_bytes()
    return data.replace(b"\n", b"\r\n") if name == "LICENSE.txt" else data


def unix(path):
    return Path(subprocess.run(["winepath", "-u", path], capture_output=True, text=True, check=True,
                               env=dict(os.environ, **UTF8), timeout=30).stdout.strip())


def registry(key):
    """{name: text or number} of the key's values, or None if there is no such key."""
    exported = Path(os.environ["WINEPREFIX"]) / "export.reg"
    if run_wine("reg", "export", key, "Z:" + str(exported).replace("/", "\\"), "/y").returncode != 0:
        return None
    values = {}
    for line in exported.read_text("utf-16").splitlines():
        match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"=(?:"((?:[^"\\]|\\.)*)"|dword:([0-9a-f]{8}))', line)
        if match:
            name, text, dword = match.groups()
            values[re.sub(r"\\(.)", r"\1", name)] = int(dword, 16) if dword else re.sub(r"\\(.)", r"\1", text)
    return values


def install(setup, *switches, folder=None, env=UTF8, quoted=False):
    """The installer run silently: its exit code. /D= comes last; wine quotes an argument with
    blanks, so it is given as words, which wine joins with blanks, unless `quoted`."""
    began = time.monotonic()
    words = [] if folder is None else ["/D=" + folder] if quoted else ("/D=" + folder).split(" ")
    code = run_wine(setup, "/S", *switches, *words, timeout=120, env=env).returncode
    print("silent install: %.2f s, exit code %d" % (time.monotonic() - began, code))
    return code


def uninstall(entry, *switches, last):
    """The entry's QuietUninstallString run with `switches`. The uninstaller hands its work to a
    copy of itself and returns, so this waits for `last`, the last thing the copy removes."""
    program, arguments = re.fullmatch(r'"([^"]+)" (.*)', entry["QuietUninstallString"]).groups()
    began = time.monotonic()
    assert run_wine(program, *arguments.split(), *switches, env=UTF8).returncode == 0
    while last.exists():
        assert time.monotonic() - began < 60, "the uninstaller never finished"
        time.sleep(0.1)
    print("silent uninstall: %.2f s" % (time.monotonic() - began))


def test_install_run_upgrade_and_uninstall(prefix, installers, tmp_path):
    setup = installers("x64")
    assert install(setup) == 0
    local, roaming = run_wine("cmd", "/c", "echo %LOCALAPPDATA%^|%APPDATA%").stdout.strip().split("|")
    folder = unix(local + r"\Programs\Pomarel")
    menu = unix(roaming + r"\Microsoft\Windows\Start Menu\Programs\Pomarel")
    assert {p.name for p in folder.iterdir()} == {*PROGRAMS, UNINSTALLER}
    for name in PROGRAMS:
        assert (folder / name).read_bytes() == shipped(name), name
    assert {p.name for p in menu.iterdir()} == SHORTCUTS

    entry = registry(UNINSTALL)
    print("uninstall entry:", entry)
    location = entry["InstallLocation"]
    assert unix(location) == folder
    assert {name: entry.get(name) for name in ("DisplayName", "DisplayVersion", "DisplayIcon", "UninstallString",
                                               "QuietUninstallString", "NoModify", "NoRepair", "URLInfoAbout",
                                               "HelpLink")} == {
        "DisplayName": "Pomarel", "DisplayVersion": ".".join(VERSION.groups()),
        "DisplayIcon": location + r"\Pomarel.scr,0", "UninstallString": '"%s\\%s"' % (location, UNINSTALLER),
        "QuietUninstallString": '"%s\\%s" /S' % (location, UNINSTALLER), "NoModify": 1, "NoRepair": 1,
        "URLInfoAbout": location + r"\Pomarel.html", "HelpLink": location + r"\Pomarel.html"}
    size = sum(p.stat().st_size for p in folder.iterdir())
    assert abs(entry["EstimatedSize"] * 1024 - size) < 5 * 1024, "kilobytes of every installed file"
    desktop = registry(DESKTOP)
    print("Control Panel\\Desktop:", {k: desktop.get(k) for k in ("SCRNSAVE.EXE", "ScreenSaveActive")})
    assert desktop["ScreenSaveActive"] == "1"
    assert unix(desktop["SCRNSAVE.EXE"]).samefile(folder / "Pomarel.scr")

    # The installed screensaver runs; meanwhile neither the installer nor the uninstaller (made
    # to wait for its result) touches anything, and both fail.
    session = wine(location + r"\Pomarel.scr", "/s")
    assert wait_window("Swirlbloom_VC", timeout=60), "no confetti window"
    time.sleep(2.5)
    counts = histogram(screenshot(tmp_path / "session.png"))
    assert len([rgb for rgb, n in counts.items() if n >= 30 and max(rgb) >= 40]) >= 8, "confetti of many colours"
    before = {p.name: (p.stat().st_mtime_ns, p.read_bytes()) for p in folder.iterdir()}
    assert install(setup) == 2
    assert run_wine(location + "\\" + UNINSTALLER, "/S", "_?=" + location).returncode == 2
    assert {p.name: (p.stat().st_mtime_ns, p.read_bytes()) for p in folder.iterdir()} == before
    assert registry(UNINSTALL) == entry
    end_renderer()
    session.wait(timeout=30)

    # The settings shortcut opens the dialog of the installed program, which saves beside it.
    shortcut = roaming + r"\Microsoft\Windows\Start Menu\Programs\Pomarel\Pomarel settings.lnk"
    dialog = Dialog(folder, command=("start", shortcut))
    dialog.button(CMD_SET)
    assert wait_gone("<Pomarel>", timeout=30)
    settings = (folder / "Swirlbloom.ini").read_bytes()
    assert settings.startswith(b"[Section]")

    # An upgrade over older programs that keeps another chosen screensaver: new programs, the
    # same settings file.
    other = r"C:\windows\system32\other.scr"
    run_wine("reg", "add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", other, "/f")
    for name in ("Pomarel.scr", "Pomarel.dll"):
        (folder / name).write_bytes(b"MZ an older version")
    assert install(setup, "/KEEPCURRENT") == 0
    assert (folder / "Swirlbloom.ini").read_bytes() == settings
    for name in PROGRAMS:
        assert (folder / name).read_bytes() == shipped(name), name
    assert registry(DESKTOP)["SCRNSAVE.EXE"] == other

    uninstall(entry, last=folder / UNINSTALLER)
    assert [p.name for p in folder.iterdir()] == ["Swirlbloom.ini"]
    assert (folder / "Swirlbloom.ini").read_bytes() == settings
    assert not menu.exists()
    assert registry(UNINSTALL) is None
    after = registry(DESKTOP)
    assert (after["SCRNSAVE.EXE"], after["ScreenSaveActive"]) == (other, "1"), "another saver is left alone"


# A folder past MAX_PATH whose 8.3 form is short, and one the ANSI code page (1252 here) cannot
# hold: the programs reach their files through the 8.3 forms, the shortcuts' targets included.
LONG_FOLDER = "C:\\Pomarel long" + "\\a folder name far longer than eight and three" * 6
# The longest folder of names that are their own 8.3 forms: 237 characters, "\\Uninstall Pomarel.exe"
# after it makes 259, one less than MAX_PATH; one more is refused.
LONGEST = ("C:" + "\\Pomarel" * 30)[:237]
TOO_LONG = LONGEST + "0"
# 242 characters with blanks and accents: only its 8.3 form leaves the uninstall shortcut's target
# within MAX_PATH. (Wine's shell starts no shortcut into a folder of a dozen such names or more.)
ACCENTS = (r"C:\Meine Bildschirmschoner\Pomarel für Änne" + r"\ein Ordnername, länger als acht und drei Zeichen" * 5)[:242]
# {name: (/D= as given, whether quoted as one argument, the plain folder)}: /D= spelled with
# forward slashes and dot segments, or quoted as Windows quotes an argument with blanks.
FOLDERS = {"blanks and accents, quoted": (ACCENTS, True, ACCENTS), "japanese": (r"C:\Sp3\日本語", False, r"C:\Sp3\日本語"),
           "long, slashes and dots": ("C:/nonexist/../" + LONG_FOLDER[3:].replace("\\", "/./"), False, LONG_FOLDER),
           "longest without 8.3 forms": (LONGEST, False, LONGEST)}


@pytest.mark.parametrize("given, quoted, target", FOLDERS.values(), ids=FOLDERS.keys())
def test_other_folders_the_shortcuts_and_removing_the_settings(prefix, installers, given, quoted, target):
    assert install(installers("x64"), folder=given, quoted=quoted) == 0
    folder = unix(target)
    assert {p.name for p in folder.iterdir()} == {*PROGRAMS, UNINSTALLER}
    assert not (Path(os.environ["WINEPREFIX"]) / "drive_c" / "nonexist").exists()
    entry = registry(UNINSTALL)
    assert entry["InstallLocation"] == target
    desktop = registry(DESKTOP)
    saver = desktop.pop("SCRNSAVE.EXE")
    print("SCRNSAVE.EXE:", saver)
    assert " " not in saver and unix(saver).samefile(folder / "Pomarel.scr"), "the short form"

    menu = run_wine("cmd", "/c", "echo %APPDATA%").stdout.strip() + MENU
    Dialog(folder, command=("start", menu + r"\Pomarel settings.lnk")).button(CMD_SET)
    assert wait_gone("<Pomarel>", timeout=30), "the settings were not saved"
    remover = wine("start", menu + r"\Uninstall Pomarel.lnk")
    window = wait_window("Pomarel Uninstall ", timeout=30)
    assert window, "the uninstall shortcut starts nothing"
    assert post(window, WM_COMMAND, 2)  # Cancel
    assert wait_gone("Pomarel Uninstall ", timeout=30)
    remover.wait(timeout=30)
    assert "BGM区分".encode("cp932") + b"=0" in (folder / "Swirlbloom.ini").read_bytes()

    # What interrupted saves of this and earlier versions leave behind goes with the settings.
    for name in ("Swirlbloom.new", "Swirlbloom.old", "Swirlbloom.ini.saving"):
        (folder / name).write_bytes(b"[Section]\r\n")
    uninstall(entry, "/REMOVESETTINGS", last=folder)
    assert registry(UNINSTALL) is None
    assert registry(DESKTOP) == desktop, "SCRNSAVE.EXE cleared, nothing else changed"


def wizard_page(window, text, having=None, timeout=60):
    """The children of the wizard `window` once one of them shows `text` and, if given, one is
    `having` (a test of a child). A new page's texts are there, still hidden, before its other
    controls are shown and sized, so a test of a control waits for the control itself."""
    began = time.monotonic()
    while time.monotonic() - began < timeout:
        children = child_windows(window)
        if any(text in child["title"] for child in children) and (having is None or any(map(having, children))):
            return children
        time.sleep(0.3)
    raise AssertionError("no page showing %r: %s" % (text, [(c["cls"], c["title"], c["client"], c["visible"])
                                                           for c in child_windows(window)]))


def is_picture(child):
    """The picture at the wizard's left, which it stretches to its control: 314 pixels high at 96 dpi."""
    return child["cls"] == "Static" and child["visible"] and child["client"][1] == 314 and child["client"][0] < 300


def shows_our_picture(window, text, shot, timeout=30):
    """True when the picture on the page showing `text` is packaging/windows/wizard.bmp. NSIS's
    own picture differs by about 0.17. A picture just shown may not be painted yet."""
    began = time.monotonic()
    while True:
        left, top, right, bottom = next(c["rect"] for c in wizard_page(window, text, is_picture) if is_picture(c))
        screenshot(shot)
        difference = subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                                     "+repage", "-filter", "point", "-resize", "164x314!",
                                     ROOT / "packaging/windows/wizard.bmp", "-compose", "difference", "-composite",
                                     "-format", "%[fx:mean]", "info:"], capture_output=True, text=True, timeout=60)
        print("the picture differs from wizard.bmp by", difference.stdout)
        if float(difference.stdout) < 0.03 or time.monotonic() - began > timeout:
            return float(difference.stdout) < 0.03
        time.sleep(0.5)


def is_edit(child):
    return child["cls"] == "Edit" and child["visible"]


def in_the_way(name):
    """A folder in which a folder stands where the installer puts `name`."""
    (Path(os.environ["WINEPREFIX"]) / "drive_c" / "Pomarel blocked" / name / name).mkdir(parents=True, exist_ok=True)
    return "C:\\Pomarel blocked\\" + name


def refuses_on_the_folder_page(window, folder, says):
    """A folder Pomarel cannot use, typed on the folder page: Next says so, naming it, and stays."""
    edit = next(c for c in wizard_page(window, "Choose Install Location", is_edit) if is_edit(c))
    assert probe("settext", "#%d" % edit["hwnd"], folder).returncode == 0
    assert post(window, WM_COMMAND, 1)
    pid = window_info(window)["pid"]
    began = time.monotonic()
    while True:
        boxes = [w for w in json.loads(probe("top", str(pid)).stdout) if w["owner"] == window and w["visible"]]
        if boxes or time.monotonic() - began > 30:
            break
        time.sleep(0.3)
    assert boxes, "no message on the folder page"
    text = " ".join(c["title"] for c in child_windows(boxes[0]["hwnd"]))
    assert says in text and folder in text, text
    assert post(boxes[0]["hwnd"], WM_COMMAND, 1)
    wizard_page(window, "Choose Install Location")


def test_the_wizard_shows_our_picture_and_the_uninstaller_what_it_frees(prefix, installers, tmp_path):
    """Clicked through as a person would: Next, Install and Finish are the wizard's IDOK."""
    setup = wine(installers("x64"), env=UTF8)
    window = wait_window("Pomarel Setup", timeout=60)
    assert shows_our_picture(window, "Welcome to", tmp_path / "welcome.png")
    for text in ("Welcome to", "Choose Components", "Choose Install Location"):
        wizard_page(window, text)
        if text == "Choose Install Location":
            refuses_on_the_folder_page(window, TOO_LONG, "cannot work in this folder")
            refuses_on_the_folder_page(window, in_the_way("Pomarel.scr"), "a folder stands where")
            edit = next(c for c in child_windows(window) if is_edit(c))
            assert probe("settext", "#%d" % edit["hwnd"], r"C:\Pomarel wizard").returncode == 0
        assert post(window, WM_COMMAND, 1)
        time.sleep(0.5)
    assert shows_our_picture(window, "Completing", tmp_path / "finish.png")
    assert post(window, WM_COMMAND, 1)
    assert setup.wait(timeout=60) == 0

    location = registry(UNINSTALL)["InstallLocation"]
    folder = unix(location)
    size = sum(p.stat().st_size for p in folder.iterdir())
    remover = wine(location + "\\" + UNINSTALLER, "_?=" + location, env=UTF8)
    window = wait_window("Pomarel Uninstall ", timeout=60)  # NSIS's caption, blank and all
    wizard_page(window, "Uninstalling from")
    assert post(window, WM_COMMAND, 1)
    label = next(c["title"] for c in wizard_page(window, "Space freed:") if c["title"].startswith("Space freed:"))
    print(label, "for %d bytes" % size)
    number, unit = re.fullmatch(r"Space freed: ([\d.]+) (KB|MB)", label).groups()
    assert abs(float(number) * (1024 if unit == "KB" else 1024 * 1024) - size) < 0.1 * 1024 * 1024
    assert post(window, WM_COMMAND, 2)  # Cancel: nothing removed
    remover.wait(timeout=60)
    assert (folder / "Pomarel.scr").exists()
    uninstall(registry(UNINSTALL), last=folder / UNINSTALLER)


@pytest.mark.parametrize("arch, machine", [("x64", 0x8664), ("x86", 0x014C)], ids=["x64", "x86"])
def test_each_installer_has_its_machine_and_the_project_version(installers, arch, machine):
    major, minor, patch = (int(v) for v in VERSION.groups())
    data = installers(arch).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0" and struct.unpack_from("<H", data, pe + 4)[0] == machine
    fixed = data.index(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO
    assert struct.unpack_from("<4I", data, fixed + 8) == ((major << 16) | minor, patch << 16) * 2


# {name: (/D=, whether quoted as one argument)} of folders the installer cannot use. Folders stand
# where it puts a file, and where it puts a shortcut for the last one, found only once it has
# begun: what it wrote goes again.
REFUSED = {"a file": (r"C:\pomarel-file", False), "under a file": (r"C:\pomarel-file\Pomarel", False),
           "quoted, under a file": (r"C:\pomarel-file\Pomarel x", True), "no such drive": (r"Q:\Pomarel", False),
           "empty": ("", False), "relative": (r"Programs\Pomarel", False), "too long": (TOO_LONG, False),
           "a drive root through dots": (r"C:\nonexist\..", False),
           **{"a folder named " + name: ("C:\\Pomarel blocked\\" + name, False)
              for name in (UNINSTALLER, "Pomarel.scr", "Pomarel.dll")},
           "a folder in the Start menu": (r"C:\Pomarel menu blocked", False)}


def test_a_folder_it_cannot_use_is_refused_and_nothing_changes(prefix, installers):
    drive_c = Path(os.environ["WINEPREFIX"]) / "drive_c"
    (drive_c / "pomarel-file").write_bytes(b"a file, not a folder")
    assert not (drive_c.parent / "dosdevices" / "q:").exists()
    for name in (UNINSTALLER, "Pomarel.scr", "Pomarel.dll"):
        in_the_way(name)
    shortcut = unix(run_wine("cmd", "/c", "echo %APPDATA%").stdout.strip() + MENU + r"\Pomarel guide.lnk")
    shortcut.mkdir(parents=True)
    def state():
        return registry(UNINSTALL), registry(DESKTOP), sorted(drive_c.iterdir()), sorted(drive_c.rglob("Pomarel*"))
    before = state()
    try:
        for name, (folder, quoted) in REFUSED.items():
            assert (name, install(installers("x64"), folder=folder, quoted=quoted)) == (name, 2)
            assert state() == before, name
    finally:
        shortcut.rmdir()
        shortcut.parent.rmdir()


def test_a_japanese_installation_has_japanese_start_menu_entries(prefix, installers):
    assert install(installers("x64"), env=JAPANESE) == 0
    entry = registry(UNINSTALL)
    roaming = run_wine("cmd", "/c", "echo %APPDATA%").stdout.strip()
    menu = unix(roaming + r"\Microsoft\Windows\Start Menu\Programs\Pomarel")
    assert {p.name for p in menu.iterdir()} == {"Pomarel の設定.lnk", "Pomarel ガイド.lnk",
                                                "Pomarel のアンインストール.lnk"}
    uninstall(entry, last=unix(entry["InstallLocation"]) / UNINSTALLER)  # in English
    assert not menu.exists()
