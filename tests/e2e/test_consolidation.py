#!/usr/bin/env python3
"""Folding old day archives into a month archive through the real program:
with the setting on, the program folds the day archives more than N days old
shortly after it starts; the month archive holds the newest copy of every
file (copied raw: the stored bytes are the day archive's), passes unzip -t,
and the day archives are gone, while a recent day archive and an archive not
named by date stay. The copy kept is the latest day's, even when the file's
own time is older; a day whose kept entry is damaged stays as it is and none
of its entries go into the month archive. On a small file system too full for
the month archive, the day archives stay as they were and nothing is left
beside them."""
import datetime
import os
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

DATA = os.path.join(tb.BUILD, "e2e-data", "consolidation")
ARCHIVES = os.path.join(DATA, "archives")
SMALL = os.path.join(DATA, "small")
TODAY = datetime.date.today()
# Three days of the month before last: always more than 30 days old.
OLD_MONTH = (TODAY.replace(day=1) - datetime.timedelta(days=1)).replace(day=1) - datetime.timedelta(days=1)
DAYS = [OLD_MONTH.replace(day=d) for d in (2, 3, 4)]
MONTH_NAME = OLD_MONTH.strftime("%B %Y.zip")


def day_name(day):
    return day.strftime("%B %d %Y.zip")


def make_day(folder, day, files, method=zipfile.ZIP_DEFLATED, modified=None):
    """A day archive as the program writes them: the files changed that day,
    each with that day's time (or the date `modified`)."""
    path = os.path.join(folder, day_name(day))
    when = modified or day
    with zipfile.ZipFile(path, "w", method) as z:
        for name, data in files.items():
            info = zipfile.ZipInfo(name, date_time=(when.year, when.month, when.day, 12, 0, 0))
            info.compress_type = method
            z.writestr(info, data)
    return path


def read(path):
    with open(path, "rb") as f:
        return f.read()


def data_span(path, name):
    """Where an entry's stored data lies: its offset and length."""
    with zipfile.ZipFile(path) as z:
        info = z.getinfo(name)
    with open(path, "rb") as f:
        f.seek(info.header_offset + 26)
        name_length = int.from_bytes(f.read(2), "little")
        extra_length = int.from_bytes(f.read(2), "little")
    return info.header_offset + 30 + name_length + extra_length, info.compress_size


def raw_record(path, name):
    """The stored bytes of an entry (compressed data as in the archive)."""
    offset, length = data_span(path, name)
    with open(path, "rb") as f:
        f.seek(offset)
        return f.read(length)


