#!/usr/bin/env python3
"""The automatic archive run end to end: the real program watches a test drive,
files are written, the run archives them into the dated ZIP, checked with
Python's zipfile and unzip -t."""
import datetime
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_ARCHIVE_NOW = 32772
ID_SETTINGS = 32774
WM_TIMER = 0x0113
WM_CLOSE = 0x0010
DATA = os.path.join(tb.BUILD, "e2e-data", "autoarchive")
DRIVE = os.path.join(DATA, "drive-t")
ARCHIVES = os.path.join(DATA, "archives")
LETTER = "t"

PENDING_DIALOG = "Files that have changed since your last automatic archive."
SETTINGS_SHEET = "Archive Settings"
EDITOR = "Edit/Create Archive/Zip"
IDC_PA_LIST, IDC_PA_LATER, IDC_PA_INCLUDE_FOLDERS = 1062, 2, 1164
IDC_PA_ARCHIVE_NOW, IDC_PA_RUN_ARCHIVER, IDC_PA_CUSTOM_ARCHIVE = 1, 3, 4
IDC_PA_EDIT_SETTINGS, IDC_PA_RESET_PENDING = 1054, 1138
IDCANCEL = 2
AE_LIST, AE_PENDING = 1048, 1066
IDOK = 1


def prepare_drive(session, folders):
    """A fresh test drive T: with these folders, and an empty archive folder."""
    shutil.rmtree(DATA, ignore_errors=True)
    for folder in folders:
        os.makedirs(os.path.join(DRIVE, folder), exist_ok=True)
    os.makedirs(ARCHIVES)
    return tb.link_drive(session.prefix, LETTER, DRIVE)


def dated_name(when=None):
    when = when or datetime.datetime.now()
    return when.strftime("%B %d %Y.zip")


