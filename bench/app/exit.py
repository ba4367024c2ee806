#!/usr/bin/env python3
"""How promptly the program ends, through the real program under Wine:

- Terminate (answered Yes) until the process has ended, for an idle program
  with fresh settings and for one watching the 421 folders of the change
  tracking benchmark's drive (Y:, when bench/monitor/run.sh made it);
- Tallybox.exe /exit from its start to its end, beside a Windows program that
  does nothing (Wine's own start and end), both started from here.

Each round measures every figure once; prints the rounds, the medians and the
machine's load. Run it with bench/app/run.sh."""
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import tallybox as tb  # noqa: E402

ROUNDS = int(os.environ.get("TB_BENCH_ROUNDS", "5"))
EMPTY = os.path.join(tb.BUILD, "bench", "empty_program.exe")
ID_APP_EXIT, IDYES = 57665, 6
# The drive bench/monitor/run.sh makes, when it is there.
TREE = os.path.join(tb.BUILD, "bench-monitor-drive")


def load():
    return "{:.2f} {:.2f} {:.2f}".format(*os.getloadavg())


def watched_folders():
    """Y:\\ and its two upper levels, as the directory list holds them."""
    folders = ["Y:\\"]
    for top in sorted(os.listdir(TREE)):
        if os.path.isdir(os.path.join(TREE, top)):
            folders.append("Y:\\" + top)
            folders += ["Y:\\{}\\{}".format(top, middle) for middle in sorted(os.listdir(os.path.join(TREE, top)))
                        if os.path.isdir(os.path.join(TREE, top, middle))]
    return folders


def terminate_once(s, settings):
    """Starts the program, waits until its monitor has armed, then answers
    Terminate with Yes: seconds from the answer until the process has ended."""
    s.write_ini(settings)
    pid = s.start()
    frame = s.main_window()
    s.wait_until(lambda: s.visible(frame), what="the main window")
    s.wait_watching(120)
    s.sync(frame)
    s.command(frame, ID_APP_EXIT)
    box, _ = s.message_box()
    start = time.perf_counter()
    s.click(box, IDYES)
    s.wait_exit(pid, 60000)
    return time.perf_counter() - start


def run_once(s, program, *arguments):
    start = time.perf_counter()
    subprocess.run(["wine", program] + list(arguments), env=s.env, cwd=tb.DIST, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    print("rounds: {}   load before: {}".format(ROUNDS, load()))
    watching = None
    if os.path.isdir(TREE):
        subprocess.run(["bash", os.path.join(ROOT, "scripts", "test-drive.sh"), "link", "y", TREE], check=True)
        folders = watched_folders()
        watching = {"Settings": {"Drives": 4, "CustomDriveList": "Y"},
                    "Directories": {"Dir{}".format(i + 1): folder for i, folder in enumerate(folders)}}
        print("watched folders on Y:: {}".format(len(folders)))
    rows = []
    s = tb.Session()
    try:
        run_once(s, EMPTY)  # the server is up from here on, for both
        for round_ in range(ROUNDS):
            idle = terminate_once(s, None)
            busy = terminate_once(s, watching) if watching else float("nan")
            s.write_ini(None)
            exit_seconds = run_once(s, os.path.join(tb.DIST, "Tallybox.exe"), "/exit")
            empty_seconds = run_once(s, EMPTY)
            rows.append((idle, busy, exit_seconds, empty_seconds))
            print("round {}: Terminate to end {:.3f} s (fresh settings), {:.3f} s (watching Y:); "
                  "/exit {:.3f} s, empty program {:.3f} s; load {}".format(round_ + 1, idle, busy, exit_seconds,
                                                                           empty_seconds, load()))
    finally:
        s.close()
        if watching:
            subprocess.run(["bash", os.path.join(ROOT, "scripts", "test-drive.sh"), "unlink", "y"])

    def median(k):
        return statistics.median(row[k] for row in rows)
    above = statistics.median(row[2] - row[3] for row in rows)
    print("ROW terminate_to_end {:.3f} s (fresh settings; watching Y: {:.3f} s) target <= 1 s".format(
        median(0), median(1)))
    print("ROW exit_switch_start_to_end {:.3f} s, {:.3f} s above the empty program's {:.3f} s "
          "target <= 0.5 s above".format(median(2), above, median(3)))
    print("load after: {}".format(load()))


if __name__ == "__main__":
    main()
