"""Wine-free helpers for the end-to-end tests of the Linux program `pomarel`: starting it, a
window of the test's own made through libX11 with ctypes (the window XScreenSaver would hand
over), screenshots read back as colour counts, and the screen's brightness read straight from the
X server.

The display comes from tools/lib/testenv.sh; POMAREL_NATIVE_BIN names the program.
"""
import ctypes
import ctypes.util
import functools
import os
import subprocess
import time
from collections import Counter

NATIVE_BIN = os.environ.get("POMAREL_NATIVE_BIN", "build/native/bin/pomarel")


def start(*args, env=None):
    """`pomarel <args>` with its standard error kept. The native build carries ASan: Mesa's
    driver is unloaded at XCloseDisplay with memory only its own globals referenced, which
    LeakSanitizer would report as leaks of an unknown module, so leak checks are off here."""
    full_env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:abort_on_error=0")
    full_env.pop("XSCREENSAVER_WINDOW", None)
    full_env.update(env or {})
    proc = subprocess.Popen([NATIVE_BIN, *[str(a) for a in args]], env=full_env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    started.append(proc)
    return proc


# Every program start() made, so that a test that fails half-way leaves none running into
# the next (test_x11.py ends them after each test).
started = []


def end_started():
    while started:
        proc = started.pop()
        if proc.poll() is None:
            proc.kill()
        proc.communicate()


def finish(proc, timeout=10):
    """(exit code, standard error) once it has ended; kills it after `timeout` seconds."""
    try:
        _, err = proc.communicate(timeout=timeout)
        return proc.returncode, err
    except subprocess.TimeoutExpired:
        proc.kill()
        _, err = proc.communicate()
        return None, err


def wait_for(condition, timeout=20, step=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return condition()


def find_window(title):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                         capture_output=True, text=True, timeout=30).stdout.split()
    return int(out[0]) if out else 0


class SetWindowAttributes(ctypes.Structure):
    """Xlib's XSetWindowAttributes, as far as the tests set it."""
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("cursor", ctypes.c_ulong)]


class XImage(ctypes.Structure):
    """The head of Xlib's XImage, up to the fields the tests read."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


CW_OVERRIDE_REDIRECT = 1 << 9
INPUT_ONLY = 2
Z_PIXMAP = 2
ALL_PLANES = (1 << 64) - 1


@functools.lru_cache(maxsize=None)
def xlib():
    lib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    lib.XOpenDisplay.restype = ctypes.c_void_p
    lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    lib.XDefaultRootWindow.restype = ctypes.c_ulong
    lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    lib.XCreateSimpleWindow.restype = ctypes.c_ulong
    lib.XCreateWindow.restype = ctypes.c_ulong
    lib.XCreateWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_void_p, ctypes.c_ulong,
                                  ctypes.POINTER(SetWindowAttributes)]
    lib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_uint,
                                        ctypes.c_ulong, ctypes.c_ulong]
    lib.XChangeWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                            ctypes.POINTER(SetWindowAttributes)]
    for name, args in (("XMapWindow", [ctypes.c_ulong]), ("XUnmapWindow", [ctypes.c_ulong]),
                       ("XDestroyWindow", [ctypes.c_ulong]),
                       ("XResizeWindow", [ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]),
                       ("XSync", [ctypes.c_int]), ("XCloseDisplay", [])):
        getattr(lib, name).argtypes = [ctypes.c_void_p, *args]
    lib.XGetImage.restype = ctypes.POINTER(XImage)
    lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    lib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    for name in ("XDisplayWidth", "XDisplayHeight"):
        getattr(lib, name).argtypes = [ctypes.c_void_p, ctypes.c_int]
    return lib


def open_display():
    """A connection of the test's own to $DISPLAY."""
    display = xlib().XOpenDisplay(None)
    assert display, "no X display"
    return display


def close_display(display):
    xlib().XCloseDisplay(display)


class GivenWindow:
    """A plain top-level window of the test's own connection at (x, y), grey until someone
    draws on it (or an input-only one, which nothing can draw on); it lives until destroy() or
    the end of the `with` block. Like XScreenSaver's own window it bypasses the window manager,
    which would otherwise frame and move it."""

    def __init__(self, x, y, width, height, input_only=False):
        self.x11 = xlib()
        self.display = open_display()
        root = self.x11.XDefaultRootWindow(self.display)
        attributes = SetWindowAttributes(override_redirect=1)
        if input_only:
            self.id = self.x11.XCreateWindow(self.display, root, x, y, width, height, 0, 0,
                                             INPUT_ONLY, None, CW_OVERRIDE_REDIRECT,
                                             ctypes.byref(attributes))
        else:
            self.id = self.x11.XCreateSimpleWindow(self.display, root, x, y, width, height, 0,
                                                   0, 0x808080)
            self.x11.XChangeWindowAttributes(self.display, self.id, CW_OVERRIDE_REDIRECT,
                                             ctypes.byref(attributes))
        self.x11.XMapWindow(self.display, self.id)
        self.x11.XSync(self.display, 0)

    def resize(self, width, height):
        self.x11.XResizeWindow(self.display, self.id, width, height)
        self.x11.XSync(self.display, 0)

    def set_mapped(self, mapped):
        (self.x11.XMapWindow if mapped else self.x11.XUnmapWindow)(self.display, self.id)
        self.x11.XSync(self.display, 0)

    def destroy(self):
        if self.id:
            self.x11.XDestroyWindow(self.display, self.id)
            self.x11.XSync(self.display, 0)
            self.id = 0

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.destroy()
        close_display(self.display)
        return False


def screenshot(path):
    subprocess.run(["import", "-window", "root", str(path)], check=True, capture_output=True,
                   timeout=30)
    return path


def colours(png, x, y, width, height):
    """Colour counts {(r, g, b): pixels} of a rectangle of a screenshot."""
    crop = "%dx%d+%d+%d" % (width, height, x, y)
    data = subprocess.run(["convert", str(png), "-crop", crop, "+repage", "-depth", "8", "rgb:-"],
                          capture_output=True, check=True, timeout=30).stdout
    return Counter(zip(data[0::3], data[1::3], data[2::3]))


def brightness_series(since, start, end):
    """[(seconds after `since`, mean grey 0-255 of the screen)] from `start` to `end` (monotonic
    times), read straight from the X server: a sample takes milliseconds, where a screenshot
    file takes up to a second on a busy machine and can miss a flash's brightest frames. The
    grey is the plain mean of red, green and blue over every 7th pixel (24-bit screens)."""
    x11 = xlib()
    display = open_display()
    try:
        root = x11.XDefaultRootWindow(display)
        width, height = x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0)
        time.sleep(max(0.0, start - time.monotonic()))
        series = []
        while time.monotonic() < end:
            at = time.monotonic() - since
            image = x11.XGetImage(display, root, 0, 0, width, height, ALL_PLANES, Z_PIXMAP)
            assert image and image.contents.bits_per_pixel == 32, "a 24-bit screen"
            size = image.contents.bytes_per_line * image.contents.height
            pixels = ctypes.string_at(image.contents.data, size)
            x11.XDestroyImage(image)
            stride = 4 * 7
            total = sum(pixels[0::stride]) + sum(pixels[1::stride]) + sum(pixels[2::stride])
            series.append((round(at, 2), total / (3 * len(pixels[0::stride]))))
            time.sleep(0.02)
        return series
    finally:
        close_display(display)


def cpu_seconds(pid):
    """User and system time the process has used so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def confetti_colours(counts):
    """Colours that are not black (nor the test window's grey)."""
    return {rgb for rgb in counts if max(rgb) > 24 and rgb != (128, 128, 128)}
