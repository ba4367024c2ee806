#!/usr/bin/env python3
"""File History end to end: the real program archives a test drive on three
set days (its clock started at each day through TALLYBOX_CLOCK), then the File
History window finds the versions of a file in the dated archives, restores
one, and shows another in the main window. An index file far larger than its
archives can justify (1.5 GiB, sparse) is built again, not read."""
import datetime
import os
import shutil
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_ARCHIVE_NOW = 32772
ID_FILE_HISTORY = 32810
ID_FILE_HISTORY_ENTRY = 32811
IDC_FH_PATTERN, IDC_FH_SEARCH, IDC_FH_STATUS, IDC_FH_LIST, IDC_FH_NOTE = 1300, 1301, 1302, 1303, 1304
IDC_FH_RESTORE, IDC_FH_SHOW = 1305, 1308
IDYES, IDNO = 6, 7
WM_COMMAND = 0x0111
DATA = os.path.join(tb.BUILD, "e2e-data", "history")
DRIVE = os.path.join(DATA, "drive-h")
ARCHIVES = os.path.join(DATA, "archives")
LETTER = "h"
DAYS = [datetime.datetime(2026, 11, 2), datetime.datetime(2026, 11, 3), datetime.datetime(2026, 11, 4)]
REPORT_DAY1 = "report, first draft\r\n"
REPORT_DAY3 = "report, final text with the figures\r\n"


def day_name(day):
    return day.strftime("%B %d %Y.zip")


