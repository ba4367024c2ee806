#!/usr/bin/env python3
"""A randomized, seeded test of the main job through the real program under
Wine: each round makes a batch of file operations on a test drive (see
model_drive), then one run of the automatic archive, by command, by the
schedule's tick, with files held locked, with changes made while it goes, or
killed while it writes the archive and the program started again. The checker
(model_checker) then tells which versions each completed run had to take and
whether the archives hold them.

    mainjob_model.py [--seed N] [--rounds N] [--desktop on|off]

prints the figures and ends with 1 when a version was missed or an archive
is wrong. Deterministic for a seed, except for what the program's timing does
(whether a run to be killed is seen writing before it ends).
"""
import argparse
import datetime
import os
import random
import shutil
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402
import model_checker  # noqa: E402
import model_drive  # noqa: E402

ID_ARCHIVE_NOW = 32772
LETTER = "m"
DATA = os.path.join(tb.BUILD, "e2e-data", "mainjob")
DRIVE = os.path.join(DATA, "drive-m")
ARCHIVES = os.path.join(DATA, "archives")
NO_DESKTOP_PREFIX = os.path.join(tb.BUILD, "wineprefix-nodesktop")
BIG_FILE = 3 * 1024 * 1024


def type_list(types):
    return "".join(t + ";" for t in sorted({t.upper() for t in types}))


def settings():
    """Silent automatic archiving: every tick of the schedule is due (every 0
    hours), no prompts, the types chosen beforehand and nothing learned."""
    return {"General": 0x01 | 0x04 | 0x10, "Interval": 0, "Drives": 4, "CustomDriveList": LETTER,
            "Prompts": 0x20, "FileTypes": type_list(model_drive.CHOSEN_TYPES),
            "ExcludeTypes": type_list(model_drive.EXCLUDED_TYPES), "ExcludeFiles": "",
            "LocationDir": tb.windows_path(ARCHIVES), "LocationDirAlt": "",
            "LastArchiveTime": datetime.datetime.now().strftime("%d,%m,%Y,%H,%M,%S"),
            "FrameLeft": 10, "FrameTop": 10, "FrameRight": 900, "FrameBottom": 600}


def directory_list():
    """The directory list as a rebuild makes it: the root, then each
    first-level folder followed by its own subfolders."""
    entries = [LETTER.upper() + ":\\"]
    for first in sorted(os.listdir(DRIVE)):
        if os.path.isdir(os.path.join(DRIVE, first)):
            entries.append(LETTER.upper() + ":\\" + first)
            for second in sorted(os.listdir(os.path.join(DRIVE, first))):
                if os.path.isdir(os.path.join(DRIVE, first, second)):
                    entries.append(LETTER.upper() + ":\\" + first + "\\" + second)
    keys = {"Dir{}".format(i + 1): e for i, e in enumerate(entries)}
    keys["Dir{}".format(len(entries) + 1)] = ""
    return keys


def windows_name(path):
    return LETTER.upper() + ":\\" + path.replace("/", "\\")


