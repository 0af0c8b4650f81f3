"""The browser edition against the two most used web confetti libraries, run by hand (never a
test, and the libraries are never shipped): processor time per frame of all of Chromium's
processes, in one headless Chromium (SwiftShader, frames at the display's rate) at 1024 x 768,
with about 400 pieces in flight in each: the web bench's full pool for Pomarel, and for each
library 40 pieces fired every 20 frames that live 200 frames, drawn on the page's own thread
as Pomarel draws (canvas-confetti would otherwise draw in a worker, whose frames the page
cannot count). The three take turns, several
rounds, and each one's median is reported with Pomarel's ratio to it (under 1: Pomarel is
cheaper).
Usage: /usr/bin/python3 bench/web/peer_bench.py PEERS [ROUNDS]
  PEERS is a folder outside the project holding the libraries from npm:
    mkdir -p /tmp/peers && cd /tmp/peers && npm install canvas-confetti @tsparticles/confetti
  (Debian: apt-get install -y --no-install-recommends npm), and the web bench is built:
    cmake --build --preset web --target web_bench
"""
import os
import statistics
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "lib"))
sys.path.insert(0, str(Path(__file__).resolve().parent))

from browser import Browser, PageServer  # noqa: E402
from web_bench import process_group_cpu  # noqa: E402

# Each library's script and its burst function; both take the same options for a burst.
LIBRARIES = {
    "canvas-confetti": ("node_modules/canvas-confetti/dist/confetti.browser.js",
                        "confetti.create(null, { resize: true, useWorker: false })"),
    "@tsparticles/confetti": ("node_modules/@tsparticles/confetti/tsparticles.confetti.bundle.min.js", "confetti"),
}
WARM_UP_MS = 1500
MEASURE_MS = 5000

# The page reports its phase and, at the end, the frames and milliseconds measured, as the
# web bench's page does.
PEER_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><link rel="icon" href="data:,">
<style>html, body { margin: 0; height: 100%%; overflow: hidden; background: #000; }</style></head>
<body><script src="%(library)s"></script><script>
const state = window.pomarel = { phase: 'warm-up' };
const burst = %(burst)s;
const fire = () => burst({ particleCount: 40, ticks: 200, spread: 360, startVelocity: 20, gravity: 0.4,
                              origin: { x: 0.5, y: 0.4 }, disableForReducedMotion: false });
let frame = 0, start = 0, phaseStart = 0, phaseFrames = 0;
function tick(now) {
  if (frame++ %% 20 === 0) fire();
  if (!start) start = phaseStart = now;
  ++phaseFrames;
  if (state.phase === 'warm-up' && now - phaseStart >= %(warm)d) {
    state.phase = 'full'; phaseStart = now; phaseFrames = 0;
  } else if (state.phase === 'full' && now - phaseStart >= %(measure)d) {
    state.full = phaseFrames + ' ' + (now - phaseStart).toFixed(1); state.phase = 'bare';
  }
  requestAnimationFrame(tick);
}
requestAnimationFrame(tick);
</script></body></html>
"""


def measure(browser, url):
    """Processor milliseconds per frame over the page's 'full' phase."""
    browser.open(url)
    cpu = {}
    phase = None
    deadline = time.monotonic() + 60
    while phase != "bare" and time.monotonic() < deadline:
        now = browser.js("window.pomarel && pomarel.phase")
        if now != phase and now in ("full", "bare"):
            cpu[now] = process_group_cpu(browser.proc.pid)
        phase = now
        time.sleep(0.02)
    frames, _ = browser.js("pomarel.full").split()
    return (cpu["bare"] - cpu["full"]) / int(frames) * 1e3, int(frames)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    peers = Path(sys.argv[1]).resolve()
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    bench = ROOT / "build/web/bench"
    missing = [str(p) for p in [bench / "web_bench.js", *(peers / f for f, _ in LIBRARIES.values())] if not p.exists()]
    if missing:
        sys.exit("missing: %s\n%s" % (", ".join(missing), __doc__))
    with tempfile.TemporaryDirectory(prefix="pomarel-peers-") as folder:
        site = Path(folder)
        os.symlink(bench, site / "pomarel")
        pages = {"Pomarel": "pomarel/bench.html"}
        for i, (name, (path, burst)) in enumerate(LIBRARIES.items()):
            os.symlink(peers / path, site / ("peer%d.js" % i))
            (site / ("peer%d.html" % i)).write_text(PEER_PAGE % {"library": "peer%d.js" % i, "burst": burst,
                                                                 "warm": WARM_UP_MS, "measure": MEASURE_MS})
            pages[name] = "peer%d.html" % i
        server = PageServer(site)
        browser = Browser()
        results = {name: [] for name in pages}
        try:
            for _ in range(rounds):
                for name, page in pages.items():
                    results[name].append(measure(browser, server.url(page)))
        finally:
            browser.close()
            server.close()
    print("processor time per frame, all of Chromium, %d rounds of %d s, median:" % (rounds, MEASURE_MS // 1000))
    medians = {name: statistics.median(ms for ms, _ in runs) for name, runs in results.items()}
    for name, runs in results.items():
        print("  %-22s %6.2f ms a frame  (%s; %s frames a round)" % (
            name, medians[name], ", ".join("%.2f" % ms for ms, _ in runs), "/".join(str(f) for _, f in runs)))
    for name in LIBRARIES:
        print("Pomarel / %-22s %5.2f" % (name, medians["Pomarel"] / medians[name]))


if __name__ == "__main__":
    main()
