#!/usr/bin/env python3
"""Extracting files through the real program's Extract File(s) dialog, from
archives on a test drive: selected entries renamed by numbering, entries with
wildcard characters in their names, and an archive 7-Zip encrypted with AES,
with the right and with a wrong password."""
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_EXTRACT = 32782
ID_EXTRACT_TOOLBAR = 32795
IDOK = 1
FILES = 1048
EX_DESTINATION, EX_ALL, EX_SELECTED = 1124, 1129, 1130
PW_TEXT = 1157

DATA = os.path.join(tb.BUILD, "e2e-data", "extract")
DRIVE = os.path.join(DATA, "drive-w")
LETTER = "w"
EXTRACT_TITLE = "Extract File(s)"


def make_zip(relative, entries):
    path = os.path.join(DRIVE, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(zipfile.ZipInfo(name, date_time=(2024, 5, 6, 7, 8, 0)), data)
    return path


def listing(relative):
    folder = os.path.join(DRIVE, relative)
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def read(relative):
    with open(os.path.join(DRIVE, relative), "rb") as f:
        return f.read()


class ExtractScenario(tb.ScenarioTest):
    """A fresh test drive W: for each scenario."""

    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, LETTER, DRIVE))

    def open_dialog(self, frame, command=ID_EXTRACT):
        self.s.command(frame, command)
        return self.s.wait_dialog(EXTRACT_TITLE)

    def extract(self, dialog):
        self.s.click(dialog, IDOK)
        self.s.driver.call("wait-gone", dialog, 30000)


class Extract(ExtractScenario):
    def settings(self, archive, **keys):
        settings = {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 640}
        settings.update(keys)
        return {"Settings": settings, "Zips": {"Zip1": "W:\\" + archive.replace("/", "\\")}}

    def test_selected_entries_are_numbered_in_a_folder_that_holds_them(self):
        make_zip("arch/docs.zip", [("report.doc", b"report from the top"), ("old/report.doc", b"report from old"),
                                   ("readme.txt", b"not chosen")])
        os.makedirs(os.path.join(DRIVE, "out"))
        with open(os.path.join(DRIVE, "out", "report.doc"), "wb") as f:
            f.write(b"my own report")
        # Last folder and rename by numbering; folder names are not used.
        self.s.write_ini(self.settings("arch/docs.zip", UnZipFlags=0x002 | 0x020, LastUnZipPath="W:\\out"))
        frame, pane = self.s.start_main()
        lines = self.s.list_archive(pane, 0)
        chosen = [i for i, line in enumerate(lines) if line.startswith("\treport\t")]
        self.assertEqual(len(chosen), 2)
        self.s.select_lines(pane, FILES, chosen)
        dialog = self.open_dialog(frame)
        self.assertEqual(self.s.text(dialog, EX_DESTINATION), "W:\\out")
        self.assertEqual(self.s.driver.call("checked", dialog, EX_SELECTED), "1")
        self.assertEqual(self.s.driver.call("enabled", dialog, EX_SELECTED), "1")
        self.s.screenshot("extract-dialog")
        self.extract(dialog)
        self.assertTrue(self.s.no_message_box())
        self.assertEqual(listing("out"), ["report.001.doc", "report.002.doc", "report.doc"])
        self.assertEqual(read("out/report.doc"), b"my own report")
        self.assertEqual(sorted([read("out/report.001.doc"), read("out/report.002.doc")]),
                         [b"report from old", b"report from the top"])
        self.assertEqual(self.s.ini_value("Settings", "LastUnZipPath"), "W:\\out")

        # Once more from the toolbar: the next free numbers, and no question.
        self.s.select_lines(pane, FILES, chosen)
        dialog = self.open_dialog(frame, ID_EXTRACT_TOOLBAR)
        self.extract(dialog)
        self.assertTrue(self.s.no_message_box())
        self.assertEqual(listing("out"), ["report.001.doc", "report.002.doc", "report.003.doc", "report.004.doc",
                                          "report.doc"])

    def test_an_entry_named_with_wildcard_characters_extracts_only_itself(self):
        make_zip("arch/names.zip", [("data1.txt", b"one"), ("data2.txt", b"two"), ("data*.txt", b"star"),
                                    ("data?.txt", b"question")])
        self.s.write_ini(self.settings("arch/names.zip", UnZipFlags=0x008))
        frame, pane = self.s.start_main()
        lines = self.s.list_archive(pane, 0)
        star = [i for i, line in enumerate(lines) if line.startswith("\tdata*\t")]
        self.assertEqual(len(star), 1)
        self.s.select_lines(pane, FILES, star)
        dialog = self.open_dialog(frame)
        self.s.driver.call("settext", dialog, EX_DESTINATION, "W:\\star")
        self.extract(dialog)
        self.assertTrue(self.s.no_message_box())
        extracted = listing("star")
        self.assertEqual(len(extracted), 1, extracted)
        self.assertEqual(read("star/" + extracted[0]), b"star")

    def test_an_entry_that_would_leave_the_folder_is_told_and_skipped(self):
        make_zip("arch/slip.zip", [("good.txt", b"good"), ("../../evil.txt", b"evil"), ("sub/fine.txt", b"fine")])
        self.s.write_ini(self.settings("arch/slip.zip", UnZipFlags=0x080, LastUnZipPath="W:\\out\\deep"))
        frame, pane = self.s.start_main()
        self.s.list_archive(pane, 0)
        dialog = self.open_dialog(frame)
        self.s.driver.call("settext", dialog, EX_DESTINATION, "W:\\out\\deep")
        self.s.click(dialog, IDOK)
        box, text = self.s.message_box(timeout=30)
        self.assertIn("evil.txt", text)  # the library names the entry
        self.s.click(box, IDOK)
        self.s.driver.call("wait-gone", dialog, 30000)
        self.assertEqual(listing("out/deep"), ["good.txt", "sub"])
        self.assertEqual(read("out/deep/sub/fine.txt"), b"fine")
        self.assertFalse(os.path.exists(os.path.join(DRIVE, "evil.txt")))
        self.assertFalse(os.path.exists(os.path.join(DRIVE, "out", "evil.txt")))
        self.assertFalse(os.path.exists(os.path.join(DATA, "evil.txt")))


