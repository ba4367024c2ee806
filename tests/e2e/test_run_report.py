#!/usr/bin/env python3
"""A first start that archives, and what every run tells: the real program
under Wine with no settings file (its documents on a test drive), and runs
whose line in the status bar, the run log and the Archive Log window are read
back."""
import datetime
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

IDS = tb.resource_ids()
STATUS_BAR = 0xE801
DATA = os.path.join(tb.BUILD, "e2e-data", "runreport")
DRIVE = os.path.join(DATA, "drive-t")
ARCHIVES = os.path.join(DATA, "archives")
USER_SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"


def dated_name():
    return datetime.datetime.now().strftime("%B %d %Y.zip")


def fresh_drive(session, folders):
    shutil.rmtree(DATA, ignore_errors=True)
    for folder in folders:
        os.makedirs(os.path.join(DRIVE, folder), exist_ok=True)
    return tb.link_drive(session.prefix, "t", DRIVE)


class Report(tb.ScenarioTest):
    def log_path(self):
        return os.path.join(self.s.windows_dir, "Vaultly.log")

    def log_lines(self):
        try:
            with open(self.log_path(), encoding="utf-8") as f:
                return [line.rstrip("\r\n") for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def status(self, frame):
        return self.s.text(frame, STATUS_BAR)

    def archive_now(self, frame):
        """Archive Changed Files Now; returns once the run is over."""
        self.s.run_command(frame, IDS["ID_ARCHIVE_NOW"])

    def write(self, relative, text):
        path = os.path.join(DRIVE, relative)
        with open(path, "w") as f:
            f.write(text)
        return path


class FirstStart(Report):
    """No settings file: the starter profile watches the documents' drive."""
    prefix = os.path.join(tb.BUILD, "wineprefix-firststart")

    def setUp(self):
        super().setUp()
        self.addCleanup(os.remove, fresh_drive(self.s, ["Documents"]))
        # The user's documents live on T: in this prefix.
        self.s.reg_add(USER_SHELL_FOLDERS, "Personal", "T:\\Documents")
        self.s.reg_add(SHELL_FOLDERS, "Personal", "T:\\Documents")
        self.archives = os.path.join(self.s.prefix, "drive_c", "Auto Archives")
        shutil.rmtree(self.archives, ignore_errors=True)
        self.addCleanup(shutil.rmtree, self.archives, True)
        self.s.write_ini(None)
        if os.path.exists(self.log_path()):
            os.remove(self.log_path())

    def test_a_changed_document_is_archived_at_archive_now(self):
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        settings = self.s.read_ini()["Settings"]
        self.assertEqual(int(settings["General"]), 0x001 | 0x002 | 0x040 | 0x400)  # monitor, shut-down, learn, ask
        self.assertEqual(int(settings["Prompts"]), 0x02)
        self.assertEqual(settings["CustomDriveList"].lower(), "t")
        self.assertEqual(settings["LocationDir"], "C:\\Auto Archives")
        for kind in (".DOC;", ".DOCX;", ".XLSX;", ".PPTX;", ".TXT;", ".PDF;", ".JPG;", ".PNG;"):
            self.assertIn(kind, settings["FileTypes"])
        files = self.s.driver.call("descendant", frame, IDS["IDC_FILE_LIST"])
        self.s.wait_until(lambda: self.s.text(files).startswith("No archive yet."), what="the first start's hint")
        self.assertIn("Archive Changed Files Now", self.s.text(files))
        self.s.screenshot("first-start-starter-hint", frame)

        self.s.wait_watching()
        self.write(os.path.join("Documents", "letter.docx"), "Dear reader, this is the first letter.")
        self.write(os.path.join("Documents", "notes.xyz"), "a type in neither list")
        self.s.command(frame, IDS["ID_ARCHIVE_NOW"])
        # A type in neither list is asked about (Learn Mode, "Let me choose").
        question = self.s.wait_dialog("New File Type Found !")
        self.s.click(question, 2)  # IGNORE this time
        self.s.driver.call("wait-gone", question, 20000)
        self.s.sync(frame)

        archive = os.path.join(self.archives, dated_name())
        with zipfile.ZipFile(archive) as z:
            names = z.namelist()
            self.assertEqual(names, ["Documents/letter.docx"])
            self.assertEqual(z.read(names[0]), b"Dear reader, this is the first letter.")
        line = self.s.wait_until(lambda: self.status(frame) if "archived" in self.status(frame) else None,
                                 what="the run's line in the status bar")
        self.assertEqual(line, "1 file archived in C:\\Auto Archives\\{}; 1 changed file was left out: type not "
                               "in the list (.XYZ)".format(dated_name()))
        self.assertTrue(self.log_lines()[-1].endswith("  Archive Now  " + line), self.log_lines())
        self.s.screenshot("first-start-archived", frame)
        self.s.terminate(frame)


class RunLines(Report):
    """Runs on a configured test drive: the line of each in the status bar and
    the run log, and the Archive Log window."""

    def setUp(self):
        super().setUp()
        self.addCleanup(os.remove, fresh_drive(self.s, ["DOCS"]))
        os.makedirs(ARCHIVES)
        if os.path.exists(self.log_path()):
            os.remove(self.log_path())

    def start(self, location, **overrides):
        settings = {"General": 3, "Drives": 4, "CustomDriveList": "t", "Prompts": 0x20,
                    "FileTypes": ".TXT;.DOC;", "ExcludeTypes": ".TMP;", "LocationDir": location,
                    "FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 560}
        settings.update(overrides)
        self.s.write_ini({"Settings": settings,
                          "Directories": {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": ""}})
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.wait_watching()
        return frame

    def test_types_left_out_are_named_in_the_status_bar_the_log_and_the_archive_log(self):
        frame = self.start(tb.windows_path(ARCHIVES))
        self.write(os.path.join("DOCS", "a.txt"), "kept")
        for name in ("b.xyz", "c.abc", "d.xyz", "e.xyz"):
            self.write(os.path.join("DOCS", name), "left out")
        self.write(os.path.join("DOCS", "f.tmp"), "excluded")
        self.archive_now(frame)
        archive = tb.windows_path(os.path.join(ARCHIVES, dated_name()))
        line = self.status(frame)
        self.assertTrue(line.startswith("1 file archived in {}; 4 changed files were left out: types not in the "
                                        "list (".format(archive)), line)
        self.assertIn(".XYZ", line)
        self.assertIn(".ABC", line)
        self.assertTrue(line.endswith("; 1 file was left out by the exclusions or the size limit"), line)
        with zipfile.ZipFile(os.path.join(ARCHIVES, dated_name())) as z:
            self.assertEqual(z.namelist(), ["DOCS/a.txt"])
        log = self.log_lines()
        self.assertEqual(len(log), 1)
        self.assertTrue(log[0].endswith("  Archive Now  " + line), log)
        self.s.screenshot("run-status-left-out", frame)

        # A second run with nothing changed: its own line, the newest last.
        self.archive_now(frame)
        self.assertEqual(self.status(frame), "Nothing to archive")
        self.assertTrue(self.log_lines()[-1].endswith("  Archive Now  Nothing to archive"))

        self.s.command(frame, IDS["ID_ARCHIVE_LOG"])
        dialog = self.s.wait_dialog("Archive Log")
        self.assertEqual(self.s.lines(dialog, IDS["IDC_RL_LIST"]), self.log_lines())
        self.assertIn("Vaultly.log", self.s.text(dialog, IDS["IDC_RL_NOTE"]))
        self.s.screenshot("archive-log", dialog)
        self.s.click(dialog, 2)
        self.s.driver.call("wait-gone", dialog, 20000)
        self.s.terminate(frame)

    def test_a_timed_run_tells_its_line_and_is_logged_as_timed(self):
        # Every hour: the first tick of the schedule finds it due. No catching
        # up at start-up, so that the tick's run is the only one.
        frame = self.start(tb.windows_path(ARCHIVES), General=0x1 | 0x2 | 0x4 | 0x10, Interval=0, CatchUpMissed=0)
        self.write(os.path.join("DOCS", "timed.txt"), "by the schedule")
        self.s.schedule_tick(frame)
        line = "1 file archived in {}".format(tb.windows_path(os.path.join(ARCHIVES, dated_name())))
        self.assertEqual(self.status(frame), line)
        self.assertEqual(len(self.log_lines()), 1)
        self.assertTrue(self.log_lines()[0].endswith("  Timed  " + line), self.log_lines())
        self.s.terminate(frame)

    def test_a_location_that_cannot_be_made_is_told_and_the_files_stay_due(self):
        # A file where the archive folder's parent should be: the folder can
        # never be made (the stand-in for a full or read-only disk).
        with open(os.path.join(DRIVE, "blocker"), "w") as f:
            f.write("not a folder")
        location = "T:\\blocker\\Archives"
        frame = self.start(location)
        self.write(os.path.join("DOCS", "a.txt"), "due")
        self.archive_now(frame)
        line = self.status(frame)
        self.assertEqual(line, "The archive could not be written: T:\\blocker\\Archives: the folder could not be "
                               "made; 1 changed file waits for the next archive")
        self.assertTrue(self.log_lines()[-1].endswith("  Archive Now  " + line))
        self.assertIsNone(self.s.ini_value("Settings", "LastArchiveTime") or None)
        self.assertTrue(self.s.no_message_box())  # silent: only the balloon tells
        self.s.screenshot("run-status-failed", frame)

        # Once the location can be made, the next run takes the file.
        os.remove(os.path.join(DRIVE, "blocker"))
        self.archive_now(frame)
        self.assertEqual(self.status(frame), "1 file archived in {}\\{}".format(location, dated_name()))
        with zipfile.ZipFile(os.path.join(DRIVE, "blocker", "Archives", dated_name())) as z:
            self.assertEqual(z.namelist(), ["DOCS/a.txt"])
        self.s.terminate(frame)

    def balloon(self):
        """The text of the tray balloon on screen, or None."""
        for entry in self.s.driver.call("windows").split("\x1f"):
            fields = entry.split("|")
            if len(fields) == 4 and fields[1] == "tooltips_class32" and fields[3] == "1" and fields[2]:
                return tb.unescape(fields[2])
        return None

    def test_a_full_disk_is_told_with_a_balloon_and_the_files_stay_due(self):
        full = os.path.join(tb.BUILD, "e2e-data", "runreport-full")
        os.makedirs(full, exist_ok=True)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=512k", "tmpfs", full]).returncode != 0:
            self.skipTest("a small disk cannot be mounted here")
        self.addCleanup(subprocess.run, ["umount", full])
        # The disk is filled up to a few kilobytes.
        stats = os.statvfs(full)
        with open(os.path.join(full, "filler"), "wb") as f:
            f.write(b"\0" * (stats.f_bavail * stats.f_frsize - 24 * 1024))
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, "f", full))
        frame = self.start("F:\\Archives")
        with open(os.path.join(DRIVE, "DOCS", "big.txt"), "wb") as f:
            f.write(os.urandom(200 * 1024))
        self.archive_now(frame)
        line = self.status(frame)
        self.assertEqual(line, "The archive could not be written: F:\\Archives\\{}: the disk is full; 1 changed "
                               "file waits for the next archive".format(dated_name()))
        self.assertTrue(self.log_lines()[-1].endswith("  Archive Now  " + line))
        self.assertIsNone(self.s.ini_value("Settings", "LastArchiveTime") or None)
        self.assertEqual(self.s.ini_value("Changes", "Dir1"), "T:\\DOCS")
        self.assertTrue(self.s.no_message_box())  # silent: only the balloon tells
        self.assertEqual(self.s.wait_until(self.balloon, what="the tray balloon"), line)
        self.s.screenshot("run-balloon-full-disk")
        self.s.terminate(frame)


if __name__ == "__main__":
    tb.main()
