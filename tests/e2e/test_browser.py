#!/usr/bin/env python3
"""The main window: the known-archive list and the contents pane, through the
real program under Wine."""
import glob
import os
import shutil
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_EDIT_ARCHIVE = 32781
ID_EXTRACT = 32782
ID_OPEN_SELECTED = 32794
ID_SORT_BY_NAME = 32784
ID_SORT_BY_DATE = 32785
ID_REMOVE = 32800
HDR_ARC_NAME, HDR_FILE_NAME, HDR_FILE_EXT, HDR_FILE_DATE, HDR_FILE_SIZE = 1106, 1076, 1145, 1109, 1103
ARCHIVES, FILES = 1047, 1048
IDOK = 1
LB_SETSEL = 0x0185

DATA = os.path.join(tb.BUILD, "e2e-data", "browser")


def make_archive(name, entries, when=(2021, 3, 4, 10, 20, 0)):
    path = os.path.join(DATA, name)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for entry_name, data in entries:
            info = zipfile.ZipInfo(entry_name, date_time=when)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    return path


class Browser(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        os.makedirs(DATA)
        self.one = make_archive("one.zip", [("readme.txt", "first archive\n"),
                                            ("docs/report.doc", "r" * 5000),
                                            ("images/logo.bmp", os.urandom(20000)),
                                            ("tools/pack.tar.gz", "gz" * 700),
                                            ("docs/", ""),
                                            ("noext", "abc")], when=(2003, 6, 15, 10, 0, 0))
        self.two = make_archive("two.zip", [("readme.txt", "second archive\n")], when=(1999, 12, 31, 23, 59, 0))
        self.three = make_archive("three.zip", [("a.txt", "a")])
        for path, year in [(self.one, 2010), (self.two, 2000), (self.three, 2020)]:
            stamp = time.mktime((year, 1, 1, 12, 0, 0, 0, 0, -1))
            os.utime(path, (stamp, stamp))
        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1010, "FrameBottom": 650},
                          "Zips": {"Zip1": tb.windows_path(self.one), "Zip2": tb.windows_path(self.two),
                                   "Zip3": tb.windows_path(self.three)}})

    def start(self):
        return self.s.start_main()

    def select_archive(self, pane, index):
        return self.s.list_archive(pane, index)

    def test_stored_archives_show_in_reverse_order_and_survive_a_restart(self):
        frame, pane = self.start()
        names = [line.split("\t")[1] for line in self.s.lines(pane, ARCHIVES)]
        self.assertEqual(names, ["three.zip", "two.zip", "one.zip"])
        folder = self.s.lines(pane, ARCHIVES)[0].split("\t")[2]
        self.assertEqual(folder, tb.windows_path(DATA))
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        zips = self.s.read_ini()["Zips"]
        self.assertEqual(zips["Zip1"], tb.windows_path(self.three))
        self.assertEqual(zips["Zip3"], tb.windows_path(self.one))
        self.assertEqual(zips["Zip4"], "")

    def test_a_selected_archive_lists_its_entries_sorted_by_name(self):
        frame, pane = self.start()
        lines = self.select_archive(pane, 2)  # one.zip
        self.assertEqual(lines, [
            "\t    \t    \t06-15-03 10:00\t0\t2\tdocs",
            "\tlogo\tbmp \t06-15-03 10:00\t20K\t" + lines[1].split("\t")[5] + "\timages",
            "\tnoext\t\t06-15-03 10:00\t3\t5\t",
            "\tpack.tar\tgz \t06-15-03 10:00\t1K\t" + lines[3].split("\t")[5] + "\ttools",
            "\treadme\ttxt \t06-15-03 10:00\t14\t" + lines[4].split("\t")[5] + "\t",
            "\treport\tdoc \t06-15-03 10:00\t5K\t" + lines[5].split("\t")[5] + "\tdocs",
        ])
        self.assertTrue(self.s.text(frame).endswith("[" + tb.windows_path(self.one) + "]"))
        self.s.screenshot("main-window-archive", frame)

    def test_a_large_archive_lists_every_entry_in_archive_order(self):
        # Over 300 entries an archive is shown as it is read, in the archive's
        # order: names with and without extensions, folders, dot files, sizes
        # on either side of the K and M steps, dates over many hours.
        shapes = ["dir{0:02d}/file{1:04d}.txt", "dir{0:02d}/noext{1:04d}", ".hidden{1:04d}",
                  "tools/pack{1:04d}.tar.gz", "dir{0:02d}/sub{1:04d}/", "Name With Blanks {1:04d}.DOC"]
        sizes = [0, 1, 1000, 1001, 1500, 20000]
        path = os.path.join(DATA, "large.zip")
        with zipfile.ZipFile(path, "w") as z:
            for i in range(1200):
                name = shapes[i % len(shapes)].format(i % 7, i)
                when = (2024, 1 + i % 12, 1 + i % 28, i % 24, (7 * i) % 60, 0)
                info = zipfile.ZipInfo(name, date_time=when)
                info.compress_type = zipfile.ZIP_STORED if i % 2 else zipfile.ZIP_DEFLATED
                size = 0 if name.endswith("/") else (10000001 if i == 601 else sizes[i % len(sizes)])
                z.writestr(info, os.urandom(size) if i % 5 == 0 else b"z" * size)
        with zipfile.ZipFile(path) as z:
            infos = z.infolist()

        def size_text(value):
            if value > 10000000:
                return "{}M".format(value // 1000000)
            return "{}K".format(value // 1000) if value > 1000 else str(value)

        expected = []
        for info in infos:
            full = info.filename.replace("/", "\\")
            folder, _, name = full.rpartition("\\")
            base, dot, extension = name.rpartition(".")
            if not dot:
                base, extension = name, ""
            else:
                extension += " "
            if not base:
                base = extension = "    "
            y, mo, d, h, mi, _ = info.date_time
            date = "{:02d}-{:02d}-{:02d} {:02d}:{:02d}".format(mo, d, y % 100, h, mi)
            expected.append("\t".join(["", base, extension, date, size_text(info.file_size),
                                       size_text(info.compress_size), folder]))

        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1010, "FrameBottom": 650},
                          "Zips": {"Zip1": tb.windows_path(path)}})
        frame, pane = self.start()
        lines = self.select_archive(pane, 0)
        self.assertEqual(len(lines), 1200)
        for i, (line, wanted) in enumerate(zip(lines, expected)):
            self.assertEqual(line, wanted, "line {}".format(i))
        self.s.screenshot("main-window-large-archive", frame)

    def test_header_clicks_sort_the_file_list(self):
        frame, pane = self.start()
        self.select_archive(pane, 2)
        names = lambda: [line.split("\t")[1] for line in self.s.lines(pane, FILES)]  # noqa: E731
        self.s.click(pane, HDR_FILE_NAME)  # Name was sorted ascending at listing; now descending
        self.s.wait_until(lambda: names()[0] == "report", what="Name descending")
        self.s.click(pane, HDR_FILE_SIZE)  # Size starts descending: largest first
        self.s.wait_until(lambda: names()[0] == "logo", what="Size descending")
        self.s.click(pane, HDR_FILE_SIZE)
        self.s.wait_until(lambda: names()[0] == "    ", what="Size ascending")
        self.s.click(pane, HDR_FILE_EXT)  # Ext ascending: keys "", "", bmp, doc, tar.gz, txt
        self.s.wait_until(lambda: names()[-1] == "readme", what="Ext ascending")
        self.assertEqual(names()[-2], "pack.tar")

    def test_archive_list_sorts(self):
        frame, pane = self.start()
        names = lambda: [line.split("\t")[1] for line in self.s.lines(pane, ARCHIVES)]  # noqa: E731
        self.s.command(frame, ID_SORT_BY_NAME)
        self.s.wait_until(lambda: names() == ["one.zip", "three.zip", "two.zip"], what="by name")
        self.s.click(pane, HDR_ARC_NAME)
        self.s.wait_until(lambda: names() == ["two.zip", "three.zip", "one.zip"], what="by name again")
        self.s.command(frame, ID_SORT_BY_DATE)
        self.s.wait_until(lambda: names() == ["three.zip", "one.zip", "two.zip"], what="by date, newest first")
        self.s.command(frame, ID_SORT_BY_DATE)
        self.s.wait_until(lambda: names() == ["two.zip", "one.zip", "three.zip"], what="by date, oldest first")

    def test_remove_from_list_leaves_the_file(self):
        frame, pane = self.start()
        self.s.run_command(frame, ID_REMOVE)  # nothing selected: nothing happens
        self.assertEqual(len(self.s.lines(pane, ARCHIVES)), 3)
        self.select_archive(pane, 1)
        self.s.command(frame, ID_REMOVE)
        self.s.wait_until(lambda: len(self.s.lines(pane, ARCHIVES)) == 2, what="the line to go")
        self.assertTrue(os.path.exists(self.two))
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        zips = self.s.read_ini()["Zips"]
        self.assertEqual([zips["Zip1"], zips["Zip2"], zips["Zip3"]],
                         [tb.windows_path(self.three), tb.windows_path(self.one), ""])

    def test_dragging_the_divider_and_a_column_edge(self):
        frame, pane = self.start()
        name_header = self.s.driver.call("descendant", pane, HDR_FILE_NAME)
        name_width = lambda: self.s.rect(name_header)[2] - self.s.rect(name_header)[0]  # noqa: E731
        name_left = self.s.rect(name_header)[0]
        # The divider at x = DivPoint (250), between the two lists, moves to 350
        # (a real drag: the lists moving under the pointer send moves of their own).
        self.s.driver.call("drag", pane, 251, 100, 350, 100)
        self.s.wait_until(lambda: self.s.rect(name_header)[0] == name_left + 100, what="the divider to move")
        # The right edge of the Name column's header (at DivPoint + FileExt = 350 + 110) moves to 500.
        self.s.driver.call("drag", pane, 459, 8, 500, 8)
        self.s.wait_until(lambda: name_width() != 110, what="the column edge to move")
        self.assertEqual(name_width(), 150)
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")
        settings = self.s.read_ini()["Settings"]
        self.assertEqual(settings["DivPoint"], "350")
        self.assertEqual(settings["FileExt"], "150")

    def test_missing_selections_are_explained(self):
        frame, pane = self.start()
        for command, text in [(ID_EDIT_ARCHIVE, "You must select an archive before you can edit."),
                              (ID_EXTRACT, "You must select an Archive(Zip) before you can extract files."),
                              (ID_OPEN_SELECTED, "You must select a file before you can open it.")]:
            self.s.command(frame, command)
            box, shown = self.s.message_box()
            self.assertEqual(shown, text)
            self.s.click(box, IDOK)
            self.s.wait_until(lambda: self.s.no_message_box(), what="the message to close")

    def test_opening_an_entry_opens_the_chosen_one_not_a_stale_namesake(self):
        # Wine's fresh prefix knows the class txtfile but not the extension; the
        # registration is taken back afterwards, as other scenarios expect none.
        self.s.reg_add("HKEY_CLASSES_ROOT\\.txt", None, "txtfile")
        self.addCleanup(self.s.reg_delete, "HKEY_CLASSES_ROOT\\.txt")
        frame, pane = self.start()
        temp_roots = glob.glob(os.path.join(self.s.prefix, "drive_c", "users", "*", "Temp")) + \
            glob.glob(os.path.join(self.s.prefix, "drive_c", "users", "*", "AppData", "Local", "Temp"))
        self.assertTrue(temp_roots)

        def opened_files():
            found = []
            for root in temp_roots:
                found += glob.glob(os.path.join(root, "Tallybox", "*", "readme.txt"))
            return found

        for index, expected in [(2, "first archive\n"), (1, "second archive\n")]:
            before = set(opened_files())
            lines = self.select_archive(pane, index)
            readme = [i for i, line in enumerate(lines) if line.startswith("\treadme\t")][0]
            self.s.send(self.s.driver.call("descendant", frame, FILES), LB_SETSEL, 1, readme)
            self.s.command(frame, ID_OPEN_SELECTED)
            new = self.s.wait_until(lambda: set(opened_files()) - before, what="the entry to be extracted")
            self.assertEqual(len(new), 1)
            with open(new.pop()) as f:
                self.assertEqual(f.read(), expected)
            self.s.wait_until(lambda: self.s.window_exists("*", "readme"), what="the entry to open")
            self.assertTrue(self.s.no_message_box())

    def test_opened_copies_are_removed_when_the_program_ends_and_when_it_starts(self):
        self.s.reg_add("HKEY_CLASSES_ROOT\\.txt", None, "txtfile")
        self.addCleanup(self.s.reg_delete, "HKEY_CLASSES_ROOT\\.txt")
        temp_roots = [root for root in
                      glob.glob(os.path.join(self.s.prefix, "drive_c", "users", "*", "Temp")) +
                      glob.glob(os.path.join(self.s.prefix, "drive_c", "users", "*", "AppData", "Local", "Temp"))
                      if os.path.isdir(root)]
        self.assertTrue(temp_roots)
        # What an earlier session left: it was ended before it could clean up.
        left = []
        for root in temp_roots:
            folder = os.path.join(root, "Tallybox", "0000BEEF")
            os.makedirs(folder, exist_ok=True)
            left.append(os.path.join(folder, "secret.txt"))
            with open(left[-1], "w") as f:
                f.write("plaintext of a protected entry")
        frame, pane = self.start()
        for path in left:
            self.assertFalse(os.path.exists(path))

        lines = self.select_archive(pane, 2)
        readme = [i for i, line in enumerate(lines) if line.startswith("\treadme\t")][0]
        self.s.send(self.s.driver.call("descendant", frame, FILES), LB_SETSEL, 1, readme)
        self.s.command(frame, ID_OPEN_SELECTED)
        copies = lambda: [p for root in temp_roots  # noqa: E731
                          for p in glob.glob(os.path.join(root, "Tallybox", "*", "readme.txt"))]
        opened = self.s.wait_until(copies, what="the entry to be extracted")
        self.s.wait_until(lambda: self.s.window_exists("*", "readme"), what="the entry to open")
        self.s.terminate(frame)
        self.assertEqual(self.s.wait_exit(self.s.pids[-1]), 0)
        for path in opened:
            self.assertFalse(os.path.exists(path))
        for root in temp_roots:
            self.assertFalse(os.path.exists(os.path.join(root, "Tallybox")))


if __name__ == "__main__":
    tb.main()
