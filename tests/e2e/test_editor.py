#!/usr/bin/env python3
"""The archive editor end to end: the real program creates and edits archives on
a test drive, and the archives are checked with unzip -t, 7z t and Python's
zipfile (AES with 7-Zip and the password)."""
import datetime
import os
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

DATA = os.path.join(tb.BUILD, "e2e-data", "editor")
DRIVE = os.path.join(DATA, "drive-e")
LETTER = "e"

EDITOR = "Edit/Create Archive/Zip"
ID_FILE_NEW, ID_EDIT_ARCHIVE_NEW, ID_EDIT_ARCHIVE, ID_ARCHIVE_NOW = 57600, 32773, 32781, 32772
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
AE_OPEN, AE_EXTRACT, AE_LOCATE, AE_ARCHIVE = 1089, 1091, 1068, 1084
AE_LIST, AE_REMOVE, AE_ADD, AE_PENDING, AE_CHANGED = 1048, 1100, 1065, 1066, 1067
AE_TYPES_ALL, AE_TYPES_FROM, AE_TYPE_LIST, AE_TYPE_EDIT, AE_DRIVES = 1073, 1074, 1075, 1087, 1012
AE_PASSWORD, AE_SAVE_FOLDERS, AE_DAYS = 1159, 1155, 1079
PW_TEXT = 1157
FILE_NAME_FIELD = 1148  # the common dialog's file name box (cmb13)
WM_CLOSE, WM_KEYDOWN, VK_DELETE = 0x0010, 0x0100, 0x2E
PENDING_DIALOG = "Files that have changed since your last automatic archive."
CUSTOM_ARCHIVE = 4


def e_path(relative):
    return LETTER.upper() + ":\\" + relative.replace("/", "\\")


def row_fields(row):
    """Name, extension, action, date, size, folder of an editor row."""
    return row.split("\t")[1:]


def zip_names(path):
    with zipfile.ZipFile(path) as z:
        return sorted(z.namelist())


