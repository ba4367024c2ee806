#!/usr/bin/env python3
"""Catching up on a missed automatic archive through the real program: the
archive at the set time did not run (the program was not running, or the
machine slept), so it runs once shortly after start-up or a wake, and neither
the set hour's next tick nor another start runs it again. The program's clock
is set (TALLYBOX_CLOCK) so the set time and the day's archive name are known."""
import datetime
import os
import re
import shutil
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

WM_TIMER = 0x0113
WM_POWERBROADCAST = 0x0218
PBT_APMRESUMEAUTOMATIC = 0x12
PBT_APMRESUMESUSPEND = 0x07
SCHEDULE_TICK = 27

DATA = os.path.join(tb.BUILD, "e2e-data", "catchup")
DRIVE = os.path.join(DATA, "drive-t")
ARCHIVES = os.path.join(DATA, "archives")
TODAY = datetime.date.today()
# The program starts at 10:40 today; the archive is due at 10:30.
CLOCK = datetime.datetime.combine(TODAY, datetime.time(10, 40))
DAY_ARCHIVE = os.path.join(ARCHIVES, CLOCK.strftime("%B %d %Y.zip"))


def stamp(when):
    return when.strftime("%d,%m,%Y,%H,%M,%S")


class CatchUp(tb.ScenarioTest):
    def setUp(self):
        os.environ["TALLYBOX_CLOCK"] = CLOCK.strftime("%Y-%m-%d %H:%M:%S")
        self.addCleanup(os.environ.pop, "TALLYBOX_CLOCK", None)
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        os.makedirs(os.path.join(DRIVE, "DOCS"))
        os.makedirs(ARCHIVES)
        self.addCleanup(os.remove, tb.link_drive(self.s.prefix, "t", DRIVE))

    def write_settings(self, last_archive, catch_up=None):
        settings = {"General": 0x1 | 0x4 | 0x8, "Time": "10:30:AM", "Drives": 4, "CustomDriveList": "t",
                    "Prompts": 0x20, "FileTypes": ".TXT;", "LocationDir": tb.windows_path(ARCHIVES),
                    "LastArchiveTime": stamp(last_archive),
                    "FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 600}
        if catch_up is not None:
            settings["CatchUpMissed"] = catch_up
        # The monitor saw DOCS change before the program last ended.
        self.s.write_ini({"Settings": settings, "Changes": {"Dir1": "T:\\DOCS", "Dir2": ""},
                          "Directories": {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": ""}})

    def set_last_archive(self, value):
        """Changes "LastArchiveTime" alone in the file the program keeps open to change."""
        with open(self.s.ini_path, encoding="utf-8", newline="") as f:
            text = f.read()
        text, count = re.subn(r"(?m)^LastArchiveTime=[^\r\n]*", "LastArchiveTime=" + value, text)
        self.assertEqual(count, 1)
        with open(self.s.ini_path, "w", encoding="utf-8", newline="") as f:
            f.write(text)

    def wait_last_archive_moved(self, before):
        """The run has ended when it wrote its "LastArchiveTime"."""
        return self.s.wait_until(lambda: (lambda v: v if v and v != before else None)(
            self.s.ini_value("Settings", "LastArchiveTime")), what="the run's end")

    def write(self, name, text):
        with open(os.path.join(DRIVE, "DOCS", name), "w") as f:
            f.write(text)

    def names(self):
        try:
            with zipfile.ZipFile(DAY_ARCHIVE) as z:
                return sorted(z.namelist())
        except (OSError, zipfile.BadZipFile):
            return None

    def start(self):
        frame, pane = self.s.start_main()
        return frame, self.s.driver.call("parent", pane)  # the view: its timers drive the schedule

    def settle(self, frame, seconds=4.0):
        """Lets the program's start-up (or wake) look for a missed archive, 2 s
        after it, and any run it starts come to its end."""
        end = datetime.datetime.now() + datetime.timedelta(seconds=seconds)
        self.s.wait_until(lambda: datetime.datetime.now() >= end, what="the look for a missed archive")
        self.s.sync(frame)

    def test_a_missed_set_time_runs_once_at_start_and_not_again(self):
        missed = stamp(CLOCK - datetime.timedelta(days=2, minutes=9))
        self.write_settings(CLOCK - datetime.timedelta(days=2, minutes=9))
        self.write("report.txt", "changed while the program was not running")
        frame, view = self.start()
        self.s.wait_until(lambda: self.names(), timeout=60, what="the archive caught up")
        self.assertEqual(self.names(), ["DOCS/report.txt"])
        last = self.wait_last_archive_moved(missed)
        self.assertTrue(last.startswith(CLOCK.strftime("%d,%m,%Y,10,")), last)
        self.s.screenshot("catch-up-after-start")

        # A later change: the set hour's next tick would archive it if it ran again.
        self.write("later.txt", "after the catch-up")
        self.s.send(view, WM_TIMER, SCHEDULE_TICK)
        self.settle(frame, 1.0)
        self.assertEqual(self.s.ini_value("Settings", "LastArchiveTime"), last)
        self.assertEqual(self.names(), ["DOCS/report.txt"])

        # Nor does the next start of the program.
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        frame, _ = self.start()
        self.settle(frame)
        self.assertEqual(self.s.ini_value("Settings", "LastArchiveTime"), last)
        self.assertEqual(self.names(), ["DOCS/report.txt"])

    def test_nothing_missed_nothing_run_and_a_wake_after_a_missed_time_runs_it(self):
        # The 10:30 archive ran today: a start at 10:40 has nothing to catch up.
        ran = CLOCK - datetime.timedelta(minutes=9)
        self.write_settings(ran)
        self.write("old.txt", "archived at 10:31")
        os.utime(os.path.join(DRIVE, "DOCS", "old.txt"), (ran.timestamp() - 60, ran.timestamp() - 60))
        frame, _ = self.start()
        self.settle(frame)
        self.assertIsNone(self.names())
        self.assertEqual(self.s.ini_value("Settings", "LastArchiveTime"), stamp(ran))

        # As if the machine had slept from the day before yesterday: the last
        # archive is that old when it wakes. Both resume messages come; one run.
        slept = CLOCK - datetime.timedelta(days=2)
        self.set_last_archive(stamp(slept))
        self.write("new.txt", "changed before the sleep")
        self.s.post(frame, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC)
        self.s.post(frame, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND)
        self.s.wait_until(lambda: self.names(), timeout=60, what="the archive caught up after the wake")
        self.assertEqual(self.names(), ["DOCS/new.txt", "DOCS/old.txt"])
        last = self.wait_last_archive_moved(stamp(slept))
        self.write("later.txt", "after the catch-up")
        self.s.post(frame, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC)
        self.settle(frame)
        self.assertEqual(self.s.ini_value("Settings", "LastArchiveTime"), last)
        self.assertEqual(self.names(), ["DOCS/new.txt", "DOCS/old.txt"])

    def test_switched_off_nothing_is_caught_up(self):
        self.write_settings(CLOCK - datetime.timedelta(days=2), catch_up=0)
        self.write("report.txt", "changed while the program was not running")
        frame, _ = self.start()
        self.settle(frame)
        self.assertIsNone(self.names())


if __name__ == "__main__":
    tb.main()