def prepare_prefix(desktop):
    """The main prefix (Wine's virtual desktop on, as the scripts set it up),
    or a copy of it without the virtual desktop."""
    if desktop:
        return tb.MAIN_PREFIX
    tb.ensure_prefix(NO_DESKTOP_PREFIX)
    env = tb.wine_env(NO_DESKTOP_PREFIX)
    subprocess.run(["wine", "reg", "delete", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/f"], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    tb.kill_prefix(NO_DESKTOP_PREFIX)
    return NO_DESKTOP_PREFIX


class MainJob:
    """The program, the drive model and the checker of one randomized run."""

    def __init__(self, session, seed, log=print):
        self.s = session
        self.rng = random.Random(seed)
        self.log = log
        self.model = model_drive.DriveModel(DRIVE, self.rng)
        self.model.make_initial_tree()
        self.checker = model_checker.Checker(ARCHIVES)
        # A second driver ends the program while the first waits for a run.
        self.killer = tb.Driver(session.env)
        self.pid = self.frame = None

    def close(self):
        self.killer.close()

    # ---- the program ------------------------------------------------------------------------
    def start(self):
        self.pid = self.s.start("/hide")
        self.frame = self.s.main_window()
        # The view exists once the frame has made its children.
        self.s.wait_until(lambda: self.s.driver.try_call("descendant", self.frame, 1047), what="the main view")
        self.s.wait_watching()

    def begin(self):
        self.s.write_ini({"Settings": settings(), "Directories": directory_list(), "Changes": {"Dir1": ""}})
        self.wait_next_second(time.time())
        self.start()

    def wait_next_second(self, moment):
        """The program keeps the last archive time in whole seconds: a change
        made in the second the run ended could not be told from one it took."""
        self.s.wait_until(lambda: time.time() >= int(moment) + 1, what="the next second")

    def last_archive_time(self):
        return self.s.ini_value("Settings", "LastArchiveTime")

    # ---- runs -------------------------------------------------------------------------------
    def run_by_command(self):
        self.s.run_command(self.frame, ID_ARCHIVE_NOW)

    def run_by_schedule(self):
        self.s.schedule_tick(self.frame)

    def run_with_changes(self, start_run, changes):
        """Starts the run and makes changes until it has ended (or `changes` are made)."""
        failure = []

        def go():
            try:
                start_run()
            except Exception as error:  # reported after the join
                failure.append(error)
        worker = threading.Thread(target=go)
        worker.start()
        made = 0
        while made < changes and worker.is_alive():
            self.model.random_op()
            made += 1
            worker.join(0.05)
        worker.join()
        if failure:
            raise failure[0]

    def run_and_kill(self, run):
        """Asks for a run and ends the program as soon as it is seen writing
        the archive; a run that ends before that counts as completed."""
        asked = time.time()
        worker = threading.Thread(target=lambda: self.s.driver.try_call("run-command", self.frame, ID_ARCHIVE_NOW))
        worker.start()

        def written_since_asked(name):
            try:
                return os.path.getmtime(os.path.join(ARCHIVES, name)) >= int(asked)
            except OSError:
                return False

        def writing():
            return any(model_checker.is_temporary(n) and written_since_asked(n) for n in os.listdir(ARCHIVES))
        # The run's end, or its temporary archive, whichever comes first.
        while worker.is_alive() and not writing():
            worker.join(0.002)
        if not worker.is_alive():
            return True
        self.killer.call("kill", self.pid)
        worker.join()
        run.killed_while_writing = True
        self.start()
        return False

    def message_boxes(self):
        found = 0
        while True:
            box = self.s.driver.try_call("msgbox")
            if not box:
                return found
            found += 1
            self.s.click(box.partition(" ")[0], 1)
            self.s.driver.call("wait-gone", box.partition(" ")[0], 20000)

    # ---- one round --------------------------------------------------------------------------
    def plan(self, number):
        """What the round's run is; every seventh round is killed."""
        if number % 7 == 3:
            return "killed"
        return self.rng.choices(["command", "schedule", "command+changes", "schedule+changes",
                                 "command+locks", "schedule+locks"], [25, 20, 12, 10, 8, 5])[0]

    def round(self, number):
        kind = self.plan(number)
        for _ in range(self.rng.randint(3, 12)):
            self.model.random_op()
        if kind == "killed":
            self.model.create_big(BIG_FILE)
        locked = []
        if kind.endswith("locks"):
            for path in self.model.lock_candidates(self.rng.randint(1, 2)):
                self.s.driver.call("lock", windows_name(path))
                locked.append(path)
            self.model.locked = set(locked)
        run = self.checker.begin(kind)
        present = self.model.present()
        self.model.touched = set()
        start_run = self.run_by_schedule if kind.startswith("schedule") else self.run_by_command
        completed = True
        if kind == "killed":
            completed = self.run_and_kill(run)
        elif kind.endswith("changes"):
            self.run_with_changes(start_run, self.rng.randint(2, 8))
        else:
            start_run()
        ended = time.time()
        touched, self.model.touched = self.model.touched, None
        if locked:
            self.s.driver.call("unlock")
            self.model.locked = set()
        if completed:
            run.boxes = self.message_boxes()
            self.checker.completed(run, present, touched, set(locked))
        self.log("round {:>3}: {:<16} {:<20} last archive time {}".format(
            number, kind, "completed" if completed else "killed while writing", self.last_archive_time()))
        self.wait_next_second(ended)
        self.s.wait_watching()

    def play(self, rounds):
        self.begin()
        for number in range(1, rounds + 1):
            self.round(number)
        # A last run by command, so that what the last round changed is due once more.
        run = self.checker.begin("final command")
        present = self.model.present()
        self.run_by_command()
        run.boxes = self.message_boxes()
        self.checker.completed(run, present, set(), set())
        return self.checker.report(self.model)


def prepare_drive(prefix):
    """A fresh test drive and archive folder. The drive is linked while no
    program of the prefix runs: Wine's mount manager, once started, does not
    see a drive linked later, and the program's directory list (built from
    the drives the system reports) would then lose it."""
    tb.kill_prefix(prefix)
    shutil.rmtree(DATA, ignore_errors=True)
    os.makedirs(DRIVE)
    os.makedirs(ARCHIVES)
    return tb.link_drive(prefix, LETTER, DRIVE)


def run(seed, rounds, desktop=True, log=print):
    """Plays `rounds` rounds and returns the checker's report."""
    prefix = prepare_prefix(desktop)
    link = prepare_drive(prefix)
    session = tb.Session(prefix)
    try:
        job = MainJob(session, seed, log)
        try:
            return job.play(rounds)
        finally:
            job.close()
    finally:
        session.close()
        os.remove(link)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=22)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--desktop", choices=["on", "off"], default="on")
    args = parser.parse_args()
    started = time.time()
    report = run(args.seed, args.rounds, args.desktop == "on")
    print(model_checker.format_report(report, limit=400))
    print("seed {}, rounds {}, virtual desktop {}, {:.0f} s".format(args.seed, args.rounds, args.desktop,
                                                                  time.time() - started))
    problems = model_checker.failures(report)
    print("FAILED: " + "; ".join(problems) if problems else "PASSED")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