class FileHistory(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        os.makedirs(os.path.join(DRIVE, "DOCS"))
        os.makedirs(ARCHIVES)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, LETTER, DRIVE))
        index = os.path.join(self.s.windows_dir, "VaultlyHistory.idx")
        if os.path.exists(index):
            os.remove(index)
        self.s.write_ini({
            "Settings": {"General": 3, "Drives": 4, "CustomDriveList": LETTER, "Prompts": 0x20,
                         "FileTypes": ".TXT;.DOC;", "LocationDir": tb.windows_path(ARCHIVES),
                         "LastArchiveTime": "1,11,2026,12,00,00",
                         "FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 700},
            "Directories": {"Dir1": LETTER.upper() + ":\\", "Dir2": LETTER.upper() + ":\\DOCS", "Dir3": ""},
        })

    def write(self, relative, text, when):
        path = os.path.join(DRIVE, relative)
        with open(path, "w", newline="") as f:
            f.write(text)
        stamp = time.mktime(when.timetuple())
        os.utime(path, (stamp, stamp))

    def archive_day(self, day, files):
        """Starts the program on that day, writes the files (modified that
        morning), archives them with "Archive Now" and ends the program."""
        self.s.set_clock(day.replace(hour=10))
        pid = self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.wait_watching()
        for relative, text in files:
            self.write(relative, text, day.replace(hour=9))
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        with zipfile.ZipFile(os.path.join(ARCHIVES, day_name(day))) as z:
            self.assertEqual(sorted(z.namelist()), sorted(r.replace("\\", "/") for r, _ in files))
            self.assertIsNone(z.testzip())
        self.s.terminate(frame)
        self.s.wait_exit(pid)

    def search(self, dialog, pattern):
        self.s.driver.call("settext", dialog, IDC_FH_PATTERN, pattern)
        # Sent, not posted: when it returns the search has started (or ended).
        self.s.send(dialog, WM_COMMAND, IDC_FH_SEARCH, 0)
        return self.search_result(dialog)

    def search_result(self, dialog):
        status = self.s.wait_until(
            lambda: (lambda t: t if t.endswith("archives.") or t.endswith("shown.") else None)(
                self.s.text(dialog, IDC_FH_STATUS)), timeout=60, what="the search to end")
        return status, self.s.lines(dialog, IDC_FH_LIST)

    def test_versions_of_a_file_across_three_days_restored_and_shown_in_their_archive(self):
        report = os.path.join("DOCS", "report.doc")
        self.archive_day(DAYS[0], [(report, REPORT_DAY1), (os.path.join("DOCS", "same.txt"), "unchanged"),
                                   ("notes.txt", "notes one")])
        self.archive_day(DAYS[1], [(os.path.join("DOCS", "same.txt"), "unchanged"), ("notes.txt", "notes two")])
        self.archive_day(DAYS[2], [(report, REPORT_DAY3)])
        # A damaged and a truncated file among the dated archives.
        with open(os.path.join(ARCHIVES, "November 05 2026.zip"), "wb") as f:
            f.write(b"PK\x03\x04 this is not what it claims to be" * 20)
        with open(os.path.join(ARCHIVES, day_name(DAYS[0])), "rb") as f:
            whole = f.read()
        with open(os.path.join(ARCHIVES, "November 06 2026.zip"), "wb") as f:
            f.write(whole[:len(whole) // 2])

        self.s.set_clock(None)
        frame, pane = self.s.start_main()
        self.s.command(frame, ID_FILE_HISTORY)
        dialog = self.s.wait_dialog("File History")
        status, lines = self.search(dialog, "report*.doc")
        where = [day_name(d) + " in " + tb.windows_path(ARCHIVES) for d in DAYS]
        self.assertEqual(status, "1 file, 2 versions in 5 archives.")
        self.assertEqual(lines, [
            "\tDOCS\\report.doc\t2 versions",
            "\tNovember 04 2026\t11/04/2026 09:00\t{}\t1\t\t{}".format(len(REPORT_DAY3), where[2]),
            "\tNovember 02 2026\t11/02/2026 09:00\t{}\t1\t\t{}".format(len(REPORT_DAY1), where[0]),
        ])
        note = self.s.text(dialog, IDC_FH_NOTE)
        self.assertTrue(note.startswith("Skipped 2 archives: "), note)
        self.assertIn("November 05 2026.zip is damaged or not a ZIP archive", note)
        self.assertIn("November 06 2026.zip is damaged or not a ZIP archive", note)
        self.s.screenshot("file-history", dialog)
        self.assertTrue(os.path.exists(os.path.join(self.s.windows_dir, "VaultlyHistory.idx")))

        # The same content archived on two days is one version.
        status, lines = self.search(dialog, "same.txt")
        self.assertEqual(lines[1].split("\t")[1], "November 02 2026 - November 03 2026")
        self.assertEqual(lines[1].split("\t")[4], "2")

        # Restore the first day's version to its folder: the file there now
        # is asked about, first kept (the restored one gets the day's name),
        # then replaced.
        status, lines = self.search(dialog, "report.doc")
        self.s.select(dialog, IDC_FH_LIST, 2)
        self.s.wait_until(lambda: self.s.driver.call("enabled", dialog, IDC_FH_RESTORE) == "1", what="Restore")
        self.s.click(dialog, IDC_FH_RESTORE)
        box, text = self.s.message_box()
        original = LETTER.upper() + ":\\DOCS\\report.doc"
        self.assertEqual(text, original + " already exists.\n\nYes: replace it with the version of November 02 "
                         "2026.\nNo: restore the version as report (November 02 2026).doc.\nCancel: restore nothing.")
        self.s.click(box, IDNO)
        kept = os.path.join(DRIVE, "DOCS", "report (November 02 2026).doc")
        self.s.wait_until(lambda: os.path.exists(kept), what="the restored file")
        with open(kept, newline="") as f:
            self.assertEqual(f.read(), REPORT_DAY1)
        with open(os.path.join(DRIVE, report), newline="") as f:
            self.assertEqual(f.read(), REPORT_DAY3)
        self.s.wait_until(lambda: self.s.text(dialog, IDC_FH_STATUS).startswith("Restored"), what="the status")
        self.assertEqual(self.s.text(dialog, IDC_FH_STATUS), "Restored the version of November 02 2026 as "
                         + LETTER.upper() + ":\\DOCS\\report (November 02 2026).doc.")
        self.s.click(dialog, IDC_FH_RESTORE)
        box, _ = self.s.message_box()
        self.s.click(box, IDYES)
        def report_text():
            with open(os.path.join(DRIVE, report), newline="") as f:
                return f.read()
        self.s.wait_until(lambda: report_text() == REPORT_DAY1, what="the replaced file")
        self.assertEqual(sorted(os.listdir(os.path.join(DRIVE, "DOCS"))),
                         ["report (November 02 2026).doc", "report.doc", "same.txt"])

        # Show in Archive: the window closes, the main window selects the
        # third day's archive and the entry in it.
        self.s.select(dialog, IDC_FH_LIST, 1)
        self.s.wait_until(lambda: self.s.driver.call("enabled", dialog, IDC_FH_SHOW) == "1", what="Show")
        self.s.click(dialog, IDC_FH_SHOW)
        self.s.wait_until(lambda: not self.s.window_exists("#32770", "File History"), what="the window to close")
        archives = self.s.lines(pane, 1047)

        def selected(control):
            chosen = self.s.driver.call("selected", pane, control)
            return [int(i) for i in chosen.split(",")] if chosen else []
        self.s.wait_until(lambda: selected(1048), what="an entry to be selected")
        self.assertEqual([archives[i] for i in selected(1047)],
                         ["\t" + day_name(DAYS[2]) + "\t" + tb.windows_path(ARCHIVES)])
        entries = self.s.lines(pane, 1048)
        self.assertEqual([entries[i].split("\t")[1:3] for i in selected(1048)], [["report", "doc "]])

        # From the selected entry's popup command: its stored path is searched at once.
        self.s.command(frame, ID_FILE_HISTORY_ENTRY)
        dialog = self.s.wait_dialog("File History")
        status, lines = self.search_result(dialog)
        self.assertEqual(self.s.text(dialog, IDC_FH_PATTERN), "DOCS\\report.doc")
        self.assertEqual(len(lines), 3)
        self.s.click(dialog, 2)  # Close
        self.s.wait_until(lambda: not self.s.window_exists("#32770", "File History"), what="the window to close")

    def test_an_oversized_index_file_is_built_again_and_the_program_lives(self):
        for day, text in ((DAYS[0], REPORT_DAY1), (DAYS[1], REPORT_DAY3)):
            with zipfile.ZipFile(os.path.join(ARCHIVES, day_name(day)), "w", zipfile.ZIP_DEFLATED) as z:
                z.writestr(zipfile.ZipInfo("DOCS/report.doc", date_time=(day.year, day.month, day.day, 9, 0, 0)), text)
        # 1.5 GiB that cost no disk: reading it whole would not fit beside
        # the program in a 32-bit process.
        index = os.path.join(self.s.windows_dir, "VaultlyHistory.idx")
        with open(index, "wb") as f:
            f.write(b"TBHISTIX")
            f.truncate(3 << 29)
        self.addCleanup(lambda: os.path.exists(index) and os.remove(index))

        self.s.set_clock(None)
        frame, _ = self.s.start_main()
        self.s.command(frame, ID_FILE_HISTORY)
        dialog = self.s.wait_dialog("File History")
        status, lines = self.search(dialog, "report.doc")
        self.assertEqual(status, "1 file, 2 versions in 2 archives.")
        self.assertEqual(len(lines), 3)
        # Built again from the two archives: small, and read at the next search.
        self.assertLess(os.path.getsize(index), 4096)
        with open(index, "rb") as f:
            self.assertEqual(f.read(8), b"TBHISTIX")
        status, lines = self.search(dialog, "report*")
        self.assertEqual(status, "1 file, 2 versions in 2 archives.")
        self.assertTrue(self.s.visible(frame))
        self.s.screenshot("file-history-after-oversized-index", dialog)
        self.s.click(dialog, 2)  # Close
        self.s.wait_until(lambda: not self.s.window_exists("#32770", "File History"), what="the window to close")


if __name__ == "__main__":
    tb.main()