class Consolidation(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        os.makedirs(ARCHIVES)

    def start_folding(self, folder, known=()):
        self.s.write_ini({"Settings": {"General": 0, "LocationDir": folder, "ConsolidateArchives": 1,
                                       "ConsolidateDays": 30,
                                       "FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 600},
                          "Zips": {"Zip{}".format(i + 1): tb.windows_path(p) for i, p in enumerate(known)}})
        frame, pane = self.s.start_main()
        # A pass that ended marks the day.
        self.s.wait_until(lambda: self.s.ini_value("Settings", "ConsolidatedOn"), timeout=120,
                          what="the folding to end")
        return frame, pane

    def test_three_days_fold_into_one_month_archive_with_the_newest_copies(self):
        text = "a report, first version\n" * 200
        days = [
            make_day(ARCHIVES, DAYS[0], {"DOCS/report.txt": text, "DOCS/notes.txt": "notes"}),
            make_day(ARCHIVES, DAYS[1], {"DOCS/plan.txt": "plan " * 300, "DOCS/report.txt": text + "second\n"}),
            make_day(ARCHIVES, DAYS[2], {"DOCS/report.txt": text + "third and last\n"}),
        ]
        recent = make_day(ARCHIVES, TODAY, {"DOCS/today.txt": "today"})
        foreign = os.path.join(ARCHIVES, "Notes.zip")
        shutil.copy(days[0], foreign)
        kept = {p: read(p) for p in (recent, foreign)}
        newest = raw_record(days[2], "DOCS/report.txt")

        _, pane = self.start_folding(tb.windows_path(ARCHIVES), days + [foreign])
        month = os.path.join(ARCHIVES, MONTH_NAME)
        # The list of known archives: the month archive in place of the days
        # (read whole: a list read while it is filled again has empty lines).
        listed = self.s.wait_until(
            lambda: (lambda lines: lines if any(MONTH_NAME in line for line in lines) and all(lines) else None)(
                self.s.lines(pane, 1047)), what="the month archive in the list")
        self.assertEqual(len(listed), 2, listed)
        self.assertTrue(any("Notes.zip" in line for line in listed), listed)
        self.s.screenshot("folded-month-archive")
        self.assertEqual(sorted(os.listdir(ARCHIVES)), sorted([MONTH_NAME, day_name(TODAY), "Notes.zip"]))
        with zipfile.ZipFile(month) as z:
            self.assertEqual(sorted(z.namelist()), ["DOCS/notes.txt", "DOCS/plan.txt", "DOCS/report.txt"])
            self.assertEqual(z.read("DOCS/report.txt").decode(), text + "third and last\n")
            self.assertEqual(z.read("DOCS/notes.txt"), b"notes")
            self.assertIsNone(z.testzip())
        subprocess.run(["unzip", "-tq", month], check=True, stdout=subprocess.DEVNULL)
        # Copied raw: the month archive stores the day archive's bytes.
        self.assertEqual(raw_record(month, "DOCS/report.txt"), newest)
        for path, data in kept.items():
            self.assertEqual(read(path), data, path)
        self.assertEqual(self.s.ini_value("Settings", "ConsolidatedOn"), TODAY.strftime("%d,%m,%Y"))

    def test_the_latest_day_is_kept_and_a_day_with_a_damaged_entry_stays(self):
        text = "the budget as it was first written\n" * 100
        put_back = "the budget as it was put back from a backup\n" * 100
        days = [
            make_day(ARCHIVES, DAYS[0], {"DOCS/budget.txt": text, "DOCS/a.txt": "a"}),
            # The budget put back from a backup: its own time is a day older.
            make_day(ARCHIVES, DAYS[1], {"DOCS/budget.txt": put_back}, modified=DAYS[0] - datetime.timedelta(days=1)),
            make_day(ARCHIVES, DAYS[2], {"DOCS/plan.txt": "the plan " * 300, "DOCS/c.txt": "c"}),
        ]
        # One byte of plan.txt's data flipped: its records stay sound, its CRC fails.
        offset, length = data_span(days[2], "DOCS/plan.txt")
        damaged = bytearray(read(days[2]))
        damaged[offset + length // 2] ^= 0x55
        with open(days[2], "wb") as f:
            f.write(damaged)
        self.assertNotEqual(subprocess.run(["unzip", "-tq", days[2]], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL).returncode, 0)
        put_back_record = raw_record(days[1], "DOCS/budget.txt")

        self.start_folding(tb.windows_path(ARCHIVES), days)
        month = os.path.join(ARCHIVES, MONTH_NAME)
        self.assertEqual(sorted(os.listdir(ARCHIVES)), sorted([MONTH_NAME, day_name(DAYS[2])]))
        self.assertEqual(read(days[2]), bytes(damaged))
        subprocess.run(["unzip", "-tq", month], check=True, stdout=subprocess.DEVNULL)
        with zipfile.ZipFile(month) as z:
            self.assertEqual(sorted(z.namelist()), ["DOCS/a.txt", "DOCS/budget.txt"])
            self.assertEqual(z.read("DOCS/budget.txt").decode(), put_back)
        self.assertEqual(raw_record(month, "DOCS/budget.txt"), put_back_record)

    def test_a_full_small_file_system_leaves_the_days_as_they_were(self):
        os.makedirs(SMALL)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", SMALL],
                                 stderr=subprocess.PIPE, text=True)
        if mounted.returncode != 0:
            self.skipTest("a small file system needs mount (root): " + mounted.stderr.strip())
        self.addCleanup(subprocess.run, ["umount", "-l", SMALL], check=False)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, "v", SMALL))
        # Random data does not shrink: the three days take about 180 kB of the
        # 256 kB, and the month archive would need as much again.
        days = [make_day(SMALL, day, {"DOCS/part{}.bin".format(i): os.urandom(60000)}, zipfile.ZIP_STORED)
                for i, day in enumerate(DAYS)]
        before = {p: read(p) for p in days}
        self.start_folding("V:\\")
        self.assertEqual(sorted(os.listdir(SMALL)), sorted(os.path.basename(p) for p in days))
        for path, data in before.items():
            self.assertEqual(read(path), data, path)
            subprocess.run(["unzip", "-tq", path], check=True, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    tb.main()
