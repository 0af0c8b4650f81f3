"""The browser edition's bench, run by hand (never a test), with the native Linux program's
bench beside it in the same run: frames per second of the full scene against a bare clear
loop at 1024 x 768 (headless Chromium, SwiftShader, no frame limit; bench/x11 on an Xvfb with
Mesa), the processor time per frame of all of Chromium's processes, and the sizes of the page's
files, raw and gzip'd (gzip -9, as a web server would send them).
Usage: /usr/bin/python3 bench/web/web_bench.py [--sizes]   (after the web and bench presets are built:
  cmake --build --preset web --target pomarel_web web_bench; cmake --build --preset bench --target x11_bench;
  --sizes needs only pomarel_web and prints only the sizes)
"""
import gzip
import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "lib"))

from browser import Browser, PageServer  # noqa: E402

NATIVE_SECONDS = 5


def process_group_cpu(pgid):
    """User and system seconds of every live process in a process group."""
    total = 0
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[2]) == pgid:
            total += int(fields[11]) + int(fields[12])
    return total / os.sysconf("SC_CLK_TCK")


def native_bench():
    program = ROOT / "build/bench/bench/x11_bench"
    n = next(n for n in range(300, 400) if not os.path.exists("/tmp/.X11-unix/X%d" % n))
    xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-ac",
                             "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1)
        out = subprocess.run([str(program), str(NATIVE_SECONDS)], capture_output=True, text=True,
                             env=dict(os.environ, DISPLAY=":%d" % n), timeout=120).stdout
    finally:
        xvfb.terminate()
    return out


def web_bench():
    server = PageServer(ROOT / "build/web/bench")
    browser = Browser(["--disable-frame-rate-limit", "--disable-gpu-vsync"])
    cpu = {}
    try:
        browser.open(server.url("bench.html"))
        phase = None
        while phase != "done":
            now = browser.js("pomarel.phase")
            if now != phase:
                cpu[now] = process_group_cpu(browser.proc.pid)
                phase = now
            time.sleep(0.02)
        result = {name: browser.js("pomarel.%s" % name).split() for name in ("full", "bare")}
    finally:
        browser.close()
        server.close()
    full_frames, full_ms = int(result["full"][0]), float(result["full"][1])
    bare_frames, bare_ms = int(result["bare"][0]), float(result["bare"][1])
    full_fps, bare_fps = full_frames / full_ms * 1e3, bare_frames / bare_ms * 1e3
    full_cpu = (cpu["bare"] - cpu["full"]) / full_frames * 1e3
    bare_cpu = (cpu["done"] - cpu["bare"]) / bare_frames * 1e3
    print("browser, scene, 400 active pieces: %8.1f frames/s, processor %.2f ms a frame (all of Chromium)"
          % (full_fps, full_cpu))
    print("browser, bare clear:               %8.1f frames/s, processor %.2f ms a frame" % (bare_fps, bare_cpu))
    print("browser ratio bare / full scene:   %8.2f" % (bare_fps / full_fps))
    return bare_fps / full_fps


# What the page needs to play (its program's WebAssembly is inside pomarel.js), then what a
# visit over http adds (the favicon, the manifest and the service worker, which also fetches the
# guide), and the icon only an install fetches.
PAGE = ("index.html", "pomarel.js")
VISIT = ("icon-192.png", "manifest.webmanifest", "sw.js", "guide.html")
INSTALL = ("icon-512.png",)
PAGE_GOAL_GZIP = 60 * 1024


def sizes():
    groups = (("the page, to play", PAGE), ("a first visit over http", PAGE + VISIT),
              ("every file", PAGE + VISIT + INSTALL))
    totals = {label: [0, 0] for label, _ in groups}
    for name in PAGE + VISIT + INSTALL:
        data = (ROOT / "build/web/web" / name).read_bytes()
        packed = len(gzip.compress(data, 9, mtime=0))
        print("%-23s %7d bytes, %6d gzip'd" % (name, len(data), packed))
        for label, names in groups:
            if name in names:
                totals[label][0] += len(data)
                totals[label][1] += packed
    for label, _ in groups:
        print("%-23s %7d bytes, %6d gzip'd" % (label, *totals[label]))
    print("goal: the page under %d bytes gzip'd" % PAGE_GOAL_GZIP)


def main():
    if sys.argv[1:] == ["--sizes"]:
        sizes()
        return
    print("== native Linux program (bench/x11, Mesa llvmpipe on Xvfb, %d s a phase)" % NATIVE_SECONDS)
    native = native_bench()
    print(native.rstrip())
    print("== browser edition (headless Chromium, SwiftShader, 5 s a phase)")
    ratio = web_bench()
    native_ratio = next((float(line.split()[-1]) for line in native.splitlines()
                         if line.startswith("ratio bare / full scene")), float("nan"))
    print("== browser ratio / native ratio:    %8.2f (goal: at most 1.5)" % (ratio / native_ratio))
    print("== the page's files")
    sizes()


if __name__ == "__main__":
    main()
