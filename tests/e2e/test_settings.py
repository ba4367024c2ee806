#!/usr/bin/env python3
"""The settings sheet "Archive Settings" through the real program: every page
stores into Vaultly.ini on OK, Cancel leaves the file alone, the time checks,
the type list editor, and the new-file-type question. Screenshots of the six
pages and of both file type dialogs are kept in build/shots/."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_SETTINGS = 32774
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
WM_CLOSE = 0x0010
DM_GETDEFID = 0x0400
PSM_SETCURSEL = 0x0465
PSM_GETCURRENTPAGEHWND = 0x0476
WS_EX_TOPMOST = 0x0008
TABS = ["Automatic", "Location", "Drives", "File Types", "Prompts", "UnZip"]
NEW_TYPE_PROGRAM = os.path.join(tb.BUILD, "tests", "tbnewtype.exe")


class SettingsSheet(tb.ScenarioTest):
    def open_sheet(self, settings):
        self.s.write_ini({"Settings": settings} if settings is not None else None)
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        self.frame = frame
        self.s.command(frame, ID_SETTINGS)
        sheet = self.s.wait_dialog("Archive Settings")
        self.s.wait_until(lambda: self.current_page(sheet), what="the first page")
        return frame, sheet

    def current_page(self, sheet):
        page = self.s.send(sheet, PSM_GETCURRENTPAGEHWND)
        return hex(page) if page else None

    def show_page(self, sheet, index, expect_message=None):
        """Switches tabs as a click on the tab does: the page left stores, and
        may say why it kept a value (expect_message: the text to answer). The
        page shown already is left alone: choosing it again would make it store."""
        current = self.current_page(sheet)
        if expect_message is None and current and self.s.text(current) == TABS[index]:
            return current
        self.s.post(sheet, PSM_SETCURSEL, index, 0)
        if expect_message is not None:
            box, text = self.s.message_box()
            self.assertEqual(text, expect_message)
            self.assertEqual(self.s.text(box), "File Archiver")
            self.answer(box, IDOK)
        return self.wait_page(sheet, index)

    def wait_page(self, sheet, index):
        """The page `index` once the sheet shows it. A switch that a message
        held up goes on only after the message is answered: until then the
        sheet still names the page being left as its current one."""
        return self.s.wait_until(
            lambda: (lambda p: p if p and self.s.text(p) == TABS[index] else None)(self.current_page(sheet)),
            what="the page " + TABS[index])

    def answer(self, box, button):
        """Clicks a button of a message box and waits until the box has gone,
        so that what the program does next has begun."""
        self.s.click(box, button)
        self.s.wait_until(lambda: self.s.message_box_gone(box), what="the message box to close")

    def close_sheet(self, sheet, button):
        self.s.click(sheet, button)
        self.sheet_closed(sheet)

    def sheet_closed(self, sheet):
        """Waits until the sheet is gone and the program has done what follows
        it (writing the settings): the frame answers a message only once the
        command that showed the sheet has returned."""
        self.s.driver.call("wait-gone", sheet, 20000)
        self.s.send(self.frame, 0)  # WM_NULL

    def shot(self, name):
        return self.s.screenshot(name)  # once the page has finished painting

    def test_ok_rebuilds_the_directory_list_for_the_chosen_drive(self):
        drive = os.path.join(tb.BUILD, "e2e-data", "settings", "drive-t")
        import shutil
        shutil.rmtree(drive, ignore_errors=True)
        os.makedirs(os.path.join(drive, "DOCS", "REPORT", "2026"))
        os.makedirs(os.path.join(drive, "MUSIC"))
        link = os.path.join(self.s.prefix, "dosdevices", "t:")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(drive, link)
        self.addCleanup(os.remove, link)
        _, sheet = self.open_sheet({"General": 1, "Time": "09:30:PM", "Drives": 4, "CustomDriveList": "t"})
        self.close_sheet(sheet, IDOK)

        def directories():
            listed = self.s.read_ini().get("Directories", {})
            values = []
            for n in range(1, 100):
                value = listed.get("Dir{}".format(n), "")
                if not value:
                    break
                values.append(value)
            return values
        listed = self.s.wait_until(lambda: directories() or None, timeout=30, what="the directory list")
        self.assertEqual(sorted(listed[1:]), ["T:\\DOCS", "T:\\DOCS\\REPORT", "T:\\MUSIC"])
        self.assertEqual(listed[0], "T:\\")

    def line_index(self, window, control, prefix):
        lines = self.s.lines(window, control)
        for i, line in enumerate(lines):
            if line.startswith(prefix):
                return i
        self.fail("no line beginning {!r} in {!r}".format(prefix, lines))

    def test_ok_stores_a_change_from_every_page(self):
        _, sheet = self.open_sheet({"General": 0, "FileTypes": ".TXT;", "ExcludeTypes": ".RTF;.TMP;",
                                    "Method": 5, "CustomStore": "kept", "Edit": 1})

        page = self.show_page(sheet, 0)
        self.s.driver.call("settext", page, 1014, "09:30:PM")
        self.s.driver.call("press", page, 1019)  # Monitor File Changes
        self.s.wait_until(lambda: self.s.driver.call("enabled", page, 1021) == "1",
                          what="Timed Archive to be enabled by monitoring")
        self.assertTrue(self.s.no_message_box())
        self.shot("settings-1-automatic")

        page = self.show_page(sheet, 1)
        self.s.driver.call("settext", page, 1007, "")
        self.s.driver.call("settext", page, 1167, "D:\\Alt Zips")
        self.shot("settings-2-location")

        page = self.show_page(sheet, 2)
        self.s.driver.call("press", page, 1007)  # Custom Disk Drive Selection
        self.s.wait_until(lambda: self.s.driver.call("enabled", page, 1012) == "1", what="the drive list")
        drives = self.s.lines(page, 1012)
        self.assertIn("C:\\ (Local Hard Disk)", drives)
        self.s.driver.call("select", page, 1012, drives.index("C:\\ (Local Hard Disk)"))
        self.s.driver.call("settext", page, 1037, "C:\\One\r\nC:\\Two")
        self.s.driver.call("press", page, 1006)  # Exclude these Directories
        self.s.wait_until(lambda: self.s.driver.call("enabled", page, 1068) == "1", what="Browse to be enabled")
        self.shot("settings-3-drives")

        page = self.show_page(sheet, 3)
        self.s.click(page, 1042)  # Edit List... of the monitored types
        editor = self.s.wait_dialog("File Types to Monitor for Automatic Archiving.")
        rtf = self.line_index(editor, 1042, "   .RTF\t")
        self.s.driver.call("select", editor, 1042, rtf)
        self.shot("file-type-list-monitored")
        self.s.click(editor, IDOK)
        self.s.driver.call("wait-gone", editor, 20000)
        self.assertEqual(self.s.lines(page, 1038), ["   .RTF\t(Rich Text Document)", "   .TXT\t(Unknown file type)"])
        self.assertEqual(self.s.lines(page, 1039), ["   .TMP\t(Unknown file type)"])
        self.shot("settings-4-file-types")

        page = self.show_page(sheet, 4)
        self.s.driver.call("press", page, 1032)  # Individual File Size Limit is Exceeded
        self.s.wait_until(lambda: self.s.driver.call("checked", page, 1032) == "1", what="the size prompt box")
        self.shot("settings-5-prompts")

        page = self.show_page(sheet, 5)
        self.s.driver.call("press", page, 1119)  # Overwrite Existing files.
        self.s.driver.call("settext", page, 1116, "C:\\Unzipped")
        self.s.wait_until(lambda: self.s.driver.call("checked", page, 1119) == "1", what="Overwrite to be selected")
        self.shot("settings-6-unzip")

        self.close_sheet(sheet, IDOK)
        settings = self.s.read_ini()["Settings"]
        # Monitoring from the first page; add-recommended because the Prompts
        # page, on opening, turned the unticked new-type prompt into that policy.
        self.assertEqual(settings["General"], str(0x001 | 0x100))
        self.assertEqual(settings["Time"], "09:30:PM")
        self.assertEqual(settings["LocationDir"], "C:\\Auto Archives")
        self.assertEqual(settings["LocationDirAlt"], "D:\\Alt Zips")
        self.assertEqual(settings["Drives"], str(0x04 | 0x08))
        self.assertEqual(settings["CustomDriveList"], "C")
        self.assertEqual(settings["ExcludeDirList"], "C:\\One;;C:\\Two")
        self.assertEqual(settings["FileTypes"], ".RTF;.TXT;")
        self.assertEqual(settings["ExcludeTypes"], ".TMP;")
        self.assertEqual(settings["Prompts"], str(0x04))
        self.assertEqual(settings["UnZipFlags"], str(0x08))
        self.assertEqual(settings["DefUnZipPath"], "C:\\Unzipped")
        # What no page edits is carried through.
        self.assertEqual((settings["Method"], settings["CustomStore"], settings["Edit"]), ("5", "kept", "1"))

    def test_catch_up_and_folding_boxes_store_their_keys(self):
        _, sheet = self.open_sheet({"General": 0x1 | 0x4 | 0x8, "Time": "09:30:PM"})
        page = self.show_page(sheet, 0)
        # On by default, and only with timed archives.
        self.assertEqual(self.s.driver.call("checked", page, 1250), "1")
        self.assertEqual(self.s.driver.call("enabled", page, 1250), "1")
        self.s.driver.call("press", page, 1021)  # Timed Archive off
        self.s.wait_until(lambda: self.s.driver.call("enabled", page, 1250) == "0", what="catch-up to be disabled")
        self.s.driver.call("press", page, 1021)
        self.s.wait_until(lambda: self.s.driver.call("enabled", page, 1250) == "1", what="catch-up to be enabled")
        self.s.driver.call("press", page, 1250)
        self.s.wait_until(lambda: self.s.driver.call("checked", page, 1250) == "0", what="the box")
        self.shot("settings-catch-up")

        page = self.show_page(sheet, 1)
        self.assertEqual(self.s.driver.call("checked", page, 1251), "0")  # off by default
        self.assertEqual(self.s.driver.call("enabled", page, 1252), "0")
        self.assertEqual(self.s.text(page, 1252), "30")
        self.s.driver.call("press", page, 1251)
        self.s.wait_until(lambda: self.s.driver.call("enabled", page, 1252) == "1", what="the days field")
        self.s.driver.call("settext", page, 1252, "0")
        self.show_page(sheet, 0, expect_message="The number of days must be a whole number from 1 to 36500."
                                                "\n\nThe previous value (30) is kept.")
        page = self.show_page(sheet, 1)
        self.s.driver.call("settext", page, 1252, "45")
        self.shot("settings-folding")
        self.close_sheet(sheet, IDOK)
        settings = self.s.read_ini()["Settings"]
        self.assertEqual(settings["CatchUpMissed"], "0")
        self.assertEqual(settings["ConsolidateArchives"], "1")
        self.assertEqual(settings["ConsolidateDays"], "45")

    def test_cancel_leaves_the_file_byte_for_byte(self):
        frame, sheet = self.open_sheet({"General": 0x1 | 0x4 | 0x8 | 0x40 | 0x200, "Time": "10:15:AM",
                                        "LocationDir": "C:\\Zips", "Drives": 1, "FileTypes": ".TXT;",
                                        "Prompts": 0x02, "UnZipFlags": 0x11})
        with open(self.s.ini_path, "rb") as f:
            before = f.read()
        page = self.show_page(sheet, 0)
        self.s.driver.call("settext", page, 1014, "11:45:PM")
        self.s.driver.call("press", page, 1019)
        page = self.show_page(sheet, 1)
        self.s.driver.call("settext", page, 1007, "C:\\Elsewhere")
        page = self.show_page(sheet, 2)
        self.s.driver.call("press", page, 1005)
        self.show_page(sheet, 3)
        page = self.show_page(sheet, 4)  # its store step alone changes General
        self.s.driver.call("press", page, 1181)
        page = self.show_page(sheet, 5)
        self.s.driver.call("press", page, 1122)
        self.close_sheet(sheet, IDCANCEL)
        with open(self.s.ini_path, "rb") as f:
            self.assertEqual(f.read(), before)

        # The next opening starts again from the live settings.
        self.s.command(frame, ID_SETTINGS)
        sheet = self.s.wait_dialog("Archive Settings")
        page = self.show_page(sheet, 1)
        self.assertEqual(self.s.text(page, 1007), "C:\\Zips")
        page = self.show_page(sheet, 0)
        self.assertEqual(self.s.text(page, 1014), "10:15:AM")
        self.assertEqual(self.s.driver.call("checked", page, 1019), "1")
        self.close_sheet(sheet, IDCANCEL)

    def test_time_checks_and_their_messages(self):
        _, sheet = self.open_sheet({"General": 0x1 | 0x4 | 0x8, "Time": ""})
        cases = [("9:30:AM", "Time field incomplete, too short."),
                 ("09:30", "Time field missing AM/PM    (HH:MM:PM)."),
                 ("09:30 PM", "Missing or missplaced\":\" in time field.")]
        for text, message in cases:
            with self.subTest(time=text):
                page = self.show_page(sheet, 0)
                self.s.driver.call("settext", page, 1014, text)
                # The message does not hold the user on the page.
                self.show_page(sheet, 1, expect_message=message)
        page = self.show_page(sheet, 0)
        self.assertEqual(self.s.text(page, 1014), "")  # the old value, kept
        self.s.driver.call("settext", page, 1014, "09:30 PM")
        self.s.post(sheet, PSM_SETCURSEL, 1, 0)
        box, _ = self.s.message_box()
        self.shot("settings-time-message")
        self.answer(box, IDOK)
        self.wait_page(sheet, 1)  # the switch goes on once the message is answered
        page = self.show_page(sheet, 0)
        self.s.driver.call("settext", page, 1014, "09:30:PM")
        self.show_page(sheet, 1)
        self.assertTrue(self.s.no_message_box())

        # A bad time at OK is reported, keeps the accepted one, and OK still closes.
        page = self.show_page(sheet, 0)
        self.s.driver.call("settext", page, 1014, "9:30")
        self.s.click(sheet, IDOK)
        box, text = self.s.message_box()
        self.assertEqual(text, "Time field incomplete, too short.")
        self.s.click(box, IDOK)
        self.sheet_closed(sheet)
        self.s.wait_until(lambda: self.s.ini_value("Settings", "Time") == "09:30:PM", what="the accepted time")

    def test_a_folder_list_too_long_to_keep_holds_the_user_on_the_drives_page(self):
        _, sheet = self.open_sheet({"Time": "09:30:PM", "Drives": 0x01 | 0x08, "ExcludeDirList": "C:\\One"})
        page = self.show_page(sheet, 2)
        folders = "\r\n".join("C:\\Some rather long folder name\\{:04}".format(i) for i in range(140))
        stored = folders.replace("\r\n", ";;")
        self.assertGreater(len(stored), 4999)
        self.s.driver.call("settext", page, 1037, folders)
        expected = ("The list of excluded folders is too long to be kept: it has {} characters, and the settings "
                    "file can hold at most 4999.\n\nPlease shorten the list. The previous list is kept.").format(
                        len(stored))
        # Another tab: the message, and the user stays on the page with the list as typed.
        self.s.post(sheet, PSM_SETCURSEL, 3, 0)
        box, text = self.s.message_box()
        self.assertEqual(text, expected)
        self.answer(box, IDOK)
        self.s.send(sheet, 0)  # WM_NULL: the tab change has been answered
        self.assertEqual(self.current_page(sheet), page)
        self.assertEqual(self.s.text(page, 1037), folders)
        self.shot("settings-drives-kept-on-page")
        # OK: the same, and the sheet stays open.
        self.s.post(sheet, 0x0111, IDOK, 0)  # WM_COMMAND
        box, text = self.s.message_box()
        self.assertEqual(text, expected)
        self.answer(box, IDOK)
        self.s.send(sheet, 0)
        self.assertTrue(self.s.visible(sheet))
        self.assertEqual(self.s.text(page, 1037), folders)
        # A list that fits goes through.
        self.s.driver.call("settext", page, 1037, "C:\\One\r\nC:\\Two")
        self.close_sheet(sheet, IDOK)
        self.assertEqual(self.s.ini_value("Settings", "ExcludeDirList"), "C:\\One;;C:\\Two")

    def test_type_list_editor_in_both_modes(self):
        _, sheet = self.open_sheet({"Time": "09:30:PM", "FileTypes": ".RTF;.ZZQ;.RT;", "ExcludeTypes": ".TMP;"})
        page = self.show_page(sheet, 3)

        self.s.click(page, 1042)
        editor = self.s.wait_dialog("File Types to Monitor for Automatic Archiving.")
        self.assertEqual(self.s.text(editor, 1045), "Edit the list of File Type(s).\n\nFile(s) of the selected Type(s) "
                                                    "will be included in automatic archives.")
        lines = self.s.lines(editor, 1042)
        # Every registered type, and the unregistered entries added bare: .RT
        # is its own entry, not the registered .RTF it begins.
        self.assertIn("   .PDF\t(PDF Document)", lines)
        self.assertIn("   .ZZQ", lines)
        self.assertIn("   .RT", lines)
        chosen = sorted(lines.index(line) for line in ("   .RTF\t(Rich Text Document)", "   .ZZQ", "   .RT"))
        self.assertEqual(self.s.driver.call("selected", editor, 1042), ",".join(map(str, chosen)))

        # A typed entry without its dot: Yes goes back to the dialog, No ignores it.
        self.s.driver.call("settext", editor, 1044, "xyz")
        self.s.click(editor, IDOK)
        box, text = self.s.message_box()
        self.assertEqual(text, "File type in edit box not entered in the correct format, Retry?")
        self.assertEqual(self.s.text(box), "Error")
        self.s.click(box, IDYES)
        self.s.wait_until(lambda: self.s.no_message_box(), what="the question to close")
        self.assertTrue(self.s.window_exists("#32770", "File Types to Monitor"))
        self.s.click(editor, IDOK)
        box, _ = self.s.message_box()
        self.s.click(box, IDNO)
        self.s.driver.call("wait-gone", editor, 20000)
        self.assertEqual(self.s.lines(page, 1038), ["   .RT\t(Unknown file type)", "   .RTF\t(Rich Text Document)",
                                                    "   .ZZQ\t(Unknown file type)"])

        self.s.click(page, 1041)
        editor = self.s.wait_dialog("File Types NOT to Archive")
        self.assertEqual(self.s.text(editor, 1045),
                         "Edit the list of File Type(s) you DO NOT want to be automatically archived.")
        self.s.driver.call("select", editor, 1042, self.line_index(editor, 1042, "   .RTF\t"))
        self.s.driver.call("settext", editor, 1044, ".abc;")
        self.shot("file-type-list-excluded")
        self.s.click(editor, IDOK)
        self.s.driver.call("wait-gone", editor, 20000)
        # .RTF moved from the monitored to the excluded types.
        self.assertEqual(self.s.lines(page, 1038), ["   .RT\t(Unknown file type)", "   .ZZQ\t(Unknown file type)"])
        self.close_sheet(sheet, IDOK)
        settings = self.s.read_ini()["Settings"]
        self.assertEqual(settings["FileTypes"], ".RT;.ZZQ;")
        self.assertEqual(settings["ExcludeTypes"], ".RTF;.TMP;.ABC;")


class NewFileTypeQuestion(tb.ScenarioTest):
    def ask(self, extension):
        return subprocess.Popen(["wine", NEW_TYPE_PROGRAM, extension], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, env=self.s.env, text=True)

    def answer_of(self, process):
        out, _ = process.communicate(timeout=60)
        return out.split()

    def test_default_button_follows_the_recommendation(self):
        for extension, line, hint_id, other_id, hint, default in [
                (".RTF", "   .RTF\t(Rich Text Document)", 1064, 1063, "Recommendation: ADD -->", 1),
                (".XYZQ", "   .XYZQ\t(Unknown file type)", 1063, 1064, "Recommendation: EXCLUDE -->", 3)]:
            with self.subTest(extension=extension):
                process = self.ask(extension)
                dialog = self.s.wait_dialog("New File Type Found !")
                self.assertEqual(self.s.text(dialog, 1057), line)
                self.assertEqual(self.s.text(dialog, hint_id), hint)
                self.assertEqual(self.s.text(dialog, other_id), "")
                self.assertEqual(self.s.send(dialog, DM_GETDEFID) & 0xFFFF, default)
                _, exstyle = self.s.driver.call("style", dialog).split()
                self.assertTrue(int(exstyle, 16) & WS_EX_TOPMOST, "system-modal dialogs stay on top")
                self.s.wait_until(lambda: self.s.driver.call("foreground") == dialog, what="the dialog in front")
                self.shot_name = "new-file-type-" + ("add" if default == 1 else "exclude")
                self.s.screenshot(self.shot_name, dialog)
                if default == 1:
                    # Do not ask again, then EXCLUDE.
                    self.s.driver.call("press", dialog, 1105)
                    self.s.wait_until(lambda: self.s.driver.call("checked", dialog, 1105) == "1", what="the box")
                    self.s.click(dialog, 3)
                    self.assertEqual(self.answer_of(process), ["3", "1"])
                else:
                    # The close box means IGNORE this time.
                    self.s.post(dialog, WM_CLOSE)
                    self.assertEqual(self.answer_of(process), ["2", "0"])


if __name__ == "__main__":
    tb.main()
