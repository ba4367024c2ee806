#!/usr/bin/env python3
"""Start-up, single instance, main frame, tray icon and placement, through the
real program under Wine."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_APP_ABOUT = 57664
ID_APP_EXIT = 57665
ID_HIDE = 32793
ID_SETTINGS = 32774
IDOK, IDYES, IDNO = 1, 6, 7
WM_TIMER = 0x0113
IDT_FRAME_RAISE = 66
WM_TB_END_PROGRAM = 0x8004
IDC_GEN_MONITOR = 1019
PSM_GETCURRENTPAGEHWND = 0x0476


class StartUp(tb.ScenarioTest):
    def test_fresh_settings_place_the_window_at_50_50_500_500(self):
        self.s.write_ini(None)
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        self.assertEqual(self.s.rect(frame), (50, 50, 500, 500))
        self.assertEqual(self.s.text(frame), " A File Archiver by Corvane ")
        self.s.screenshot("main-window-empty", frame)
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        settings = self.s.read_ini()["Settings"]
        self.assertEqual((settings["FrameLeft"], settings["FrameTop"], settings["FrameRight"],
                          settings["FrameBottom"]), ("50", "50", "500", "500"))

    def test_placement_survives_a_restart(self):
        self.s.write_ini({"Settings": {"FrameLeft": 120, "FrameTop": 80, "FrameRight": 820, "FrameBottom": 600}})
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        self.assertEqual(self.s.rect(frame), (120, 80, 820, 600))
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show again")
        self.assertEqual(self.s.rect(frame), (120, 80, 820, 600))

    def test_exit_switch_ends_right_after_creation(self):
        self.s.write_ini(None)
        code = self.s.run("/exit")
        self.assertEqual(code, 0)
        self.assertFalse(self.s.window_exists(tb.WINDOW_CLASS))
        # The frame was created and destroyed the normal way: it wrote its placement.
        self.assertEqual(self.s.ini_value("Settings", "FrameTop"), "50")

    def test_hide_switch_starts_hidden_in_the_tray(self):
        self.s.write_ini(None)
        self.s.start("-hide")
        frame = self.s.main_window()
        self.s.sync(frame)  # start-up is over once the window's thread takes messages
        self.assertFalse(self.s.visible(frame))
        self.s.post(frame, tb.TRAY_CALLBACK, 0, tb.WM_LBUTTONUP)
        self.s.wait_until(lambda: self.s.visible(frame), what="the tray click to show the window")

    def test_close_hides_and_a_tray_click_restores_on_top(self):
        self.s.write_ini(None)
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        self.s.post(frame, tb.WM_CLOSE)
        self.s.wait_until(lambda: not self.s.visible(frame), what="close to hide the window")
        self.assertTrue(self.s.window_exists(tb.WINDOW_CLASS))
        # Other mouse events on the icon do nothing.
        self.s.send(frame, tb.TRAY_CALLBACK, 0, 0x0201)  # WM_LBUTTONDOWN, handled when this returns
        self.assertFalse(self.s.visible(frame))
        self.s.post(frame, tb.TRAY_CALLBACK, 0, tb.WM_LBUTTONUP)
        self.s.wait_until(lambda: self.s.visible(frame), what="the tray click to restore the window")
        self.s.wait_until(lambda: self.s.driver.call("foreground") == frame, what="the window to come to the front")
        # The Hide command hides it again, once the raise that follows the click
        # (timer 66) is done: its timer message, sent here, also stops the timer.
        self.s.send(frame, WM_TIMER, IDT_FRAME_RAISE)
        self.s.command(frame, ID_HIDE)
        self.s.wait_until(lambda: not self.s.visible(frame), what="Hide to hide the window")

    def test_terminate_asks_its_question(self):
        self.s.write_ini(None)
        pid = self.s.start()
        frame = self.s.main_window()
        self.s.command(frame, ID_APP_EXIT)
        box, text = self.s.message_box()
        self.assertEqual(text, "File changes will not be monitored. Automatic archiving will not be done.\n\n"
                               "Terminate File Archiver? ")
        self.s.click(box, IDNO)
        self.s.driver.call("wait-gone", box, 20000)
        self.s.sync(frame)  # the command has returned: nothing follows the question
        self.assertTrue(self.s.window_exists(tb.WINDOW_CLASS))
        self.s.command(frame, ID_APP_EXIT)
        box, _ = self.s.message_box()
        self.s.click(box, IDYES)
        self.assertEqual(self.s.wait_exit(pid), 0)
        self.assertFalse(self.s.window_exists(tb.WINDOW_CLASS))

    def test_about_box(self):
        self.s.write_ini(None)
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        self.s.command(frame, ID_APP_ABOUT)
        about = self.s.wait_dialog("File Archiver by Corvane.")
        texts = self.s.driver.call("children", about)
        self.assertIn("A File Tracking and Archiving Utility.", texts)
        self.assertIn("Version " + tb.version(), texts)
        self.s.screenshot("about-box", about)
        self.s.click(about, IDOK)
        self.s.wait_until(lambda: not self.s.window_exists("#32770", "File Archiver by Corvane."),
                          what="the About box to close")


class EndRequest(tb.ScenarioTest):
    """The installer and the uninstaller end a running copy with WM_TB_END_PROGRAM."""

    def test_refused_while_a_window_is_open_then_ends_as_terminate_does(self):
        placement = {"FrameLeft": 30, "FrameTop": 40, "FrameRight": 630, "FrameBottom": 440}
        self.s.write_ini({"Settings": dict(placement)})
        pid = self.s.start("/hide")
        frame = self.s.main_window()
        self.s.command(frame, ID_APP_ABOUT)
        about = self.s.wait_dialog("File Archiver by Corvane.")
        self.assertEqual(self.s.send(frame, WM_TB_END_PROGRAM), 0)
        self.s.sync(frame)
        self.assertIsNone(self.s.driver.try_call("wait-exit", pid, 100))
        self.s.click(about, IDOK)
        self.s.wait_until(lambda: not self.s.window_exists("#32770", "File Archiver by Corvane."),
                          what="the About box to close")
        # The frame writes its placement only when it is destroyed: take the
        # keys away, so that finding them again shows the Terminate path ran.
        self.s.write_ini({"Settings": {}})
        self.assertEqual(self.s.send(frame, WM_TB_END_PROGRAM), 1)
        self.assertEqual(self.s.wait_exit(pid), 0)
        self.assertIsNone(self.s.driver.try_call("msgbox"))  # no question was asked
        settings = self.s.read_ini()["Settings"]
        self.assertEqual({key: int(settings[key]) for key in placement}, placement)


class FirstStart(tb.ScenarioTest):
    def hint_colours(self, files):
        # The top of the file list, without its scroll bar: where the hint is.
        return self.s.distinct_colors(files, right_inset=30, height=100)

    def test_the_empty_list_says_that_automatic_archiving_is_off_until_it_is_turned_on(self):
        # A settings file as a first start leaves it (monitoring off), with a
        # time the settings sheet accepts and a drive list that watches nothing.
        self.s.write_ini({"Settings": {"Time": "09:30:PM", "Drives": 4, "CustomDriveList": "q",
                                       "FrameLeft": 20, "FrameTop": 20, "FrameRight": 720, "FrameBottom": 520}})
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        files = self.s.driver.call("descendant", frame, 1048)
        self.s.wait_until(lambda: self.hint_colours(files) > 1, what="the hint in the empty file list")
        self.assertTrue(self.s.text(files).startswith("Automatic archiving is off."))
        for step in ("Monitor File Changes", "Archive at Windows Shut Down", "Drives page", "File Types page",
                     "Location page"):
            self.assertIn(step, self.s.text(files))
        self.s.screenshot("first-start-hint", frame)

        self.s.command(frame, ID_SETTINGS)
        sheet = self.s.wait_dialog("Archive Settings")
        page = self.s.wait_until(lambda: self.s.send(sheet, PSM_GETCURRENTPAGEHWND), what="the first page")
        self.s.driver.call("press", hex(page), IDC_GEN_MONITOR)
        self.s.wait_until(lambda: self.s.driver.call("checked", hex(page), IDC_GEN_MONITOR) == "1",
                          what="Monitor File Changes to be ticked")
        self.s.click(sheet, IDOK)
        self.s.driver.call("wait-gone", sheet, 20000)
        self.s.sync(frame)  # the command that showed the sheet has returned
        self.assertEqual(int(self.s.ini_value("Settings", "General")) & 0x01, 0x01)
        # The list the sheet covered is painted again, with what happens now
        # that no archive is known yet.
        self.s.wait_until(lambda: self.s.text(files).startswith("No archive yet."), what="the hint to change")
        self.assertGreater(self.hint_colours(files), 1)
        self.s.terminate(frame)


class SecondStart(tb.ScenarioTest):
    def test_second_start_restores_or_hides_the_first(self):
        self.s.write_ini(None)
        first = self.s.start("/hide")
        frame = self.s.main_window()
        self.s.sync(frame)  # start-up is over
        self.assertFalse(self.s.visible(frame))
        # A second start without arguments shows the running copy and ends.
        self.assertEqual(self.s.run(), 0)
        self.s.wait_until(lambda: self.s.visible(frame), what="the second start to show the first")
        # With hide it hides the running copy.
        self.assertEqual(self.s.run("/hide"), 0)
        self.s.wait_until(lambda: not self.s.visible(frame), what="the second start to hide the first")
        # A switch spelled with a capital letter is ignored: the window is shown.
        self.assertEqual(self.s.run("/Hide"), 0)
        self.s.wait_until(lambda: self.s.visible(frame), what="/Hide to be ignored")
        self.assertEqual(self.s.driver.call("find", tb.WINDOW_CLASS, "*"), frame)
        self.assertIsNone(self.s.driver.try_call("wait-exit", first, 100))

    def test_a_second_start_hands_over_an_archive_to_show(self):
        data = os.path.join(tb.BUILD, "e2e-data", "startup")
        os.makedirs(data, exist_ok=True)
        archive = os.path.join(data, "handed over.zip")
        import zipfile
        with zipfile.ZipFile(archive, "w") as z:
            z.writestr("inside.txt", "hello")
        self.s.write_ini(None)
        self.s.start("/hide")
        frame = self.s.main_window()
        second = self.s.start(tb.windows_path(archive))
        self.assertEqual(self.s.wait_exit(second), 0)
        self.s.wait_until(lambda: self.s.visible(frame), what="the second start to show the first")
        pane = self.s.pane(frame)
        lines = self.s.settled_lines(pane, 1048)
        self.assertEqual([line.split("\t")[1] for line in lines], ["inside"])
        self.assertEqual(self.s.lines(pane, 1047), ["\thanded over.zip\t" + tb.windows_path(data)])
        self.assertTrue(self.s.text(frame).endswith("[" + tb.windows_path(archive) + "]"))

    def test_odd_and_overlong_names_never_crash_either_copy(self):
        self.s.write_ini(None)
        first = self.s.start("/hide")
        frame = self.s.main_window()
        for name in ['"C:\\quoted name\\a.zip"', "C:\\" + "x" * 300 + ".zip", "C:\\résumé\\日本.zip"]:
            second = self.s.start(name)
            # A missing file goes to the archive editor, named after it; the
            # second copy waits for the first to take the name, so close it.
            editor = self.s.wait_dialog("Edit/Create Archive/Zip")
            # Upper-cased as handed over (and a long name cut to fit the atom).
            handed = "".join(c.upper() if c.isascii() else c for c in name.strip('"'))
            self.assertIn(handed[:60], self.s.text(editor))
            self.s.post(editor, 0x0010)  # WM_CLOSE
            self.s.driver.call("wait-gone", editor, 20000)
            self.assertEqual(self.s.wait_exit(second), 0)
        self.assertIsNone(self.s.driver.try_call("wait-exit", first, 100))
        self.assertEqual(self.s.driver.call("find", tb.WINDOW_CLASS, "*"), frame)


if __name__ == "__main__":
    tb.main()
