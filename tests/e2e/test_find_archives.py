#!/usr/bin/env python3
"""Finding archives on a test drive through the real program's Update list of
Archives (Zips) dialog: Clear List and Add, then Add New to List."""
import os
import shutil
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_FIND_ARCHIVES = 32789
IDOK = 1
ARCHIVES = 1047
FA_DRIVES, FA_ADD_NEW, FA_CLEAR_AND_ADD = 1012, 1141, 1142

DATA = os.path.join(tb.BUILD, "e2e-data", "find")
DRIVE = os.path.join(DATA, "drive-w")
ELSEWHERE = os.path.join(DATA, "elsewhere")
LETTER = "w"
TITLE = "Update list of Archives (Zips)."


def make_zip(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w") as z:
        z.writestr("inside.txt", "x")
    return path


class FindArchives(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        make_zip(os.path.join(DRIVE, "a", "one.zip"))
        make_zip(os.path.join(DRIVE, "b", "c", "two.ZIP"))
        with open(os.path.join(DRIVE, "a", "notes.txt"), "w") as f:
            f.write("not an archive")
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, LETTER, DRIVE))
        self.known = make_zip(os.path.join(ELSEWHERE, "known.zip"))
        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 640,
                                       "CustomDriveList": LETTER},
                          "Zips": {"Zip1": tb.windows_path(self.known)}})

    def archive_paths(self, pane):
        return sorted(line.split("\t")[2] + "\\" + line.split("\t")[1] for line in self.s.lines(pane, ARCHIVES))

    def search(self, frame, add_new=False, screenshot=None):
        self.s.command(frame, ID_FIND_ARCHIVES)
        dialog = self.s.wait_dialog(TITLE)
        drives = self.s.lines(dialog, FA_DRIVES)
        chosen = [drives[int(i)] for i in self.s.driver.call("selected", dialog, FA_DRIVES).split(",") if i]
        self.assertEqual(chosen, ["W:\\ (Local Hard Disk)"])
        if add_new:
            self.s.driver.call("press", dialog, FA_ADD_NEW)
            self.s.wait_until(lambda: self.s.driver.call("checked", dialog, FA_ADD_NEW) == "1", what="Add New")
        if screenshot:
            self.s.screenshot(screenshot)
        self.s.click(dialog, IDOK)
        self.s.driver.call("wait-gone", dialog, 60000)

    def test_clear_and_add_then_add_new(self):
        frame, pane = self.s.start_main()
        self.assertEqual(self.archive_paths(pane), [tb.windows_path(self.known)])
        self.search(frame, screenshot="find-archives-dialog")
        # The list was emptied first: only what the drive holds.
        self.s.wait_until(lambda: self.archive_paths(pane) == ["W:\\a\\one.zip", "W:\\b\\c\\two.ZIP"],
                          what="the archives of the drive")
        self.assertEqual(self.s.ini_value("Settings", "ClearNew"), "1")

        # A new archive; Add New to List keeps the list and adds only what is new.
        make_zip(os.path.join(DRIVE, "d", "three.zip"))
        self.search(frame, add_new=True)
        self.s.wait_until(lambda: self.archive_paths(pane) == ["W:\\a\\one.zip", "W:\\b\\c\\two.ZIP",
                                                               "W:\\d\\three.zip"],
                          what="the new archive added once")
        self.assertEqual(self.s.ini_value("Settings", "ClearNew"), "0")

        # The found archives are kept when the program ends.
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        zips = self.s.read_ini()["Zips"]
        self.assertEqual(sorted(zips[k] for k in ("Zip1", "Zip2", "Zip3")),
                         ["W:\\a\\one.zip", "W:\\b\\c\\two.ZIP", "W:\\d\\three.zip"])
        self.assertEqual(zips["Zip4"], "")


if __name__ == "__main__":
    tb.main()
