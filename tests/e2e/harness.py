"""Hands and eyes of the end-to-end tests: starts the real programs under Wine, finds and
inspects their windows through pomarel_probe.exe, sends real X input with xdotool, takes
screenshots with ImageMagick and records what plays on the PulseAudio null sink.

The environment (DISPLAY, WINEPREFIX, PulseAudio) comes from tools/lib/testenv.sh, and so do
the environments of other shapes that some tests need (own_environment).
"""
import contextlib
import functools
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

BIN = Path(os.environ.get("POMAREL_BIN", "build/win64/bin"))
TOOLS = Path(os.environ.get("POMAREL_TOOLS", "build/win64/tests"))
PROBE = TOOLS / "pomarel_probe.exe"
# The ANSI code page of the Wine prefix: tools/test runs the settings, music and dialog tests
# a second time in a prefix of code page 932 (POMAREL_CODEPAGE=932, a Japanese locale).
ANSI = "cp932" if os.environ.get("POMAREL_CODEPAGE") == "932" else "cp1252"

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
WM_KEYDOWN = 0x0100
WM_KEYUP = 0x0101
SC_MINIMIZE = 0xF020
SC_RESTORE = 0xF120
SC_SCREENSAVE = 0xF140
SC_MONITORPOWER = 0xF170
IDYES = 6
IDNO = 7


def _env(extra=None):
    env = dict(os.environ)
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    if extra:
        env.update(extra)
    return env


