#!/usr/bin/env python3
"""The archive editor through the real program, beside the main window in the
same run: listing a 100,000-entry archive in the main window, then loading the
same archive into the editor; and a "Changed Since:" search of a drive with
20,000 files merged into an editor holding a 20,000-entry archive (half of the
files replace entries). Run it with bench/editor/run.sh."""
import os
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "bench", "browser"))
import tallybox as tb  # noqa: E402
import listing  # noqa: E402  (the main window's benchmark makes the 100,000-entry archive)

FOUND = int(os.environ.get("TB_BENCH_FOUND", "20000"))
DRIVE = os.environ["TB_BENCH_DRIVE"]          # the folder behind the drive letter
LETTER = os.environ.get("TB_BENCH_LETTER", "w")
LB_GETCOUNT = 0x018B
WM_CLOSE = 0x0010
EDITOR = "Edit/Create Archive/Zip"


def make_found_archive():
    """Entries found\\dNN\\fNNNNNN.txt for FOUND/2 <= i < FOUND/2 + FOUND."""
    path = os.path.join(os.path.dirname(listing.ARCHIVE), "found-{}.zip".format(FOUND))
    if not os.path.exists(path):
        with zipfile.ZipFile(path + ".part", "w", zipfile.ZIP_STORED, allowZip64=True) as z:
            for i in range(FOUND // 2, FOUND // 2 + FOUND):
                z.writestr("found/d{:02d}/f{:06d}.txt".format(i % 100, i), "entry {}\n".format(i))
        os.replace(path + ".part", path)
    return path


def wait_count(s, hwnd, count, limit=600):
    start = time.perf_counter()
    while s.send(hwnd, LB_GETCOUNT) < count:
        if time.perf_counter() - start > limit:
            raise SystemExit("the list did not reach {} lines".format(count))
        time.sleep(0.01)
    return time.perf_counter()


def open_editor(s, frame):
    s.command(frame, 32781)
    dialog = s.wait_dialog(EDITOR)
    return dialog, s.driver.call("descendant", dialog, 1048)


def main():
    listing.make_archive()
    found_archive = make_found_archive()
    s = tb.Session()
    try:
        s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 700,
                                  "CustomDriveList": LETTER, "PassProtect": 0, "General": 0},
                     "Zips": {"Zip1": tb.windows_path(listing.ARCHIVE), "Zip2": tb.windows_path(found_archive)}})
        s.start()
        frame = s.main_window()
        s.wait_until(lambda: s.visible(frame), what="the main window")
        pane = s.pane(frame)
        files = s.driver.call("descendant", pane, 1048)
        lines = s.lines(pane, 1047)
        big_line = next(i for i, line in enumerate(lines) if "entries-" in line)
        found_line = next(i for i, line in enumerate(lines) if "found-" in line)

        # The main window's listing of the archive.
        start = time.perf_counter()
        s.select(pane, 1047, big_line)
        main_seconds = wait_count(s, files, listing.ENTRIES) - start

        # The same archive in the editor: from the command to the last row.
        start = time.perf_counter()
        dialog, rows = open_editor(s, frame)
        editor_seconds = wait_count(s, rows, listing.ENTRIES) - start
        s.post(dialog, WM_CLOSE)
        s.driver.call("wait-gone", dialog, 60000)

        # The merge: the 20,000-entry archive, then "Changed Since:" over the drive.
        s.select(pane, 1047, found_line)
        wait_count(s, files, FOUND)
        dialog, rows = open_editor(s, frame)
        wait_count(s, rows, FOUND)
        s.wait_until(lambda: s.lines(dialog, 1012), what="the drives list")
        s.driver.call("press", dialog, 1067)
        s.driver.call("press", dialog, 1073)
        start = time.perf_counter()
        s.click(dialog, 1065)
        click_seconds = wait_count(s, rows, FOUND + FOUND // 2) - start
        s.post(dialog, WM_CLOSE)
        box = s.message_box()[0]
        s.click(box, 1)
    finally:
        s.close()

    print("entries:                                   {}".format(listing.ENTRIES))
    print("main window, select to last line:          {:.3f} s (with its 0.200 s selection debounce)".format(main_seconds))
    print("editor, command to last row:               {:.3f} s (with its 0.500 s deferred start)".format(editor_seconds))
    print("ratio editor / main window:                {:.2f}".format(editor_seconds / main_seconds))
    print("ratio without the fixed delays:            {:.2f}".format((editor_seconds - 0.5) / (main_seconds - 0.2)))
    print("Changed Since: {} files into {} rows".format(FOUND, FOUND))
    print("  click to last row:                       {:.3f} s (drive search, filter, merge, rows; "
          "editor_bench.exe times the search and the merge apart)".format(click_seconds))


if __name__ == "__main__":
    main()