def check_archive(path, password=None):
    """The archive passes unzip -t (plain ones), 7z t and Python's zipfile."""
    seven = ["7z", "t", path] + (["-p" + password] if password else [])
    subprocess.run(seven, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with zipfile.ZipFile(path) as z:
        if password is None:
            if z.testzip() is not None:
                raise AssertionError("zipfile finds a damaged entry in " + path)
            subprocess.run(["unzip", "-tq", path], check=True, stdout=subprocess.DEVNULL)
        return z.infolist()


class Editor(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        for relative, text in (("DOCS/a.txt", "alpha"), ("DOCS/b.doc", "bravo"), ("notes.txt", "notes"),
                               ("README", "no extension"), ("sub/deep/c.txt", "charlie")):
            self.write(relative, text)
        os.makedirs(os.path.join(DATA, "out"))
        link = os.path.join(self.s.prefix, "dosdevices", LETTER + ":")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(DRIVE, link)
        self.addCleanup(os.remove, link)

    # ---- set-up helpers ------------------------------------------------------------------
    def write(self, relative, text):
        path = os.path.join(DRIVE, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
        return path

    def settings(self, **overrides):
        settings = {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 600,
                    "CustomDriveList": LETTER, "FileTypes": ".TXT;.DOC;", "PassProtect": 0, "SaveFolders": 1,
                    "DirOpenZip": e_path("")}
        settings.update(overrides)
        return {"Settings": settings}

    def start(self, *arguments, ini=None, **overrides):
        self.s.write_ini(ini or self.settings(**overrides))
        self.s.start(*arguments)
        frame = self.s.main_window()
        return frame

    def wait_editor(self, title_part=""):
        dialog = self.s.wait_dialog(EDITOR)
        self.assertIn(title_part, self.s.text(dialog))
        # The deferred start ends by filling the drives list and choosing the
        # drives of CustomDriveList (the test drive).
        self.s.wait_until(lambda: self.s.driver.call("selected", dialog, AE_DRIVES), what="the editor's start")
        return dialog

    def open_new_editor(self, frame, command=ID_EDIT_ARCHIVE_NEW):
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.command(frame, command)
        return self.wait_editor()

    def rows(self, dialog):
        return [row_fields(r) for r in self.s.lines(dialog, AE_LIST) if r.startswith("\t")]

    def wait_rows(self, dialog, count, what="the editor's rows"):
        return self.s.wait_until(lambda: len(self.rows(dialog)) == count and self.rows(dialog), what=what)

    def add_changed_files(self, dialog, all_types=True):
        """"Changed Since:" with "Last" 7 days on the test drive."""
        if self.s.driver.call("checked", dialog, AE_CHANGED) != "1":
            self.s.driver.call("press", dialog, AE_CHANGED)
        if all_types:
            self.s.driver.call("press", dialog, AE_TYPES_ALL)
        self.s.wait_until(lambda: self.s.driver.call("enabled", dialog, AE_ADD) == "1", what="Add enabled")
        self.assertIn("E:\\", self.s.lines(dialog, AE_DRIVES)[int(self.s.driver.call("selected", dialog, AE_DRIVES))])
        self.s.click(dialog, AE_ADD)

    def name_new_archive(self, path):
        save = self.s.wait_dialog("Save As")
        self.s.driver.call("settext", save, FILE_NAME_FIELD, path)
        self.s.click(save, IDOK)
        self.s.driver.call("wait-gone", save, 20000)

    def archive_and_close(self, dialog):
        self.s.click(dialog, IDOK)
        self.s.driver.call("wait-gone", dialog, 60000)

    def answer_box(self, expected_text, button):
        box, text = self.s.message_box()
        self.assertIn(expected_text, text)
        self.s.click(box, button)
        self.s.driver.call("wait-gone", box, 20000)

    # ---- scenarios -----------------------------------------------------------------------
    def test_an_empty_zip_on_the_command_line_is_created_from_the_files_changed_lately(self):
        archive = os.path.join(DATA, "out", "new.zip")
        open(archive, "wb").close()
        win_archive = tb.windows_path(archive)
        frame = self.start(win_archive)
        dialog = self.wait_editor("- " + win_archive)
        self.assertEqual(self.s.lines(dialog, AE_LIST), [])
        self.s.screenshot("editor-empty")

        self.add_changed_files(dialog)
        rows = self.wait_rows(dialog, 4)
        # Every file of the drive with a '.' in its name, as an addition.
        self.assertEqual(sorted((r[0], r[1], r[2], r[5]) for r in rows),
                         [("a", "txt ", "ADD", "E:\\DOCS"), ("b", "doc ", "ADD", "E:\\DOCS"),
                          ("c", "txt ", "ADD", "E:\\sub\\deep"), ("notes", "txt ", "ADD", "E:")])
        self.assertTrue(all(r[4] == "-------" for r in rows))
        self.s.screenshot("editor-added-files")

        self.archive_and_close(dialog)
        infos = check_archive(archive)
        self.assertEqual(sorted(i.filename for i in infos),
                         ["DOCS/a.txt", "DOCS/b.doc", "notes.txt", "sub/deep/c.txt"])
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(z.read("sub/deep/c.txt"), b"charlie")
        ini = self.s.read_ini()
        self.assertEqual(ini["Settings"].get("SaveFolders"), "1")
        self.assertEqual(ini["Settings"].get("PassProtect"), "0")
        self.assertNotIn("LastArchiveTime", ini["Settings"])  # no pending files were taken

        # The main window shows the archive; reopened, the editor lists its entries.
        pane = self.s.pane(frame)
        self.s.wait_until(lambda: any("new.zip" in line for line in self.s.lines(pane, 1047)), what="the archive")
        self.s.select(pane, 1047, 0)
        self.s.command(frame, ID_EDIT_ARCHIVE)
        dialog = self.wait_editor(win_archive)
        self.assertEqual([(r[0], r[2]) for r in self.wait_rows(dialog, 4)],
                         [("a", "----- "), ("b", "----- "), ("c", "----- "), ("notes", "----- ")])
        # The size column: sizes (largest first) on the first click, then back to compressed sizes.
        self.s.click(dialog, 1165)
        self.s.wait_until(lambda: self.s.text(dialog, 1165) == "Size", what="the Size caption")
        self.s.wait_until(lambda: [r[4] for r in self.rows(dialog)] == ["  7", "  5", "  5", "  5"], what="sizes")
        self.s.click(dialog, 1165)
        self.s.click(dialog, 1165)
        self.s.wait_until(lambda: self.s.text(dialog, 1165) == "Cmpr Size", what="the Cmpr Size caption")
    def test_reopen_remove_and_update_entries(self):
        archive = os.path.join(DATA, "out", "edit.zip")
        with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("DOCS/a.txt", "old alpha")
            z.writestr("DOCS/b.doc", "bravo" * 400)
            z.writestr("notes.txt", "notes")
            z.writestr("old/keep.txt", "kept")
        win_archive = tb.windows_path(archive)
        ini = self.settings()
        ini["Zips"] = {"Zip1": win_archive}
        frame = self.start(ini=ini)
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.select(self.s.pane(frame), 1047, 0)
        self.s.command(frame, ID_EDIT_ARCHIVE)
        dialog = self.wait_editor(win_archive)
        rows = self.wait_rows(dialog, 4)
        # Sorted by name, every item kept.
        self.assertEqual([(r[0], r[2], r[5]) for r in rows],
                         [("a", "----- ", "DOCS"), ("b", "----- ", "DOCS"), ("keep", "----- ", "old"),
                          ("notes", "----- ", "")])

        # The Delete key in the list marks the selected row for removal.
        self.s.select(dialog, AE_LIST, 1)
        list_box = self.s.driver.call("descendant", dialog, AE_LIST)
        self.s.send(list_box, WM_KEYDOWN, VK_DELETE, 0)
        self.s.wait_until(lambda: self.rows(dialog)[1][2] == "REMOVE", what="the REMOVE row")
        # Disk files of the same paths update their items (not the one to be
        # removed); the others are added.
        self.write("DOCS/a.txt", "new alpha")
        self.add_changed_files(dialog, all_types=False)
        self.wait_rows(dialog, 5)
        self.assertEqual([(r[0], r[2]) for r in self.rows(dialog)],
                         [("a", "UPDATE"), ("b", "REMOVE"), ("keep", "----- "), ("notes", "UPDATE"), ("c", "ADD")])
        self.assertEqual(self.rows(dialog)[0][5], "E:\DOCS")
        self.s.screenshot("editor-each-action")

        self.s.click(dialog, AE_ARCHIVE)
        # The write reloads the list: what the archive now holds, all kept.
        self.s.wait_until(lambda: [r[0] for r in self.rows(dialog)] == ["a", "c", "keep", "notes"] and
                          all(r[2] == "----- " for r in self.rows(dialog)), what="the reloaded list")
        names = [i.filename for i in check_archive(archive)]
        self.assertEqual(sorted(names), ["DOCS/a.txt", "notes.txt", "old/keep.txt", "sub/deep/c.txt"])
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(z.read("DOCS/a.txt"), b"new alpha")

        # Remove one more and write again: the archive gets smaller.
        self.s.select(dialog, AE_LIST, 2)
        self.s.click(dialog, AE_REMOVE)
        self.s.wait_until(lambda: self.rows(dialog)[2][2] == "REMOVE", what="the REMOVE row")
        size = os.path.getsize(archive)
        self.archive_and_close(dialog)
        self.assertEqual(sorted(i.filename for i in check_archive(archive)),
                         ["DOCS/a.txt", "notes.txt", "sub/deep/c.txt"])
        self.assertLess(os.path.getsize(archive), size)

    def test_a_new_archive_gets_its_name_and_password_at_the_first_write(self):
        frame = self.start(PassProtect=1)
        dialog = self.open_new_editor(frame, ID_FILE_NEW)
        self.assertEqual(self.s.driver.call("checked", dialog, AE_PASSWORD), "1")
        self.add_changed_files(dialog)
        self.wait_rows(dialog, 4)
        archive = os.path.join(DATA, "out", "secret.zip")

        # Cancelling the name leaves everything as it was.
        self.s.click(dialog, AE_ARCHIVE)
        save = self.s.wait_dialog("Save As")
        self.s.click(save, IDCANCEL)
        self.s.driver.call("wait-gone", save, 20000)
        # So does cancelling the password: nothing is written, the changes stay.
        self.s.click(dialog, AE_ARCHIVE)
        self.name_new_archive(tb.windows_path(archive))
        prompt = self.s.wait_dialog("Password")
        self.assertEqual(self.s.text(prompt, 1156), "Enter password to protect the files being archived.")
        self.s.click(prompt, IDCANCEL)
        self.s.driver.call("wait-gone", prompt, 20000)
        self.s.sync(dialog)  # the command has returned: a message it had would be showing
        self.assertTrue(self.s.no_message_box())
        self.assertFalse(os.path.exists(archive))
        self.assertEqual(sorted(r[2] for r in self.rows(dialog)), ["ADD"] * 4)

        # With the password the entries are encrypted with AES.
        self.s.click(dialog, AE_ARCHIVE)
        prompt = self.s.wait_dialog("Password")
        self.s.driver.call("settext", prompt, PW_TEXT, "s3cret word")
        self.s.click(prompt, IDOK)
        self.s.wait_until(lambda: [r[2] for r in self.rows(dialog)] == ["----- "] * 4, what="the reloaded list")
        self.assertTrue(all(r[1].endswith("+ ") for r in self.rows(dialog)))  # the encrypted mark
        self.assertIn(tb.windows_path(archive), self.s.text(dialog))
        infos = check_archive(archive, password="s3cret word")
        self.assertEqual(sorted(i.filename for i in infos), ["DOCS/a.txt", "DOCS/b.doc", "notes.txt", "sub/deep/c.txt"])
        self.assertTrue(all(i.flag_bits & 1 and i.compress_type == 99 for i in infos))  # AES (WinZip AE)
        out = os.path.join(DATA, "x")
        subprocess.run(["7z", "x", "-y", "-ps3cret word", "-o" + out, archive], check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(out, "sub", "deep", "c.txt")) as f:
            self.assertEqual(f.read(), "charlie")
        # Without changes the close box asks nothing; the check boxes are stored.
        self.s.post(dialog, WM_CLOSE)
        self.s.driver.call("wait-gone", dialog, 20000)
        self.assertTrue(self.s.no_message_box())
        self.assertEqual(self.s.ini_value("Settings", "PassProtect"), "1")
        # The main window knows the new archive and shows it.
        pane = self.s.pane(frame)
        self.s.wait_until(lambda: any("secret.zip" in line for line in self.s.lines(pane, 1047)),
                          what="the archive in the main window")
        self.assertEqual(self.s.ini_value("Settings", "DirOpenZip"), tb.windows_path(os.path.join(DATA, "out")))

    def test_custom_archive_takes_the_pending_files_and_records_when_it_took_them(self):
        stamp = (datetime.datetime.now() - datetime.timedelta(hours=1)).strftime("%d,%m,%Y,%H,%M,%S")
        # Only the files of DOCS are due: the others are older than the last
        # archive (and than the start of change tracking, which is that time).
        two_hours_ago = time.time() - 2 * 3600
        for relative in ("notes.txt", "README", "sub/deep/c.txt"):
            os.utime(os.path.join(DRIVE, relative), (two_hours_ago, two_hours_ago))
        ini = self.settings(General=3, Drives=4, Prompts=0x01, LastArchiveTime=stamp)
        ini["Directories"] = {"Dir1": "E:\\", "Dir2": "E:\\DOCS", "Dir3": ""}
        ini["Changes"] = {"Dir1": "E:\\DOCS", "Dir2": ""}
        frame = self.start(ini=ini)
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window")
        self.s.command(frame, ID_ARCHIVE_NOW)
        pending = self.s.wait_dialog(PENDING_DIALOG)
        taking = time.time()
        self.s.click(pending, CUSTOM_ARCHIVE)
        dialog = self.wait_editor()
        rows = self.wait_rows(dialog, 2, "the pending files")
        taken = time.time()
        self.assertEqual(sorted((r[0], r[2]) for r in rows), [("a", "ADD"), ("b", "ADD")])
        self.assertEqual(self.s.driver.call("checked", dialog, AE_PENDING), "0")
        self.assertEqual(self.s.driver.call("enabled", dialog, AE_PENDING), "0")

        # Neither a cancelled name nor a failed write records anything.
        self.s.click(dialog, AE_ARCHIVE)
        save = self.s.wait_dialog("Save As")
        self.s.click(save, IDCANCEL)
        self.s.driver.call("wait-gone", save, 20000)
        self.assertEqual(self.s.ini_value("Settings", "LastArchiveTime"), stamp)
        archive = os.path.join(DATA, "out", "custom.zip")
        self.s.driver.call("press", dialog, AE_PASSWORD)
        self.s.click(dialog, AE_ARCHIVE)
        self.name_new_archive(tb.windows_path(archive))
        prompt = self.s.wait_dialog("Password")
        self.s.click(prompt, IDOK)  # an empty password: the library refuses to encrypt with it
        self.answer_box("A password is needed", IDOK)  # the library's own message
        self.answer_box("An error occured during this operation.", IDOK)
        self.s.wait_until(lambda: sorted((r[0], r[2]) for r in self.rows(dialog)) == [("a", "ADD"), ("b", "ADD")],
                          what="the rows that were not written")
        self.assertFalse(os.path.exists(archive))
        self.assertEqual(self.s.ini_value("Settings", "LastArchiveTime"), stamp)
        # The changes are still unwritten: closing asks.
        self.s.post(dialog, WM_CLOSE)
        self.answer_box("Changes were made", IDCANCEL)

        # Written a few seconds later: the time recorded is when the list was taken.
        # What is looked at is the clock itself, so the scenario lets it move on.
        self.s.wait_until(lambda: time.time() >= taken + 2.5, what="the clock to pass the list by 2.5 s")
        self.s.driver.call("press", dialog, AE_PASSWORD)
        written = time.time()
        self.archive_and_close(dialog)
        self.assertEqual([i.filename for i in check_archive(archive)], ["DOCS/a.txt", "DOCS/b.doc"])
        recorded = datetime.datetime.strptime(self.s.ini_value("Settings", "LastArchiveTime"), "%d,%m,%Y,%H,%M,%S")
        recorded = recorded.timestamp()
        self.assertGreaterEqual(recorded, taking - 1)
        self.assertLessEqual(recorded, taken + 1)
        self.assertLess(recorded, written - 1.5)

    def test_changes_are_asked_about_before_closing_and_before_opening_another_archive(self):
        archive = os.path.join(DATA, "out", "asked.zip")
        with zipfile.ZipFile(archive, "w") as z:
            z.writestr("notes.txt", "old notes")
        win_archive = tb.windows_path(archive)
        frame = self.start(win_archive, Edit=1)  # marked for editing: a ZIP with content opens in the editor
        dialog = self.wait_editor(win_archive)
        self.wait_rows(dialog, 1)
        self.add_changed_files(dialog)
        self.wait_rows(dialog, 4)

        # The close box and Escape ask; Cancel keeps the editor.
        question = "Changes were made, are you sure you wish to exit without archiving?"
        self.s.post(dialog, WM_CLOSE)
        self.answer_box(question, IDCANCEL)
        self.s.click(dialog, IDCANCEL)
        self.answer_box(question, IDCANCEL)
        self.assertTrue(self.s.window_exists("#32770", EDITOR))

        # Yes writes the changes, then the open goes on.
        self.s.click(dialog, AE_OPEN)
        self.answer_box("Save changes to this archive?", IDYES)
        opener = self.s.wait_dialog("Open")
        self.assertEqual(zip_names(archive), ["DOCS/a.txt", "DOCS/b.doc", "notes.txt", "sub/deep/c.txt"])
        self.s.click(opener, IDCANCEL)
        self.s.driver.call("wait-gone", opener, 20000)
        self.assertTrue(all(r[2] == "----- " for r in self.wait_rows(dialog, 4)))

        # No writes nothing and leaves the list as it is.
        self.write("late.txt", "late")
        self.add_changed_files(dialog, all_types=False)
        self.s.wait_until(lambda: "ADD" in [r[2] for r in self.rows(dialog)], what="the late file")
        self.s.click(dialog, AE_OPEN)
        self.answer_box("Save changes to this archive?", IDNO)
        opener = self.s.wait_dialog("Open")
        self.s.click(opener, IDCANCEL)
        self.s.driver.call("wait-gone", opener, 20000)
        self.assertIn(("late", "ADD"), [(r[0], r[2]) for r in self.rows(dialog)])
        self.assertNotIn("late.txt", zip_names(archive))

        self.s.post(dialog, WM_CLOSE)
        self.answer_box(question, IDOK)
        self.s.driver.call("wait-gone", dialog, 20000)
        self.assertNotIn("late.txt", zip_names(archive))

    def test_stored_names_with_wildcard_characters_are_extracted_and_removed_exactly(self):
        archive = os.path.join(DATA, "out", "stars.zip")
        with zipfile.ZipFile(archive, "w") as z:
            for name in ("a*.txt", "a?.txt", "ab.txt", "ac.txt"):
                z.writestr(name, name)
        win_archive = tb.windows_path(archive)
        self.start(win_archive, Edit=1)
        dialog = self.wait_editor(win_archive)
        rows = self.wait_rows(dialog, 4)
        self.assertEqual([r[0] for r in rows], ["a*", "a?", "ab", "ac"])
        # Extracting the chosen row extracts that entry only.
        self.s.select(dialog, AE_LIST, 0)
        self.s.click(dialog, AE_EXTRACT)
        extract = self.s.wait_dialog("Extract File(s)")
        self.s.driver.call("settext", extract, 1124, e_path("star"))
        self.s.click(extract, IDOK)
        self.s.driver.call("wait-gone", extract, 30000)
        extracted = os.listdir(os.path.join(DRIVE, "star"))
        self.assertEqual(len(extracted), 1, extracted)
        with open(os.path.join(DRIVE, "star", extracted[0]), "rb") as f:
            self.assertEqual(f.read(), b"a*.txt")
        # Removing it and a?.txt removes those two only.
        self.s.select(dialog, AE_LIST, 1)
        self.s.click(dialog, AE_REMOVE)
        self.s.wait_until(lambda: [r[2] for r in self.rows(dialog)] == ["REMOVE", "REMOVE", "----- ", "----- "],
                          what="two REMOVE rows")
        self.archive_and_close(dialog)
        self.assertEqual(zip_names(archive), ["ab.txt", "ac.txt"])

    def test_the_add_files_dialog_adds_chosen_or_wildcard_files_and_keeps_its_options(self):
        ini = self.settings(LocateFileDir=e_path("DOCS"))
        ini["Locate"] = {"Days": 3, "CheckIncSubs": 1, "CheckUpdate": 0, "CheckChangedSince": 0}
        frame = self.start(ini=ini)
        dialog = self.open_new_editor(frame)
        self.write("DOCS/deeper/d.txt", "delta")

        def open_locate():
            self.s.click(dialog, AE_LOCATE)
            chooser = self.s.wait_dialog("Select Files to ADD to Archive")
            panel = self.s.driver.call("parent", self.s.driver.call("descendant", chooser, 1099))
            self.s.wait_until(lambda: self.s.visible(panel), what="the options panel")
            return chooser, panel

        # Wildcards: the shown folder and its sub-folders, .txt files only.
        chooser, panel = open_locate()
        self.assertEqual(self.s.text(chooser, IDOK), "OK")
        self.assertEqual(self.s.text(panel, 1079), "3")
        self.assertEqual(self.s.driver.call("checked", panel, 1096), "1")
        self.assertEqual(self.s.driver.call("checked", panel, 1086), "0")
        self.s.screenshot("editor-add-files-dialog")
        self.s.driver.call("settext", chooser, FILE_NAME_FIELD, "*.txt")
        self.s.click(panel, 1099)
        self.s.driver.call("wait-gone", chooser, 20000)
        self.assertEqual(sorted((r[0], r[2], r[5]) for r in self.wait_rows(dialog, 2)),
                         [("a", "ADD", "E:\\DOCS"), ("d", "ADD", "E:\\DOCS\\deeper")])
        locate = self.s.read_ini()["Locate"]
        self.assertEqual(locate["WildCardsString"], "*.txt")
        self.assertEqual((locate["CheckIncSubs"], locate["Days"]), ("1", "3"))
        self.assertEqual(self.s.ini_value("Settings", "LocateFileDir"), e_path("DOCS"))

        # Chosen files: both are taken (the one already listed once).
        chooser, panel = open_locate()
        self.s.driver.call("settext", chooser, FILE_NAME_FIELD, '"a.txt" "b.doc"')
        self.s.click(chooser, IDOK)
        self.s.driver.call("wait-gone", chooser, 20000)
        self.assertEqual(sorted(r[0] for r in self.wait_rows(dialog, 3)), ["a", "b", "d"])

        # Freshening adds nothing that is not in the archive; the options are
        # stored however the dialog ends.
        chooser, panel = open_locate()
        self.s.driver.call("press", panel, 1086)
        self.s.driver.call("settext", chooser, FILE_NAME_FIELD, e_path("notes.txt"))
        self.s.click(chooser, IDOK)
        self.s.driver.call("wait-gone", chooser, 20000)
        self.s.sync(dialog)  # the command has returned with whatever it added
        self.assertEqual(len(self.rows(dialog)), 3)
        self.assertEqual(self.s.ini_value("Locate", "CheckUpdate"), "1")
        chooser, panel = open_locate()
        self.assertEqual(self.s.driver.call("checked", panel, 1086), "1")
        self.s.driver.call("press", panel, 1097)
        self.s.click(chooser, IDCANCEL)
        self.s.driver.call("wait-gone", chooser, 20000)
        self.assertEqual(self.s.ini_value("Locate", "CheckChangedSince"), "1")
        self.assertEqual(len(self.rows(dialog)), 3)

    def test_types_from_the_list_and_the_typed_text(self):
        # A type the registry describes, and a file of it.
        self.s.reg_add("HKCR\\.edt", None, "tbeditortestfile")
        self.s.reg_add("HKCR\\tbeditortestfile", None, "Editor Test File")
        self.addCleanup(self.s.reg_delete, "HKCR\\tbeditortestfile")
        self.addCleanup(self.s.reg_delete, "HKCR\\.edt")
        self.write("DOCS/e.edt", "echo")
        frame = self.start()
        dialog = self.open_new_editor(frame)
        self.s.driver.call("press", dialog, AE_CHANGED)
        self.s.driver.call("press", dialog, AE_TYPES_FROM)
        self.s.wait_until(lambda: self.s.driver.call("enabled", dialog, AE_TYPE_EDIT) == "1", what="the types")
        # A typed text in another form asks first; Yes lets the user correct it.
        self.s.driver.call("settext", dialog, AE_TYPE_EDIT, "doc")
        self.s.click(dialog, AE_ADD)
        self.answer_box("File type in edit box not entered in the correct format(.EXT;.EXT), Retry?", IDYES)
        self.assertEqual(self.rows(dialog), [])
        # Lower case is as good as upper case.
        self.s.driver.call("settext", dialog, AE_TYPE_EDIT, ".doc")
        self.s.click(dialog, AE_ADD)
        self.assertEqual([(r[0], r[1]) for r in self.wait_rows(dialog, 1)], [("b", "doc ")])
        # A type chosen in the list adds its files too.
        types = self.s.lines(dialog, AE_TYPE_LIST)
        self.assertIn("EDT\t(Editor Test File)", types)
        self.assertFalse(any("unknown" in line.lower() for line in types))
        self.s.select(dialog, AE_TYPE_LIST, types.index("EDT\t(Editor Test File)"))
        self.s.driver.call("settext", dialog, AE_TYPE_EDIT, "")
        self.s.click(dialog, AE_ADD)
        self.assertEqual(sorted((r[0], r[1]) for r in self.wait_rows(dialog, 2)), [("b", "doc "), ("e", "edt ")])

    def test_the_archive_at_the_set_time_waits_while_the_editor_is_open(self):
        # The program's clock a minute after the set time.
        self.s.set_clock(datetime.datetime(2026, 3, 10, 14, 31, 0))
        frame = self.start(General=0x01 | 0x04 | 0x08, Time="02:30:PM", Prompts=0x01)
        dialog = self.open_new_editor(frame)
        view = self.s.view(frame)
        self.s.schedule_tick(frame)  # returns once the tick is handled: the run waits
        self.assertFalse(self.s.window_exists("#32770", PENDING_DIALOG))
        self.s.post(dialog, WM_CLOSE)
        self.s.driver.call("wait-gone", dialog, 20000)
        self.s.post(view, 0x0113, 27)
        pending = self.s.wait_dialog(PENDING_DIALOG)
        self.s.click(pending, IDCANCEL)  # "Later"


if __name__ == "__main__":
    tb.main()