class AutoArchive(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        self.addCleanup(os.remove, prepare_drive(self.s, ["", os.path.join("DOCS", "REPORT", "2026")]))

    def settings(self, **overrides):
        settings = {"General": 3, "Drives": 4, "CustomDriveList": LETTER, "Prompts": 0x20,
                    "FileTypes": ".TXT;.DOC;", "ExcludeTypes": ".TMP;", "LocationDir": tb.windows_path(ARCHIVES),
                    "FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 600}
        settings.update(overrides)
        # The directory list as the last rebuild left it: the drive, its
        # first-level folders and their subfolders.
        directories = {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": "T:\\DOCS\\REPORT", "Dir4": ""}
        return {"Settings": settings, "Directories": directories}

    def start_watching(self, **overrides):
        self.s.write_ini(self.settings(**overrides))
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.wait_watching()
        return frame

    def write(self, relative, text):
        path = os.path.join(DRIVE, relative)
        with open(path, "w") as f:
            f.write(text)
        return path

    def archive_path(self):
        return os.path.join(ARCHIVES, dated_name())

    def zip_names(self):
        try:
            with zipfile.ZipFile(self.archive_path()) as z:
                return sorted(z.namelist())
        except (zipfile.BadZipFile, OSError):
            return None

    def wait_run_finished(self):
        """The run is over when LastArchiveTime has been written and the program answers."""
        self.s.wait_until(lambda: self.s.ini_value("Settings", "LastArchiveTime"), timeout=60,
                          what="the run to finish")

    def wait_past_written(self, path):
        """Waits until the clock has left the second in which `path` was
        written: a list taken from then on is later than the file."""
        written = datetime.datetime.fromtimestamp(int(os.path.getmtime(path)))
        self.s.wait_until(lambda: datetime.datetime.now() >= written + datetime.timedelta(seconds=1),
                          what="the clock to pass the file's time")

    def pending_dialog(self, other_than=None):
        """The one pending archive dialog once it is up (a new one, when the
        handle of an earlier one is given)."""
        def one():
            shown = self.s.dialogs(PENDING_DIALOG)
            return shown[0] if len(shown) == 1 and shown[0] != other_than else None
        return self.s.wait_until(one, what="the pending archive dialog")

    def answer(self, dialog, button):
        """Presses a button of the pending dialog; returns when the command
        that showed it has gone on (nothing after the dialog lets messages
        through)."""
        self.s.click(dialog, button)
        self.s.driver.call("wait-gone", dialog, 20000)

    def wait_past_last_archive(self):
        """Waits until the clock has left the second of "LastArchiveTime", so a
        file written now is newer than the last archive."""
        stamp = [int(x) for x in self.s.ini_value("Settings", "LastArchiveTime").split(",")]
        last = datetime.datetime(stamp[2], stamp[1], stamp[0], stamp[3], stamp[4], stamp[5])
        self.s.wait_until(lambda: datetime.datetime.now() >= last + datetime.timedelta(seconds=1),
                          what="the clock to pass the last archive time")

    def test_changed_files_at_every_level_are_archived_with_their_folders(self):
        frame = self.start_watching()
        self.write("root.txt", "in the root")
        self.write(os.path.join("DOCS", "first.doc"), "first level")
        self.write(os.path.join("DOCS", "REPORT", "2026", "deep.txt"), "three levels down")
        self.write(os.path.join("DOCS", "notes.backup"), "ignored: extension too long")
        self.write(os.path.join("DOCS", "scratch.tmp"), "excluded type")
        # The system may tell of a change late under load; one told after the
        # run would rightly be kept for the next. Let every folder be recorded
        # first, so that the run covers them all.
        def recorded():
            self.s.monitor_pass()
            folders = set(self.s.read_ini().get("Changes", {}).values())
            return {"T:\\", "T:\\DOCS"} <= folders
        self.s.wait_until(recorded, what="the monitor to record the changed folders")
        self.s.run_command(frame, ID_ARCHIVE_NOW)  # the silent run has ended when this returns
        self.assertEqual(self.zip_names(), ["DOCS/REPORT/2026/deep.txt", "DOCS/first.doc", "root.txt"])
        with zipfile.ZipFile(self.archive_path()) as z:
            self.assertEqual(z.read("DOCS/REPORT/2026/deep.txt"), b"three levels down")
            self.assertIsNone(z.testzip())
        subprocess.run(["unzip", "-tq", self.archive_path()], check=True, stdout=subprocess.DEVNULL)
        ini = self.s.read_ini()
        self.assertEqual(ini.get("Changes", {}).get("Dir1", ""), "")
        stamp = ini["Settings"]["LastArchiveTime"].split(",")
        self.assertEqual(len(stamp), 6)
        self.assertEqual(int(stamp[2]), datetime.date.today().year)
        # The new archive is in the list of known archives and shown.
        pane = self.s.pane(frame)
        self.assertTrue(any(dated_name() in line for line in self.s.lines(pane, 1047)))

        # A second run that day adds to the same archive.
        self.s.wait_watching()  # the monitor restarted at the end of the run
        self.wait_past_last_archive()
        self.write(os.path.join("DOCS", "second.txt"), "later that day")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        self.assertEqual(self.zip_names(),
                         ["DOCS/REPORT/2026/deep.txt", "DOCS/first.doc", "DOCS/second.txt", "root.txt"])
        with zipfile.ZipFile(self.archive_path()) as z:
            self.assertEqual(z.read("root.txt"), b"in the root")

    def test_without_folder_names_the_files_are_stored_by_name(self):
        settings = self.settings()
        settings["Settings"]["PendSaveFolderNames"] = 0
        self.s.write_ini(settings)
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_watching()
        self.write(os.path.join("DOCS", "REPORT", "2026", "deep.txt"), "deep")
        self.write("root.doc", "root")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        self.assertEqual(self.zip_names(), ["deep.txt", "root.doc"])

    def test_later_in_the_pending_dialog_archives_nothing(self):
        frame = self.start_watching(Prompts=0x01)
        self.write("keep.txt", "yes")
        self.write("skip.tmp", "no")
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.s.wait_dialog(PENDING_DIALOG)
        lines = self.s.lines(dialog, IDC_PA_LIST)
        self.assertEqual(lines, ["  -YES-\tT:\\keep.txt", "   -NO-\tT:\\skip.tmp"])
        self.assertFalse(self.s.visible(dialog, 1076))  # no shut-down buttons outside shut-down
        self.assertFalse(self.s.visible(dialog, 1166))
        self.s.screenshot("pending-archive", dialog)
        self.s.driver.call("press", dialog, IDC_PA_INCLUDE_FOLDERS)  # clear "Include Folders"
        self.s.wait_until(lambda: self.s.driver.call("checked", dialog, IDC_PA_INCLUDE_FOLDERS) == "0",
                          what="the box to clear")
        self.s.click(dialog, IDC_PA_LATER)
        self.s.wait_until(lambda: not self.s.window_exists("#32770", PENDING_DIALOG), what="the dialog to close")
        self.s.sync(frame)  # the command has returned: nothing follows the dialog
        self.assertFalse(os.path.exists(self.archive_path()))
        ini = self.s.read_ini()
        self.assertEqual(ini["Settings"]["PendSaveFolderNames"], "0")
        self.assertNotIn("LastArchiveTime", ini["Settings"])

    def test_a_new_type_is_asked_about_with_the_recommended_default(self):
        frame = self.start_watching(Prompts=0x02, General=3 | 0x400)
        self.write("data.xyz", "unknown type")
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.s.wait_dialog("New File Type Found !")
        self.assertIn(".XYZ", self.s.text(dialog, 1057))
        self.assertEqual(self.s.text(dialog, 1063), "Recommendation: EXCLUDE -->")
        default = self.s.send(dialog, 0x0400)  # DM_GETDEFID
        self.assertEqual(default & 0xFFFF, 3)
        self.s.screenshot("new-file-type", dialog)
        self.s.click(dialog, 3)  # EXCLUDE
        self.wait_run_finished()
        self.assertEqual(self.s.ini_value("Settings", "ExcludeTypes"), ".TMP;.XYZ;")

    def test_add_all_new_types_archives_a_new_type_without_asking(self):
        # Learn mode with "Add all new types." and no questions (what the
        # Prompts page stores when its new-type box is cleared).
        frame = self.start_watching(Prompts=0, General=3 | 0x40 | 0x200)
        self.write("data.xyz", "a type nobody has listed yet")
        self.write("note.txt", "a listed type")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        self.assertEqual(self.zip_names(), ["data.xyz", "note.txt"])
        self.assertEqual(self.s.ini_value("Settings", "FileTypes"), ".TXT;.DOC;.XYZ;")

    def test_a_locked_file_does_not_stop_the_run_and_stays_due(self):
        frame = self.start_watching()
        self.write("free.txt", "archived now")
        locked = self.write(os.path.join("DOCS", "locked.doc"), "held open by its program")
        self.s.driver.call("lock", "T:\\DOCS\\locked.doc")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        self.assertEqual(self.zip_names(), ["free.txt"])
        self.assertEqual(self.s.read_ini()["Changes"]["Dir1"], "T:\\DOCS")
        # Once the program lets go of it, the next run takes it.
        self.s.driver.call("unlock")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        self.assertEqual(self.zip_names(), ["DOCS/locked.doc", "free.txt"])
        with zipfile.ZipFile(self.archive_path()) as z:
            self.assertEqual(z.read("DOCS/locked.doc"), b"held open by its program")
        self.assertTrue(os.path.exists(locked))

    def test_a_missing_archive_folder_is_made(self):
        # The Location page's default, missing in a fresh prefix.
        made = os.path.join(self.s.prefix, "drive_c", "Auto Archives")
        shutil.rmtree(made, ignore_errors=True)
        self.addCleanup(shutil.rmtree, made, True)
        frame = self.start_watching(LocationDir="C:\\Auto Archives", LocationDirAlt="")
        self.write("root.txt", "archived into a folder the run made")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        with zipfile.ZipFile(os.path.join(made, dated_name())) as z:
            self.assertEqual(z.namelist(), ["root.txt"])
        self.assertTrue(self.s.ini_value("Settings", "LastArchiveTime"))

    def test_the_schedule_runs_the_archive_every_n_hours(self):
        # Every 0 hours: the first tick is due. The tick is sent, so the
        # silent run has ended when the call returns.
        frame = self.start_watching(General=0x01 | 0x04 | 0x10, Interval=0)
        self.write("timed.txt", "archived by the schedule")
        self.s.schedule_tick(frame)
        self.assertEqual(self.zip_names(), ["timed.txt"])
        self.assertTrue(self.s.ini_value("Settings", "LastArchiveTime"))

    def test_the_schedule_runs_the_archive_at_the_set_time(self):
        now = datetime.datetime.now()
        if now.minute == 59 and now.second > 50:  # the hour would turn before the tick
            self.s.wait_until(lambda: datetime.datetime.now().minute == 0, timeout=15, what="the next hour")
            now = datetime.datetime.now()
        # Any minute of the set hour from the set minute on matches.
        hour12 = now.hour % 12 if now.hour % 12 else (0 if now.hour == 0 else 12)
        when = "{:02d}:00:{}".format(hour12, "PM" if now.hour >= 12 else "AM")
        frame = self.start_watching(General=0x01 | 0x04 | 0x08, Time=when)
        self.write(os.path.join("DOCS", "at-the-time.doc"), "archived at the set time")
        self.s.schedule_tick(frame)
        self.assertEqual(self.zip_names(), ["DOCS/at-the-time.doc"])
        # Once in that hour: the next tick archives nothing more.
        self.s.wait_watching()
        self.wait_past_last_archive()
        self.write("later.txt", "not before tomorrow")
        self.s.schedule_tick(frame)
        self.assertEqual(self.zip_names(), ["DOCS/at-the-time.doc"])

    def test_exit_and_reset_keeps_what_was_saved_while_the_dialog_was_open(self):
        frame = self.start_watching(Prompts=0x01)
        self.wait_past_written(self.write("listed.txt", "offered, then reset"))
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.pending_dialog()
        self.assertEqual(self.s.lines(dialog, IDC_PA_LIST), ["  -YES-\tT:\\listed.txt"])
        # While the dialog is open a file is saved, and the monitor's
        # five-minute pass records its folder.
        self.s.wait_watching()
        self.write(os.path.join("DOCS", "saved-meanwhile.txt"), "must not be lost")
        self.s.monitor_pass()
        self.s.wait_until(lambda: "T:\\DOCS" in self.s.read_ini().get("Changes", {}).values(),
                          what="the monitor to record DOCS")
        self.answer(dialog, IDC_PA_RESET_PENDING)
        self.s.sync(frame)
        self.assertFalse(os.path.exists(self.archive_path()))
        self.assertTrue(self.s.ini_value("Settings", "LastArchiveTime"))
        self.assertIn("T:\\DOCS", self.s.read_ini()["Changes"].values())
        # The next run offers what was saved meanwhile, and not what was reset.
        self.s.wait_watching()
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.pending_dialog(other_than=dialog)
        self.assertEqual(self.s.lines(dialog, IDC_PA_LIST), ["  -YES-\tT:\\DOCS\\saved-meanwhile.txt"])
        self.answer(dialog, IDC_PA_LATER)

    def test_a_run_never_starts_inside_another(self):
        # Every tick of the schedule is due (every 0 hours).
        frame = self.start_watching(Prompts=0x01, General=0x01 | 0x04 | 0x10, Interval=0)
        self.write("one.txt", "offered once at a time")
        self.s.command(frame, ID_ARCHIVE_NOW)
        first = self.pending_dialog()
        # The dialog's modal loop lets the schedule's ticks and the settings
        # command through; each is handled at once (a nested run or sheet
        # would keep these calls waiting).
        self.s.schedule_tick(frame)
        self.s.schedule_tick(frame)
        self.s.run_command(frame, ID_SETTINGS, 10000)
        self.assertEqual(self.s.dialogs(PENDING_DIALOG), [first])
        self.assertEqual(self.s.dialogs(SETTINGS_SHEET), [])
        self.s.screenshot("pending-archive-one-at-a-time", first)
        # "Later": the run the schedule asked for comes now, once.
        self.s.click(first, IDC_PA_LATER)
        second = self.pending_dialog(other_than=first)
        self.assertEqual(self.s.lines(second, IDC_PA_LIST), ["  -YES-\tT:\\one.txt"])
        self.answer(second, IDC_PA_LATER)
        self.assertFalse(os.path.exists(self.archive_path()))

    def test_edit_settings_in_the_pending_dialog_shows_the_sheet_then_asks_again(self):
        frame = self.start_watching(Prompts=0x01)
        self.write("edited.txt", "archived after the settings")
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.pending_dialog()
        self.s.click(dialog, IDC_PA_EDIT_SETTINGS)
        sheet = self.s.wait_dialog(SETTINGS_SHEET)
        self.assertEqual(self.s.dialogs(PENDING_DIALOG), [])
        self.s.click(sheet, IDCANCEL)
        again = self.pending_dialog(other_than=dialog)
        self.assertEqual(self.s.lines(again, IDC_PA_LIST), ["  -YES-\tT:\\edited.txt"])
        self.s.click(again, IDC_PA_ARCHIVE_NOW)
        self.wait_run_finished()
        self.assertEqual(self.zip_names(), ["edited.txt"])

    def test_run_archiver_shows_the_main_window_and_archives_nothing(self):
        self.s.write_ini(self.settings(Prompts=0x01))
        self.s.start("/hide")
        frame = self.s.main_window()
        self.s.wait_watching()
        self.s.sync(frame)
        self.assertFalse(self.s.visible(frame))
        self.write("shown.txt", "not archived")
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.pending_dialog()
        self.answer(dialog, IDC_PA_RUN_ARCHIVER)
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.sync(frame)
        self.assertFalse(os.path.exists(self.archive_path()))
        self.assertNotIn("LastArchiveTime", self.s.read_ini()["Settings"])

    def test_custom_archive_opens_the_editor_with_the_pending_files(self):
        frame = self.start_watching(Prompts=0x01)
        self.write("custom.txt", "for the editor")
        self.s.command(frame, ID_ARCHIVE_NOW)
        dialog = self.pending_dialog()
        self.s.click(dialog, IDC_PA_CUSTOM_ARCHIVE)
        editor = self.s.wait_dialog(EDITOR)
        self.s.wait_until(lambda: self.s.driver.call("checked", editor, AE_PENDING) == "1",
                          what="Pending Archive Files ticked")
        self.s.wait_until(lambda: self.s.lines(editor, AE_LIST), what="the pending file listed")
        self.assertEqual(self.s.lines(editor, AE_LIST)[0].split("\t")[1], "custom")
        self.s.screenshot("custom-archive-editor", editor)
        # Closed without archiving: the editor makes sure first.
        self.s.post(editor, WM_CLOSE)
        box, text = self.s.message_box()
        self.assertIn("exit without archiving", text)
        self.s.click(box, IDOK)
        self.s.driver.call("wait-gone", editor, 20000)
        self.s.sync(frame)
        # The run archived nothing itself.
        self.assertFalse(os.path.exists(self.archive_path()))
        self.assertNotIn("LastArchiveTime", self.s.read_ini()["Settings"])

    def test_neither_location_writable_keeps_the_files_due(self):
        frame = self.start_watching(LocationDir="Q:\\nowhere", LocationDirAlt="Q:\\nowhere either")
        self.write("root.txt", "must not be lost")
        self.s.run_command(frame, ID_ARCHIVE_NOW)
        ini = self.s.read_ini()
        self.assertNotIn("LastArchiveTime", ini["Settings"])
        self.assertEqual(ini["Changes"]["Dir1"], "T:\\")


class ShutdownArchive(tb.ScenarioTest):
    def test_session_end_archives_the_changed_files_first(self):
        self.addCleanup(os.remove, prepare_drive(self.s, ["DOCS"]))
        self.s.write_ini({"Settings": {"General": 3, "Drives": 4, "CustomDriveList": LETTER, "Prompts": 0x20,
                                       "FileTypes": ".TXT;", "LocationDir": tb.windows_path(ARCHIVES)},
                          "Directories": {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": ""}})
        pid = self.s.start("/hide")
        self.s.main_window()
        self.s.wait_watching()
        with open(os.path.join(DRIVE, "DOCS", "late.txt"), "w") as f:
            f.write("saved just before shutting down")
        result = subprocess.run(["wineboot", "--end-session"], env=self.s.env, timeout=120)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(self.s.wait_exit(pid), 0)
        with zipfile.ZipFile(os.path.join(ARCHIVES, dated_name())) as z:
            self.assertEqual(z.namelist(), ["DOCS/late.txt"])


class ShutdownWithPrompts(tb.ScenarioTest):
    """Ending the session with a prompt bit set: the first request is refused,
    the archive runs with its dialog, then the program ends the session itself.
    ExitWindowsEx ends every other program of the prefix, so these run in a
    prefix of their own."""
    prefix = os.path.join(tb.BUILD, "wineprefix-shutdown")

    def setUp(self):
        super().setUp()
        self.addCleanup(os.remove, prepare_drive(self.s, ["DOCS"]))
        self.s.write_ini({"Settings": {"General": 3, "Drives": 4, "CustomDriveList": LETTER, "Prompts": 0x01,
                                       "FileTypes": ".TXT;", "LocationDir": tb.windows_path(ARCHIVES)},
                          "Directories": {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": ""}})

    def start_and_change_a_file(self):
        pid = self.s.start("/hide")
        frame = self.s.main_window()
        self.s.wait_watching()
        with open(os.path.join(DRIVE, "DOCS", "late.txt"), "w") as f:
            f.write("saved just before shutting down")
        # Another program of the session, to see the session end.
        witness = subprocess.Popen(["wine", "notepad"], env=self.s.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.s.wait_until(lambda: self.s.window_exists("Notepad", "*"), what="the witness program")
        return pid, frame, witness

    def test_refused_then_archived_with_the_dialog_then_shut_down(self):
        pid, frame, witness = self.start_and_change_a_file()
        result = subprocess.run(["wineboot", "--end-session"], env=self.s.env, timeout=120)
        self.assertEqual(result.returncode, 1)  # refused
        dialog = self.s.wait_dialog(PENDING_DIALOG)
        self.assertEqual(self.s.text(dialog, 1), "Archive Now \nand Shutdown")
        self.assertEqual(self.s.text(dialog, 2), "Cancel Shutdown")
        self.assertTrue(self.s.visible(dialog, 1076))
        self.assertTrue(self.s.visible(dialog, 1166))
        self.assertEqual(self.s.lines(dialog, IDC_PA_LIST), ["  -YES-\tT:\\DOCS\\late.txt"])
        self.s.screenshot("pending-archive-shutdown", dialog)
        self.s.click(dialog, 1)
        # The archive is written, then the program ends the session: the other program ends.
        self.assertEqual(witness.wait(timeout=60), 0)
        with zipfile.ZipFile(os.path.join(ARCHIVES, dated_name())) as z:
            self.assertEqual(z.namelist(), ["DOCS/late.txt"])

    def test_cancel_shutdown_archives_and_keeps_the_session(self):
        pid, frame, witness = self.start_and_change_a_file()
        subprocess.run(["wineboot", "--end-session"], env=self.s.env, timeout=120)
        dialog = self.s.wait_dialog(PENDING_DIALOG)
        self.s.driver.call("press", dialog, 1166)
        self.s.wait_until(lambda: self.s.text(dialog, 1) == "Archive Now", what="the button to change")
        self.s.driver.call("press", dialog, 1166)
        self.s.wait_until(lambda: self.s.text(dialog, 1) == "Archive Now \nand Shutdown", what="the button back")
        self.s.driver.call("press", dialog, 1166)
        self.s.wait_until(lambda: self.s.text(dialog, 1) == "Archive Now", what="the button to change again")
        self.s.click(dialog, 1)
        self.s.wait_until(lambda: os.path.exists(os.path.join(ARCHIVES, dated_name())), what="the archive")
        # The run ends with the change records pruned; from there on to the end
        # of the shut-down step nothing lets messages through.
        self.s.wait_until(lambda: self.s.ini_value("Changes", "Dir1") == "", what="the run to finish")
        self.s.sync(frame)
        self.assertIsNone(witness.poll())
        self.assertIsNone(self.s.driver.try_call("wait-exit", pid, 100))
        # The session goes on, and the next request to end it is refused again.
        result = subprocess.run(["wineboot", "--end-session"], env=self.s.env, timeout=120)
        self.assertEqual(result.returncode, 1)
        self.assertIsNone(witness.poll())
        self.assertIsNone(self.s.driver.try_call("wait-exit", pid, 100))
        witness.kill()

    def test_a_postponed_shutdown_leaves_the_next_one_archived(self):
        pid, frame, witness = self.start_and_change_a_file()
        self.assertEqual(subprocess.run(["wineboot", "--end-session"], env=self.s.env, timeout=120).returncode, 1)
        dialog = self.s.wait_dialog(PENDING_DIALOG)
        self.s.click(dialog, 2)  # "Cancel Shutdown" (the dialog's Later)
        self.s.driver.call("wait-gone", dialog, 20000)
        self.s.sync(frame)
        self.assertIsNone(witness.poll())
        # The next shut-down is intercepted again: refused, and the file offered.
        self.assertEqual(subprocess.run(["wineboot", "--end-session"], env=self.s.env, timeout=120).returncode, 1)
        dialog = self.s.wait_dialog(PENDING_DIALOG)
        self.assertEqual(self.s.lines(dialog, IDC_PA_LIST), ["  -YES-\tT:\\DOCS\\late.txt"])
        self.s.click(dialog, 1)
        self.assertEqual(witness.wait(timeout=60), 0)
        with zipfile.ZipFile(os.path.join(ARCHIVES, dated_name())) as z:
            self.assertEqual(z.namelist(), ["DOCS/late.txt"])

    def test_a_log_off_is_refused_then_ends_as_a_log_off(self):
        pid, frame, witness = self.start_and_change_a_file()
        # Wine's session end never sets the log-off bit; ask as Windows would.
        self.s.post(frame, tb.WM_QUERYENDSESSION, 0, tb.ENDSESSION_LOGOFF)
        dialog = self.s.wait_dialog(PENDING_DIALOG)
        self.s.click(dialog, 1)
        # After a log-off the program closes its own window and ends.
        self.assertEqual(self.s.wait_exit(pid, 60000), 0)
        self.assertEqual(witness.wait(timeout=60), 0)
        self.assertTrue(os.path.exists(os.path.join(ARCHIVES, dated_name())))


if __name__ == "__main__":
    tb.main()