def wine(*args, cwd=None, env=None):
    """Starts `wine <args>` and returns the Popen. Output is discarded: the first program of a
    prefix that needs the desktop starts Wine's desktop process, which inherits the program's
    handles, so a pipe here would stay open long after the program has ended."""
    return subprocess.Popen(["wine", *[str(a) for a in args]], cwd=cwd, env=_env(env),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def run_wine(*args, timeout=60, cwd=None, env=None):
    """Runs `wine <args>` to its end; its output goes through files, not pipes (see wine())."""
    # Wine programs write the prefix's ANSI code page, whatever the Unix locale says.
    with tempfile.TemporaryFile("w+", encoding=ANSI, errors="replace") as out, \
            tempfile.TemporaryFile("w+", encoding=ANSI, errors="replace") as err:
        result = subprocess.run(["wine", *[str(a) for a in args]], cwd=cwd, env=_env(env),
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(result.args, result.returncode, out.read(), err.read())


def probe(*args, timeout=60):
    return run_wine(PROBE, *args, timeout=timeout)


def _target(target):
    return "#%d" % target if isinstance(target, int) else str(target)


def find_window(title):
    result = probe("find", title)
    return int(result.stdout.split()[0]) if result.returncode == 0 and result.stdout.split() else 0


def wait_window(title, timeout=20):
    """The window's handle once it exists, or 0 after `timeout` seconds."""
    result = probe("wait", title, str(int(timeout * 1000)), timeout=timeout + 30)
    if result.returncode != 0:
        return 0
    return int(result.stdout.split()[0])


def wait_gone(title, timeout=20):
    return probe("gone", title, str(int(timeout * 1000)), timeout=timeout + 30).returncode == 0


def window_info(target):
    result = probe("info", _target(target))
    return json.loads(result.stdout) if result.returncode == 0 else None


def child_windows(hwnd):
    result = probe("children", _target(hwnd))
    return json.loads(result.stdout) if result.returncode == 0 else []


def post(target, msg, wparam=0, lparam=0):
    return probe("post", _target(target), str(msg), str(wparam), str(lparam)).returncode == 0


def send(target, msg, wparam=0, lparam=0):
    result = probe("send", _target(target), str(msg), str(wparam), str(lparam))
    return int(result.stdout.split()[0]) if result.returncode == 0 and result.stdout.split() else None


def display_mode():
    result = probe("mode")
    w, h, bpp = (int(v) for v in result.stdout.split()[:3])
    return w, h, bpp


def keep_wine_up(env=None):
    """A do-nothing Wine process started before anything else, with its output discarded.
    The first program of a prefix that needs the desktop starts Wine's desktop process, which
    inherits that program's output pipes; were it a probe, reading the probe's answer would
    never see the end of it. So the desktop is brought up here, by processes nobody reads."""
    keeper = subprocess.Popen(["wine", str(PROBE), "wait", "pomarel keeper (never shown)",
                               "900000"], env=_env(env), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True)
    subprocess.run(["wine", str(PROBE), "mode"], env=_env(env), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    return keeper


def wine_up(env=None):
    """The prefix's server kept up and Wine's services started by a program with no handles to
    inherit, as tools/lib/testenv.sh leaves a prefix (see testenv_wine_up there)."""
    for command in (["wineserver", "-p"], ["wine", "cmd", "/c", "exit"]):
        subprocess.run(command, env=_env(env), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)


def ensure_desktop():
    """Brings up Wine's desktop process (with nobody's pipes) by running a probe to its end."""
    run_wine(PROBE, "mode", timeout=120)


class Pane:
    """A top-level test window standing in for the system's preview pane."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.proc = None
        self.hwnd = 0

    def __enter__(self):
        # Started after the desktop is up, so no Wine service process holds the pipes.
        ensure_desktop()
        self.proc = subprocess.Popen(["wine", str(PROBE), "pane", str(self.width), str(self.height)],
                                     env=_env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.hwnd = int(self.proc.stdout.readline().strip() or 0)
        return self

    def _command(self, text):
        self.proc.stdin.write(text + "\n")
        self.proc.stdin.flush()
        return self.proc.stdout.readline().strip()

    def children(self):
        return json.loads(self._command("children") or "[]")

    def destroy(self):
        return self._command("destroy") == "destroyed"

    def __exit__(self, *exc):
        with contextlib.suppress(Exception):
            self.proc.stdin.write("quit\n")
            self.proc.stdin.close()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        return False


def screenshot(path):
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", "root", str(path)], check=True, capture_output=True, timeout=30)
    return path


def region_stats(png, x, y, w, h):
    """Mean colour, the brightest pixel's channel sum / 3 and the number of distinct colours."""
    # Counted by ImageMagick itself: a whole screen as text, parsed here, takes seconds.
    crop = "%dx%d+%d+%d" % (w, h, x, y)
    out = subprocess.run(["convert", str(png), "-crop", crop, "+repage", "-depth", "8",
                          "-format", "%k %[fx:255*mean.r] %[fx:255*mean.g] %[fx:255*mean.b] ", "-write", "info:",
                          "-grayscale", "Average", "-format", "%[fx:255*maxima]", "info:"],
                         capture_output=True, text=True, check=True, timeout=60).stdout.split()
    colours, r, g, b, brightest = out
    return {"mean": (float(r), float(g), float(b)), "max_brightness": float(brightest), "colours": int(colours)}


def xdotool(*args, timeout=30):
    return subprocess.run(["xdotool", *[str(a) for a in args]], capture_output=True, text=True,
                          timeout=timeout)


def key(title, keysym, hold=0.6):
    """A real key press held for `hold` seconds, then released. Wine ignores synthetic events
    (xdotool --window), so this goes through XTEST to the window that has the keyboard: the
    window manager is asked to activate the target first, as a person's click would, since
    another window (a preview pane, say) may have taken the focus. The renderer looks at its
    keys only once its queue has run empty, so a press and release delivered together would
    be missed."""
    found = xdotool("search", "--name", "^%s$" % re.escape(title))
    ids = found.stdout.split()
    if not ids:
        return False
    geometry = xdotool("getwindowgeometry", "--shell", ids[0]).stdout
    values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
    x = int(values.get("X", 0)) + int(values.get("WIDTH", 2)) // 2
    y = int(values.get("Y", 0)) + int(values.get("HEIGHT", 2)) // 2
    mouse_move(x, y)
    with contextlib.suppress(subprocess.TimeoutExpired):  # a window the manager won't activate
        xdotool("windowactivate", "--sync", ids[0], timeout=5)
    xdotool("keydown", keysym)
    time.sleep(hold)
    return xdotool("keyup", keysym).returncode == 0


def mouse_move(x, y):
    return xdotool("mousemove", x, y).returncode == 0


def click(x, y, button=1):
    mouse_move(x, y)
    return xdotool("click", button).returncode == 0


class _Recorder:
    def __init__(self, wav):
        self.wav = Path(wav)
        self.proc = None

    def rms(self, start_s=None, end_s=None):
        cmd = ["sox", str(self.wav), "-n"]
        if start_s is not None:
            cmd += ["trim", str(start_s)]
            if end_s is not None:
                cmd += [str(end_s - start_s)]
        cmd += ["stat"]
        out = subprocess.run(cmd, capture_output=True, text=True, timeout=60).stderr
        # sox prints "-nan" for an empty recording: the null sink gives nothing while idle.
        match = re.search(r"RMS\s+amplitude:\s+(\S+)", out)
        try:
            value = float(match.group(1)) if match else 0.0
        except ValueError:
            return 0.0
        return 0.0 if value != value else value


@contextlib.contextmanager
def record_sound(wav=None):
    """Records the null sink's monitor for the duration of the block."""
    wav = Path(wav or "/tmp/pomarel-recording-%d.wav" % os.getpid())
    rec = _Recorder(wav)
    rec.proc = subprocess.Popen(["parec", "-d", "capture.monitor", "--file-format=wav", str(wav)],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.3)
    try:
        yield rec
    finally:
        rec.proc.send_signal(signal.SIGINT)
        try:
            rec.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            rec.proc.kill()


def make_tone(path, seconds=1.5, freq=440):
    path = Path(path)
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", str(path), "synth", str(seconds), "sine",
                    str(freq)], check=True, capture_output=True, timeout=60)
    return path


def install_copy(tmp_path, renderer=True):
    """A program folder of the test's own, so the settings file beside the host is private."""
    folder = Path(tmp_path) / "Pomarel"
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(BIN / "Pomarel.scr", folder / "Pomarel.scr")
    if renderer:
        shutil.copy2(BIN / "Pomarel.dll", folder / "Pomarel.dll")
    return folder


def windows_path(path):
    # winepath is a Wine program like any other; on a loaded machine its first start in a fresh
    # prefix has failed once in many runs, so one more try before giving up.
    for attempt in range(2):
        result = subprocess.run(["winepath", "-w", str(path)], capture_output=True, text=True,
                                env=_env(), timeout=30)
        if result.returncode == 0 and result.stdout.strip():
            return result.stdout.strip()
        time.sleep(1.0)
    raise AssertionError("winepath -w %s: exit %d: %s" % (path, result.returncode, result.stderr[-500:]))


def unix_pids(*markers):
    """Unix processes whose command line holds every one of `markers`, such as a program's
    name and a test's own folder name: Wine keeps the Windows path of a program there."""
    pids = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue
        if all(marker in cmdline for marker in markers):
            pids.append(int(entry.name))
    return pids


TESTENV = Path(__file__).resolve().parents[2] / "tools" / "lib" / "testenv.sh"


def _testenv(*args, env=None, timeout=60):
    """tools/lib/testenv.sh run as a command; its output goes to a file in the environment's
    folder, since the servers it leaves running would hold a pipe open."""
    work = Path(args[1])
    work.mkdir(parents=True, exist_ok=True)
    with open(work / "testenv.log", "a") as log:
        return subprocess.run(["bash", str(TESTENV), *[str(a) for a in args]], env=env,
                              stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=timeout)


@contextlib.contextmanager
def own_environment(work, screen="1024x768x24", monitors=(), prefix=True, sound=False):
    """A test environment of its own, made by tools/lib/testenv.sh as tools/test makes the
    lanes' ones: an X display of `screen` (WxHxD) with its window manager, split into the RandR
    `monitors` if given (geometries as `xrandr --setmonitor` takes them, the first primary),
    with a Wine prefix of its own in `work` that sees those monitors (`prefix`: True for a new
    one, or the path of a prefix to copy, which is much faster) and a sound sink of its own
    (`sound`). What it does not make, this process's environment lends.
    Yields the environment for programs to run in; everything started ends with the block."""
    work = Path(work)
    switches = dict(os.environ, TESTENV_WINE="1" if prefix else "0", TESTENV_SOUND="1" if sound else "0",
                    TESTENV_MONITORS=" ".join(monitors),
                    TESTENV_PREFIX_FROM="" if isinstance(prefix, bool) else str(prefix))
    try:
        # A new prefix takes Wine's first start, about 10 s, much longer on a loaded machine.
        if _testenv("start", work, screen, env=switches, timeout=600).returncode != 0:
            raise RuntimeError("no test environment in %s; see testenv.log and xvfb.log there" % work)
        pairs = (work / "testenv.env").read_bytes().decode().split("\0")
        made = dict(pair.split("=", 1) for pair in pairs if pair)
        yield dict(os.environ, **{k: v for k, v in made.items() if not k.startswith("TESTENV_")})
    finally:
        _testenv("stop", work)


# Wine's own processes of a prefix. They stay up from one test to the next: bringing the
# server and the desktop up again costs about 2 s a test, and a test never looks at them.
_WINE_SERVICES = {"explorer.exe", "services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe",
                  "rpcss.exe", "winemenubuilder.exe", "conhost.exe"}
# The names Wine's loader runs a Windows program under.
_WINE_LOADERS = {"wine", "wine64", "wine-preloader", "wine64-preloader"}


@functools.lru_cache(maxsize=None)
def _wine_folder():
    """The folder of the Wine that `wine` and `wineserver` start, wherever this machine's
    package put it (Debian's /usr/lib/wine, /opt/wine-*/bin, /usr/bin): the loader lives
    beside the server, which PATH finds through the package's links."""
    server = shutil.which("wineserver")
    return os.path.dirname(os.path.realpath(server)) if server else None


def _programs_of_prefix(prefix):
    """Unix pids of the Windows programs running in `prefix`, Wine's own services aside."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            # Wine's loader runs every Windows program; the display, the window manager and the
            # sound server carry the same WINEPREFIX but are no Wine processes.
            exe = os.path.realpath("/proc/%s/exe" % entry)
            if os.path.basename(exe) not in _WINE_LOADERS or os.path.dirname(exe) != _wine_folder():
                continue
            environ = Path("/proc", entry, "environ").read_bytes().split(b"\0")
            argv = Path("/proc", entry, "cmdline").read_bytes().split(b"\0")
        except OSError:
            continue
        if b"WINEPREFIX=" + prefix.encode() not in environ or not argv[0]:
            continue
        name = re.split(r"[\\/]", argv[0].decode(errors="replace"))[-1].lower()
        if name in ("wine", "wine64") and len(argv) > 1:  # the loader, before it becomes the program
            name = re.split(r"[\\/]", argv[1].decode(errors="replace"))[-1].lower()
        if name not in _WINE_SERVICES:
            pids.append(int(entry))
    return pids


def end_wine_processes():
    """Ends every program a test left running in the test prefix (never touches another
    prefix) and waits until they are gone; Wine's server and desktop stay up."""
    prefix = os.environ.get("WINEPREFIX")
    if not prefix:
        return
    for _ in range(100):
        pids = _programs_of_prefix(prefix)
        if not pids:
            return
        for pid in pids:
            with contextlib.suppress(OSError):
                os.kill(pid, signal.SIGKILL)
        time.sleep(0.1)
    # Something would not die: start the prefix afresh rather than leave it to the next test.
    subprocess.run(["wineserver", "-k"], env=_env(), capture_output=True, timeout=30)
    subprocess.run(["wineserver", "-w"], env=_env(), capture_output=True, timeout=30)
    wine_up()
