"""music_probe.exe driven over stdin, settings files written byte for byte, and loudness over
time from a recording; shared by test_music.py and test_settings.py."""
import os
import queue
import shutil
import subprocess
import threading
from pathlib import Path

from harness import TOOLS, windows_path

MUSIC_PROBE = TOOLS / "music_probe.exe"
KEY_KIND = "BGM区分".encode("cp932")
KEY_REPEAT = "BGMﾘﾋﾟｰﾄ".encode("cp932")
KEY_FILE = "BGMﾌｧｲﾙ".encode("cp932")


def write_settings(folder, kind, repeat, file):
    """A settings file as a Japanese system would hold it: cp932 keys, ANSI values."""
    def value(v):
        return v if isinstance(v, bytes) else str(v).encode("cp1252")
    data = (b"[Section]\r\n" + KEY_KIND + b"=" + value(kind) + b"\r\n" + KEY_REPEAT + b"=" + value(repeat)
            + b"\r\n" + KEY_FILE + b"=" + value(file) + b"\r\n")
    path = Path(folder) / "Swirlbloom.ini"
    path.write_bytes(data)
    return path


class MusicProbe:
    """music_probe.exe with a stdin pipe: `stop` ends the music, `quit` the program."""

    def __init__(self, *args, exe=MUSIC_PROBE):
        env = dict(os.environ)
        env.setdefault("WINEDEBUG", "-all")
        env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        self.proc = subprocess.Popen(["wine", str(exe), *[str(a) for a in args]], env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, encoding="utf-8",
                                     start_new_session=True)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\r\n"))
        self.lines.put(None)

    def expect(self, prefix, timeout=60):
        while True:
            line = self.lines.get(timeout=timeout)
            if line is None:
                raise AssertionError("music_probe ended before %r" % prefix)
            if line.startswith(prefix):
                return line

    def tell(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()

    def close(self):
        try:
            self.tell("quit")
            self.proc.stdin.close()
        except OSError:
            pass
        try:
            self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def loudness(wav, step=0.1):
    """RMS (0..1) of each `step`-second window of a recording, mixed to mono."""
    raw = subprocess.run(["sox", str(wav), "-t", "raw", "-e", "signed", "-b", "16", "-c", "1", "-r", "8000", "-"],
                         capture_output=True, check=True, timeout=60).stdout
    samples = memoryview(raw).cast("h")
    size = int(8000 * step)
    out = []
    for start in range(0, len(samples) - size + 1, size):
        window = samples[start:start + size]
        out.append((sum(s * s for s in window) / size) ** 0.5 / 32768.0)
    return out


def longest_quiet_after_start(levels, step=0.1, loud=0.05):
    """The longest run of quiet windows between the first and the last loud one, in seconds."""
    marks = [i for i, v in enumerate(levels) if v > loud]
    if not marks:
        return None
    longest = run = 0
    for v in levels[marks[0]:marks[-1] + 1]:
        run = run + 1 if v <= loud else 0
        longest = max(longest, run)
    return longest * step


def private_probe(folder):
    """A copy of music_probe.exe in `folder`, so the folder is the program's own."""
    exe = Path(folder) / "music_probe.exe"
    shutil.copy2(MUSIC_PROBE, exe)
    return exe


__all__ = ["MusicProbe", "write_settings", "loudness", "longest_quiet_after_start", "private_probe",
           "windows_path", "KEY_KIND", "KEY_REPEAT", "KEY_FILE"]
