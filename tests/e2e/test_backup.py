#!/usr/bin/env python3
"""Backing up archives through the real program's Backup Archive(s) dialog:
into a folder that already holds one of them, and onto a small file system
too full for the new copy, which must leave the old backup intact."""
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_BACKUP = 32778
IDOK, IDCANCEL, IDYES = 1, 2, 6
BK_LIST, BK_LOCATION, BK_OVERWRITE = 1170, 1124, 1172

DATA = os.path.join(tb.BUILD, "e2e-data", "backup")
DRIVE = os.path.join(DATA, "drive-w")
SMALL = os.path.join(DATA, "small")
TITLE = "Backup Archive(s)"
FIXED_DISK_WARNING = ("The location you have selected to \"Backup To\" is a local, non-removable disk drive. \n"
                      "Backing up archives to a local disk drive will not protect the data in your archive if "
                      "your local disk drive or computer fails.\n\n"
                      "You should use a removable disk drive like a Floppy or Zip drive, or a network drive.")
DONE = "Creating backup copies of the following Archives was done successfully.\n"


def make_zip(path, size):
    """An archive of about `size` bytes (random data, stored)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        z.writestr("data.bin", os.urandom(size))
    return path


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Backup(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, "w", DRIVE))
        self.alpha = make_zip(os.path.join(DRIVE, "arch", "Alpha.zip"), 200000)
        self.beta = make_zip(os.path.join(DRIVE, "arch", "Beta.zip"), 30000)
        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1000, "FrameBottom": 640},
                          "Zips": {"Zip1": "W:\\arch\\Alpha.zip", "Zip2": "W:\\arch\\Beta.zip"}})

    def open_dialog(self, frame, location):
        self.s.command(frame, ID_BACKUP)
        dialog = self.s.wait_dialog(TITLE)
        # The list shows the known archives in the main list's order (the last stored first).
        self.assertEqual(self.s.lines(dialog, BK_LIST), ["Beta.zip\tW:\\arch", "Alpha.zip\tW:\\arch"])
        self.s.driver.call("settext", dialog, BK_LOCATION, location)
        return dialog

    def answer(self, expected, button):
        box, text = self.s.message_box()
        self.assertEqual(text, expected)
        self.s.click(box, button)
        self.s.driver.call("wait-gone", box, 10000)

    def test_two_archives_into_a_folder_that_holds_one(self):
        old = os.path.join(DRIVE, "backup", "Alpha.zip")
        make_zip(old, 1000)
        frame, _ = self.s.start_main()
        dialog = self.open_dialog(frame, "W:\\backup")
        self.s.select_lines(dialog, BK_LIST, [0, 1])
        self.s.screenshot("backup-dialog")
        self.s.click(dialog, IDOK)
        self.answer(FIXED_DISK_WARNING, IDOK)  # W: is a fixed disk under Wine
        box, text = self.s.message_box()
        self.assertEqual(text, "File Exists on Backup location:  W:\\backup\\Alpha.zip \n\nOverwrite?")
        self.s.screenshot("backup-overwrite-question")
        self.s.click(box, IDYES)
        self.s.driver.call("wait-gone", box, 10000)
        self.answer(DONE + "\nBeta.zip\nAlpha.zip", IDOK)
        self.assertEqual(read(old), read(self.alpha))
        self.assertEqual(read(os.path.join(DRIVE, "backup", "Beta.zip")), read(self.beta))
        self.assertEqual(sorted(os.listdir(os.path.join(DRIVE, "backup"))), ["Alpha.zip", "Beta.zip"])
        subprocess.run(["unzip", "-tq", old], check=True, stdout=subprocess.DEVNULL)
        # The dialog stays for another backup; Done keeps the folder.
        self.assertTrue(self.s.visible(dialog))
        self.s.click(dialog, IDCANCEL)
        self.s.driver.call("wait-gone", dialog, 10000)
        self.assertEqual(self.s.ini_value("Settings", "BackupLocation"), "W:\\backup")

    def test_a_backup_onto_a_full_small_file_system_leaves_the_old_backup_intact(self):
        # A run that was killed may have left its small file system mounted.
        subprocess.run(["umount", "-l", SMALL], stderr=subprocess.DEVNULL, check=False)
        os.makedirs(SMALL, exist_ok=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=192k", "tmpfs", SMALL],
                                 stderr=subprocess.PIPE, text=True)
        if mounted.returncode != 0:
            self.skipTest("a small file system needs mount (root): " + mounted.stderr.strip())
        self.addCleanup(subprocess.run, ["umount", "-l", SMALL], check=False)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, "v", SMALL))
        old = make_zip(os.path.join(SMALL, "Alpha.zip"), 60000)
        old_bytes = read(old)
        frame, _ = self.s.start_main()
        dialog = self.open_dialog(frame, "V:\\")
        self.s.select_lines(dialog, BK_LIST, [1])  # Alpha.zip, 200 kB: no room beside the old copy
        self.s.driver.call("press", dialog, BK_OVERWRITE)
        self.s.wait_until(lambda: self.s.driver.call("checked", dialog, BK_OVERWRITE) == "1", what="the box")
        self.s.click(dialog, IDOK)
        self.answer(FIXED_DISK_WARNING, IDOK)
        self.answer("Unable to copy archive: Alpha.zip Continue?", IDYES)
        self.answer("No backup copies of Archives were created.", IDOK)
        self.assertEqual(os.listdir(SMALL), ["Alpha.zip"])  # no part of the new copy is left
        self.assertEqual(read(old), old_bytes)
        subprocess.run(["unzip", "-tq", old], check=True, stdout=subprocess.DEVNULL)
        self.s.click(dialog, IDCANCEL)
        self.s.driver.call("wait-gone", dialog, 10000)


if __name__ == "__main__":
    tb.main()
