"""The test environments of tools/lib/testenv.sh started all at once, as the lanes of
tools/test and other people's test runs on the same machine start them."""
import subprocess
import threading

from harness import own_environment

STARTS = 4  # enough to collide: with a check before the start, all four shared one display


def test_environments_started_together_get_displays_of_their_own(tmp_path):
    all_up = threading.Barrier(STARTS, timeout=300)
    displays = {}

    def start(i):
        try:
            with own_environment(tmp_path / str(i), "320x240x24", prefix=False) as env:
                all_up.wait()
                answers = subprocess.run(["xdpyinfo"], env=env, capture_output=True, timeout=30).returncode == 0
                displays[i] = (env["DISPLAY"], answers)
                all_up.wait()  # none ends before every one has looked at its display
        except Exception:
            all_up.abort()
            raise

    threads = [threading.Thread(target=start, args=(i,)) for i in range(STARTS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert len(displays) == STARTS, "an environment did not start"
    assert len({display for display, _ in displays.values()}) == STARTS, displays
    assert all(answers for _, answers in displays.values()), displays
