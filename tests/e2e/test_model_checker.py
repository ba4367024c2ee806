#!/usr/bin/env python3
"""The checker of the randomized main job test, on archives made here with
Python's zipfile (no Wine): which versions a run had to take, archived, late
or missed, and what else it finds wrong in the archive folder."""
import os
import random
import shutil
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import model_checker  # noqa: E402
import model_drive  # noqa: E402


class Checker(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)
        self.drive = os.path.join(self.folder, "drive")
        self.archives = os.path.join(self.folder, "archives")
        os.makedirs(os.path.join(self.drive, "a", "b"))
        os.makedirs(self.archives)
        self.model = model_drive.DriveModel(self.drive, random.Random(1))
        self.model.folders += ["a", "a/b"]
        self.checker = model_checker.Checker(self.archives)

    def write(self, folder, types=(".txt",)):
        return self.model.write_new(folder, list(types), "create", size=100)

    def archive(self, *versions, name="May 01 2031.zip", utf8_flag=True):
        """The day's archive holding these versions (read from the drive)."""
        with zipfile.ZipFile(os.path.join(self.archives, name), "a") as z:
            for version in versions:
                with open(self.model.real(version.path), "rb") as f:
                    data = f.read()
                z.writestr(version.path, data)
        if not utf8_flag:
            self.clear_utf8_flags(os.path.join(self.archives, name))

    @staticmethod
    def clear_utf8_flags(path):
        """The names stay UTF-8 bytes, but nothing says so any more: as a
        writer that takes its names from a UTF-8 code page would store them."""
        with open(path, "rb") as f:
            data = bytearray(f.read())
        # Bit 11 of the flags: in the high byte, after the signature and one
        # version field (local header) or two (central directory).
        for signature, flags_at in ((b"PK\x03\x04", 7), (b"PK\x01\x02", 9)):
            at = data.find(signature)
            while at >= 0:
                data[at + flags_at] &= ~0x08
                at = data.find(signature, at + 4)
        with open(path, "wb") as f:
            f.write(data)
        with zipfile.ZipFile(path) as z:
            assert not any(info.flag_bits & 0x800 for info in z.infolist())

    def completed(self, touched=(), locked=()):
        run = self.checker.begin("command")
        self.checker.completed(run, self.model.present(), set(touched), set(locked))
        return run

    def verdict(self, version):
        """The checker's verdict on a version, None when no run had to take it."""
        found = [verdict for v, _, verdict in self.checker.verdicts() if v is version]
        return found[0] if found else None

    def test_archived_late_and_missed_versions_by_the_first_run_that_had_to_take_them(self):
        on_time, late, never = self.write(""), self.write("a"), self.write("a/b")
        unwatched = self.write("a", [".tmp"])
        self.archive(on_time)
        first = self.completed()
        self.archive(late)
        self.completed()
        self.assertEqual(first.required, [on_time, late, never])
        self.assertEqual((self.verdict(on_time), self.verdict(late), self.verdict(never)),
                         ("archived", "late", "missed"))
        self.assertIsNone(self.verdict(unwatched))
        report = self.checker.report(self.model)
        self.assertEqual(report["total"]["missed"], 1)
        self.assertEqual(report["by_depth"][2]["missed"], 1)
        self.assertEqual(model_checker.failures(report), ["1 versions missed"])

    def test_touched_or_locked_during_a_run_is_due_at_the_next(self):
        touched, locked = self.write(""), self.write("a")
        first = self.completed(touched=[touched.path], locked=[locked.path])
        second = self.completed()
        self.assertEqual(first.required, [])
        self.assertEqual(second.required, [touched, locked])

    def test_a_later_version_does_not_stand_for_an_earlier_one(self):
        version = self.write("")
        with open(self.model.real(version.path), "ab") as f:
            f.write(b"more")
        self.model._record(version.path, "append")
        self.archive(self.model.files[version.path])
        run = self.completed()
        self.assertEqual(len(run.required), 1)
        self.assertEqual(self.verdict(version), None)  # never present at a run's start
        self.assertEqual(self.verdict(run.required[0]), "archived")

    def test_names_without_the_utf8_flag_are_read_as_utf8(self):
        version = self.model.write_new("a", [".doc"], "create", size=10)
        os.rename(self.model.real(version.path), self.model.real("a/日本 résumé.doc"))
        del self.model.files[version.path]
        version = self.model._record("a/日本 résumé.doc", "rename")
        self.archive(version, utf8_flag=False)
        self.completed()
        self.assertEqual(self.verdict(version), "archived")

    def test_wrong_content_unwatched_types_corrupt_archives_and_leftovers_are_reported(self):
        kept, excluded = self.write(""), self.write("", [".log"])
        self.archive(kept, excluded)
        with zipfile.ZipFile(os.path.join(self.archives, "May 02 2031.zip"), "w") as z:
            z.writestr(kept.path, b"content the model never wrote")
        with open(os.path.join(self.archives, "May 03 2031.zip"), "wb") as f:
            f.write(b"PK\x03\x04 not an archive")
        open(os.path.join(self.archives, "May 01 2031.zip.tbz0~"), "wb").close()
        zipfile.ZipFile(os.path.join(self.archives, "May 04 2031.zip"), "w").close()
        self.completed()
        report = self.checker.report(self.model)
        self.assertEqual(report["unwatched"], [("May 01 2031.zip", excluded.path)])
        self.assertEqual([p for p, _, _ in report["wrong"]], [kept.path])
        self.assertEqual(report["corrupt"], ["May 03 2031.zip"])
        self.assertEqual(report["empty"], ["May 04 2031.zip"])
        self.assertEqual(report["temporary"], ["May 01 2031.zip.tbz0~"])
        self.assertEqual(len(model_checker.failures(report)), 4)


if __name__ == "__main__":
    unittest.main(verbosity=2)
