"""The settings dialog of a running Pomarel.scr /c: its title, the settings file's keys, the
geometry of its controls, the file read back, and the dialog driven with the real X pointer;
shared by test_settings_dialog.py, test_folders.py and test_installer.py."""
import subprocess
import time

from harness import ANSI, click, wait_window, window_info, wine, xdotool

TITLE = "<Pomarel>"
KIND, REPEAT, FILE = "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"

# Client-area geometry in pixels at Wine's 96 dots per inch (15 twips per pixel).
PANEL = (12, 16)
LABELS = {  # panel-relative
    "cd": (44, 56, 43, 13), "none": (44, 76, 22, 13), "file": (44, 96, 60, 13),
    "title": (20, 24, 111, 13), "repeat": (156, 56, 66, 13),
}
IMAGES = {"cd": (28, 56), "none": (28, 76), "file": (28, 96)}
COMBO = (112, 52, 41, 20)
CMD_FILE = (28, 116, 41, 21)
CMD_SET = (324, 200, 77, 25)
CMD_CAN = (404, 200, 77, 25)


def read_settings(folder):
    """The three values as the file holds them (the system's writer may drop the leading blank)."""
    path = folder / "Swirlbloom.ini"
    if not path.exists():
        return None
    values = {}
    for line in path.read_bytes().split(b"\r\n"):
        if b"=" in line:
            key, value = line.split(b"=", 1)
            values[key.decode("cp932")] = value.decode(ANSI).strip()
    return values


class Dialog:
    """A running Pomarel.scr /c (or what `command` starts, a shortcut to it) and its window."""

    def __init__(self, folder, env=None, command=None, cwd=None):
        self.folder = folder
        self.proc = wine(*(command or (folder / "Pomarel.scr", "/c")), env=env, cwd=cwd)
        self.hwnd = wait_window(TITLE, timeout=60)
        assert self.hwnd, "no settings dialog; the program %s" % (
            "still runs" if self.proc.poll() is None else "ended with %d" % self.proc.returncode)
        info = window_info(self.hwnd)
        left, top, right, bottom = info["rect"]
        cw, ch = info["client"]
        border = ((right - left) - cw) // 2
        # The client area's screen origin: the frame is as wide on every side but the top.
        self.origin = (left + border, bottom - border - ch)
        self.info = info
        time.sleep(0.5)  # the first paint

    def at(self, x, y, panel=False):
        ox, oy = self.origin
        if panel:
            ox, oy = ox + PANEL[0], oy + PANEL[1]
        return ox + x, oy + y

    def click(self, rect, button=1, panel=False):
        x, y = self.at(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2, panel)
        click(x, y, button)
        time.sleep(0.3)

    def button(self, rect, panel=False):
        """A Command click as a user makes it: the pointer rests on the button, then a click."""
        x, y = self.at(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2, panel)
        xdotool("mousemove", x - 3, y)
        time.sleep(0.2)
        xdotool("mousemove", x, y)
        time.sleep(0.2)
        xdotool("click", 1)
        time.sleep(0.3)

    def ended(self, timeout=60):
        try:
            self.proc.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False
