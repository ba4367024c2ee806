#!/usr/bin/env python3
"""The main job has no blind spot: files in folders made after the program
started (at any depth), renamed and moved files, new first-level trees and
files that were locked during a run all reach the dated archive through
"Archive Changed Files Now", whatever change notifications arrived."""
import datetime
import os
import shutil
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_ARCHIVE_NOW = 32772
DATA = os.path.join(tb.BUILD, "e2e-data", "blindspots")
DRIVE = os.path.join(DATA, "drive-t")
OUTSIDE = os.path.join(DATA, "outside")
ARCHIVES = os.path.join(DATA, "archives")
LETTER = "t"


def dated_name():
    return datetime.datetime.now().strftime("%B %d %Y.zip")


class NoBlindSpot(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        os.makedirs(os.path.join(DRIVE, "DOCS", "REPORT"))
        os.makedirs(OUTSIDE)
        os.makedirs(ARCHIVES)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, LETTER, DRIVE))
        settings = {"General": 3, "Drives": 4, "CustomDriveList": LETTER, "Prompts": 0x20,
                    "FileTypes": ".TXT;.DOC;", "ExcludeTypes": ".TMP;", "LocationDir": tb.windows_path(ARCHIVES),
                    "FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 600}
        directories = {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": "T:\\DOCS\\REPORT", "Dir4": ""}
        self.s.write_ini({"Settings": settings, "Directories": directories})
        self.s.start()
        self.frame = self.s.main_window()
        self.s.wait_watching()

    def write(self, relative, text, root=DRIVE):
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
        return path

    def archive(self):
        self.s.run_command(self.frame, ID_ARCHIVE_NOW)  # a silent run has ended when this returns

    def contents(self):
        with zipfile.ZipFile(os.path.join(ARCHIVES, dated_name())) as z:
            self.assertIsNone(z.testzip())
            return {name: z.read(name) for name in z.namelist()}

    def last_archive_time(self):
        day, month, year, hour, minute, second = map(int, self.s.ini_value("Settings", "LastArchiveTime").split(","))
        return datetime.datetime(year, month, day, hour, minute, second).timestamp()

    def wait_past(self, path):
        """Until the clock has left the second `path` was written in: a run's
        list taken from then on is later than the file."""
        written = int(os.path.getmtime(path))
        self.s.wait_until(lambda: time.time() >= written + 1, what="the clock to pass the file's time")

    def test_files_deep_in_folders_made_after_the_start_are_archived(self):
        # Each folder made at the moment its file is written.
        self.write(os.path.join("DOCS", "REPORT", "A", "B", "four.txt"), "four levels down")
        self.write(os.path.join("DOCS", "REPORT", "A", "B", "C", "D", "six.doc"), "six levels down")
        self.archive()
        self.assertEqual(self.contents(), {"DOCS/REPORT/A/B/four.txt": b"four levels down",
                                           "DOCS/REPORT/A/B/C/D/six.doc": b"six levels down"})

    def test_renamed_and_moved_files_are_archived_under_their_new_names(self):
        self.write(os.path.join("DOCS", "old.txt"), "renamed later")
        self.write(os.path.join("DOCS", "cv draft.txt"), "a name with blanks, then one outside ASCII")
        self.write("mover.doc", "moved later")
        draft = self.write(os.path.join("DOCS", "REPORT", "draft.tmp"), "an excluded type first")
        self.wait_past(draft)
        self.archive()
        self.assertEqual(sorted(self.contents()), ["DOCS/cv draft.txt", "DOCS/old.txt", "mover.doc"])
        last = self.last_archive_time()

        os.rename(os.path.join(DRIVE, "DOCS", "old.txt"), os.path.join(DRIVE, "DOCS", "renamed.txt"))
        os.rename(os.path.join(DRIVE, "mover.doc"), os.path.join(DRIVE, "DOCS", "REPORT", "mover.doc"))
        os.rename(draft, os.path.join(DRIVE, "DOCS", "REPORT", "draft.txt"))
        os.rename(os.path.join(DRIVE, "DOCS", "cv draft.txt"), os.path.join(DRIVE, "DOCS", "résumé final.txt"))
        # All of them keep times older than the last archive.
        for name in ["DOCS/renamed.txt", "DOCS/REPORT/mover.doc", "DOCS/REPORT/draft.txt", "DOCS/résumé final.txt"]:
            self.assertLess(os.path.getmtime(os.path.join(DRIVE, name)), last)
        self.archive()
        taken = self.contents()
        self.assertEqual(taken["DOCS/renamed.txt"], b"renamed later")
        self.assertEqual(taken["DOCS/REPORT/mover.doc"], b"moved later")
        self.assertEqual(taken["DOCS/REPORT/draft.txt"], b"an excluded type first")
        self.assertEqual(taken["DOCS/résumé final.txt"], b"a name with blanks, then one outside ASCII")

        # Once the archive holds them, nothing is taken again.
        archive = os.path.join(ARCHIVES, dated_name())
        before = (os.path.getsize(archive), os.path.getmtime(archive))
        self.archive()
        self.assertEqual((os.path.getsize(archive), os.path.getmtime(archive)), before)

    def test_a_new_first_level_tree_is_archived_whole(self):
        self.write(os.path.join("NEWTOP", "top.doc"), "top")
        self.write(os.path.join("NEWTOP", "sub", "mid.txt"), "mid")
        self.write(os.path.join("NEWTOP", "sub", "deeper", "low.txt"), "low")
        # A tree moved in from elsewhere keeps its older times.
        moved = self.write(os.path.join("TREE", "x", "y", "z.txt"), "moved in", root=OUTSIDE)
        an_hour_ago = time.time() - 3600
        os.utime(moved, (an_hour_ago, an_hour_ago))
        os.rename(os.path.join(OUTSIDE, "TREE"), os.path.join(DRIVE, "MOVEDIN"))
        self.archive()
        self.assertEqual(self.contents(), {"NEWTOP/top.doc": b"top", "NEWTOP/sub/mid.txt": b"mid",
                                           "NEWTOP/sub/deeper/low.txt": b"low", "MOVEDIN/x/y/z.txt": b"moved in"})

    def test_a_file_locked_during_runs_is_archived_once_unlocked(self):
        self.write(os.path.join("DOCS", "REPORT", "L1", "L2", "held.doc"), "held open by its program")
        self.write("free.txt", "free")
        self.s.driver.call("lock", "T:\\DOCS\\REPORT\\L1\\L2\\held.doc")
        self.archive()
        self.assertEqual(sorted(self.contents()), ["free.txt"])
        # Another run while it is still held: the last archive time moves on.
        later = self.write("later.txt", "later")
        self.wait_past(later)
        self.archive()
        self.assertEqual(sorted(self.contents()), ["free.txt", "later.txt"])
        self.s.driver.call("unlock")
        self.archive()
        self.assertEqual(self.contents()["DOCS/REPORT/L1/L2/held.doc"], b"held open by its program")


if __name__ == "__main__":
    tb.main()
