"""tools/run --web without a display: serves the page's build folder, plays it in headless
Chromium for a number of seconds and saves screenshots as the other tools/run modes do, one of
them (flash.png) inside the first flash. Usage: web_shots.py <page folder> <shots folder> <seconds>
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))

from browser import Browser, PageServer  # noqa: E402


def main():
    folder, shots, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    server = PageServer(folder)
    browser = Browser()
    try:
        browser.open(server.url())
        if not browser.wait_for("pomarel.frames > 0", timeout=30):
            print("the page drew no frame: %s" % browser.js("document.getElementById('message').textContent"),
                  file=sys.stderr)
            return 1
        start = time.monotonic()
        if seconds > 10.5:
            print("the page runs headless in Chromium for %g s" % seconds)
        else:  # the shots of the first flash and the burst after it need that long
            print("the page runs headless in Chromium for about 10 s (%g s is too short for the "
                  "first flash)" % seconds)

        def shot(name):
            path = os.path.join(shots, "%05.2fs-%s.png" % (time.monotonic() - start, name))
            with open(path, "wb") as f:
                f.write(browser.screenshot())
            return path

        def until(offset):
            time.sleep(max(0.0, start + offset - time.monotonic()))

        # The first frame starts the clock at 0.3 s; the first flash comes 7.2 s after it.
        until(2); shot("confetti")
        until(5); shot("confetti")
        until(6.8)
        flashes = []
        while time.monotonic() < start + 8.2:
            flashes.append(shot("flash-window"))  # full size: these are for people to look at
        until(10); shot("after-burst")
        if seconds > 10.5:
            until(seconds)
        shot("last")
        level = lambda p: int(subprocess.run(["convert", p, "-colorspace", "Gray", "-format", "%[fx:int(255*mean)]",
                                              "info:"], capture_output=True, text=True).stdout or 0)
        best = max(flashes, key=level)
        shutil.copy(best, os.path.join(shots, "flash.png"))
        print("frames drawn %d, draw calls in the last frame %d; flash.png brightness %d of 255"
              % (browser.js("pomarel.frames"), browser.js("pomarel.draws"), level(best)))
        return 0
    finally:
        browser.close()
        server.close()


if __name__ == "__main__":
    sys.exit(main())