class ExtractProtected(ExtractScenario):
    """An archive 7-Zip wrote with AES-256: nine protected entries."""

    def setUp(self):
        super().setUp()
        source = os.path.join(DATA, "secret-src")
        os.makedirs(source)
        self.contents = {}
        for i in range(9):
            name = "secret{}.txt".format(i)
            self.contents[name] = ("line {}\n".format(i) * (200 + 50 * i)).encode()
            with open(os.path.join(source, name), "wb") as f:
                f.write(self.contents[name])
        os.makedirs(os.path.join(DRIVE, "arch"))
        subprocess.run(["7z", "a", "-tzip", "-mem=AES256", "-pright", os.path.join(DRIVE, "arch", "aes.zip")]
                       + sorted(self.contents), cwd=source, check=True, stdout=subprocess.DEVNULL)
        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 640,
                                       "UnZipFlags": 0x002, "LastUnZipPath": "W:\\out"},
                          "Zips": {"Zip1": "W:\\arch\\aes.zip"}})

    def answer_password(self, password):
        box = self.s.wait_dialog("Password")
        self.s.driver.call("settext", box, PW_TEXT, password)
        return box

    def test_the_right_password_extracts_every_entry(self):
        frame, pane = self.s.start_main()
        lines = self.s.list_archive(pane, 0)
        self.assertTrue(all("txt+ " in line for line in lines))  # the list marks them protected
        dialog = self.open_dialog(frame)
        # Nothing selected: all files, and "Selected Files" cannot be chosen.
        self.assertEqual(self.s.driver.call("checked", dialog, EX_ALL), "1")
        self.assertEqual(self.s.driver.call("enabled", dialog, EX_SELECTED), "0")
        self.s.click(dialog, IDOK)
        box = self.answer_password("right")
        self.s.screenshot("extract-password")
        self.s.click(box, IDOK)
        self.s.driver.call("wait-gone", dialog, 30000)
        self.assertTrue(self.s.no_message_box())
        self.assertEqual(listing("out"), sorted(self.contents))
        for name, data in self.contents.items():
            self.assertEqual(read("out/" + name), data)

    def test_a_wrong_password_leaves_nothing_and_is_told_once(self):
        frame, pane = self.s.start_main()
        self.s.list_archive(pane, 0)
        self.s.select_lines(pane, FILES, [-1])  # all nine: two batches
        dialog = self.open_dialog(frame)
        self.s.driver.call("settext", dialog, EX_DESTINATION, "W:\\failed")
        self.s.click(dialog, IDOK)
        box = self.answer_password("wrong")
        self.s.click(box, IDOK)
        message, text = self.s.message_box(timeout=30)
        self.assertTrue(text.startswith("The password is not correct. These files were not extracted:\n"), text)
        self.s.screenshot("extract-wrong-password")
        self.s.click(message, IDOK)
        self.s.driver.call("wait-gone", dialog, 30000)
        self.assertTrue(self.s.no_message_box())
        self.assertEqual(listing("failed"), [])
        # A failed extraction does not become the next last folder.
        self.assertEqual(self.s.ini_value("Settings", "LastUnZipPath"), "W:\\out")


if __name__ == "__main__":
    tb.main()
