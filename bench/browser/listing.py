#!/usr/bin/env python3
"""Listing a 100,000-entry archive through the real program, beside unzip -l and
7z l on the same archive. Prints the time until the first lines show, until the
whole list is in the list box, the slowest answer of the main window while it
lists, and the ratios. Run it with bench/browser/run.sh (it builds and sets up
Wine and a display)."""
import os
import subprocess
import sys
import threading
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import tallybox as tb  # noqa: E402

ENTRIES = int(os.environ.get("TB_BENCH_ENTRIES", "100000"))
DATA = os.path.join(tb.BUILD, "bench-data", "browser")
ARCHIVE = os.path.join(DATA, "entries-{}.zip".format(ENTRIES))


def make_archive():
    if os.path.exists(ARCHIVE):
        return
    os.makedirs(DATA, exist_ok=True)
    with zipfile.ZipFile(ARCHIVE + ".part", "w", zipfile.ZIP_STORED, allowZip64=True) as z:
        for i in range(ENTRIES):
            z.writestr("folder{:03d}/file{:06d}.txt".format(i % 500, i), "entry {}\n".format(i))
    os.replace(ARCHIVE + ".part", ARCHIVE)


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    make_archive()
    unzip_seconds = min(timed(["unzip", "-l", ARCHIVE]) for _ in range(3))
    sevenzip_seconds = min(timed(["7z", "l", ARCHIVE]) for _ in range(3))

    s = tb.Session()
    try:
        s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 700},
                     "Zips": {"Zip1": tb.windows_path(ARCHIVE)}})
        s.start()
        frame = s.main_window()
        s.wait_until(lambda: s.visible(frame), what="the main window")
        pane = s.pane(frame)
        files = s.driver.call("descendant", pane, 1048)
        LB_GETCOUNT = 0x018B

        # A second driver measures how long the main window takes to answer
        # while the listing runs.
        slowest = [0.0]
        stop = threading.Event()

        def probe():
            other = tb.Driver(s.env)
            while not stop.is_set():
                start = time.perf_counter()
                other.call("send", frame, 0, 0, 0)  # WM_NULL
                slowest[0] = max(slowest[0], time.perf_counter() - start)
                time.sleep(0.02)
            other.close()
        prober = threading.Thread(target=probe)

        start = time.perf_counter()
        s.select(pane, 1047, 0)
        prober.start()
        first = None
        while True:
            count = s.send(files, LB_GETCOUNT)
            now = time.perf_counter() - start
            if first is None and count > 1:
                first = now
            if count >= ENTRIES:
                whole = now
                break
            if now > 600:
                raise SystemExit("the listing did not finish in 10 minutes")
            time.sleep(float(os.environ.get("TB_BENCH_POLL", "0.005")))
        stop.set()
        prober.join()
    finally:
        s.close()

    # The 200 ms debounce after a selection is part of the design; report it apart.
    print("entries:                     {}".format(ENTRIES))
    print("unzip -l:                    {:.3f} s".format(unzip_seconds))
    print("7z l:                        {:.3f} s".format(sevenzip_seconds))
    print("first lines shown after:     {:.3f} s (including the 0.200 s selection debounce)".format(first))
    print("whole list in the list box:  {:.3f} s".format(whole))
    print("slowest answer of the window while listing: {:.3f} s".format(slowest[0]))
    print("ratio whole listing / 7z l:  {:.2f}".format(whole / sevenzip_seconds))
    print("ratio whole listing / unzip -l: {:.2f}".format(whole / unzip_seconds))


if __name__ == "__main__":
    main()
