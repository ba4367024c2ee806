#!/usr/bin/env python3
"""The two packages as users get them (scripts/package.sh makes them): the
portable ZIP, and the installer run silently and by hand, for all users and for
one user who is not an administrator, with its uninstaller. Each installer
scenario runs in a Wine prefix of its own, copied from the build's prefix.
Screenshots of the installer's and the uninstaller's pages are kept in
build/shots/."""
import datetime
import os
import shutil
import struct
import subprocess
import sys
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

VERSION = tb.version()
PACKAGES = os.path.join(tb.BUILD, "packages")
SETUP = os.path.join(PACKAGES, "Tallybox-{}-setup.exe".format(VERSION))
PORTABLE = os.path.join(PACKAGES, "Tallybox-{}-portable.zip".format(VERSION))
WORK = os.path.join(tb.BUILD, "e2e-data", "package")

def help_files():
    """The help as the sources hold it: pages, and pictures in a folder of their own."""
    root = os.path.join(tb.ROOT, "res", "help")
    return [os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
            for folder, _, names in os.walk(root) for name in names if name.endswith((".html", ".png"))]


def tree(folder):
    """Every file below a folder, by its path relative to it (with /)."""
    return sorted(os.path.relpath(os.path.join(where, name), folder).replace(os.sep, "/")
                  for where, _, names in os.walk(folder) for name in names)


SHIPPED = sorted(["DUNZIP32.dll", "DZIP32.dll", "Tallybox.exe", "adfactry.dll", "tb.bmp", "tbsfx.exe"] + help_files())
# The whole program folder: program, DLLs, extractor, help and picture. The
# program still carries its own copy of the ZIP core for folding (with the
# check of every copied entry); reaching the merge through DUNZIP32.dll will
# take that out again.
FOLDER_LIMIT = 2150000

UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tallybox"
RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
ID_APP_EXIT, ID_ARCHIVE_NOW, ID_APP_ABOUT = 57665, 32772, 57664
IDOK, IDRETRY, IDYES = 1, 4, 6
SETUP_TITLE = "Tallybox {} Setup".format(VERSION)
UNINSTALL_TITLE = "Remove Tallybox {}".format(VERSION)


def shortcut(path):
    """(target, arguments) of a shell link (.lnk) file, read as Windows reads it."""
    with open(path, "rb") as f:
        data = f.read()
    assert struct.unpack_from("<I", data, 0)[0] == 0x4C, path
    flags = struct.unpack_from("<I", data, 20)[0]
    pos = 0x4C
    if flags & 0x01:  # a target ID list
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x02:  # link info: the local path
        size, _, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, pos)
        if info_flags & 0x01:
            def text(at):
                return data[at:data.index(b"\0", at)].decode("latin-1")
            target = text(pos + base) + text(pos + suffix)
        pos += size
    strings = {}
    wide = flags & 0x80
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "folder"), (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            length = count * 2 if wide else count
            strings[name] = data[pos:pos + length].decode("utf-16-le" if wide else "latin-1").rstrip("\0")
            pos += length
    return target, strings.get("arguments", "")


def fresh_prefix(name):
    """A new copy of the build's Wine prefix, to install into."""
    prefix = os.path.join(tb.BUILD, name)
    if os.path.exists(prefix):
        tb.kill_prefix(prefix)
        shutil.rmtree(prefix)
    tb.ensure_prefix(prefix)
    return prefix


def remove_prefix(prefix):
    tb.kill_prefix(prefix)
    shutil.rmtree(prefix, ignore_errors=True)


class PackageScenario(unittest.TestCase):
    """A session in its own prefix and the paths of a Windows installation in it."""
    prefix_name = None

    @classmethod
    def setUpClass(cls):
        for package in (SETUP, PORTABLE):
            if not os.path.exists(package):
                raise AssertionError(package + " is missing: run scripts/package.sh first")
        cls.prefix = fresh_prefix(cls.prefix_name)
        cls.drive_c = os.path.join(cls.prefix, "drive_c")
        users = [u for u in os.listdir(os.path.join(cls.drive_c, "users")) if u != "Public"]
        cls.profile = os.path.join(cls.drive_c, "users", users[0])

    @classmethod
    def tearDownClass(cls):
        remove_prefix(cls.prefix)

    def setUp(self):
        self.s = tb.Session(self.prefix)
        self.addCleanup(self.s.close)
        # The build's prefix may hold the picture that the program's own
        # self-extractor dialog copies there; setup is to be seen putting it there.
        picture = os.path.join(self.drive_c, "windows", "tb.bmp")
        if os.path.exists(picture):
            os.remove(picture)

    # ---- where things are ------------------------------------------------------------
    def unix(self, windows_path):
        """The file of the prefix that a C:\\ path names."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    def all_users_folder(self):
        return os.path.join(self.drive_c, "Program Files", "Tallybox")

    def all_users_menu(self):
        return os.path.join(self.drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", "Tallybox")

    def user_folder(self):
        return os.path.join(self.profile, "AppData", "Local", "Programs", "Tallybox")

    def user_menu(self):
        return os.path.join(self.profile, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                            "Tallybox")

    def reg_value(self, root, key, name):
        """A value of the prefix's registry, or None."""
        out = subprocess.run(["wine", "reg", "query", root + "\\" + key, "/v", name], env=self.s.env,
                             capture_output=True, text=True, errors="replace").stdout
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[0] == name and parts[1].startswith("REG_"):
                return parts[2]
        return None

    # ---- doing things ----------------------------------------------------------------
    def install(self, *switches, plain_user=False):
        pid = self.s.exec(" ".join(['"' + tb.windows_path(SETUP) + '"'] + list(switches)), plain_user=plain_user)
        return self.s.wait_exit(pid, 120000)

    def uninstall(self, folder, root, plain_user=False):
        """Runs the uninstaller silently and waits until it is done: it copies itself
        away and returns at once, so wait for its own file and then its entry in the
        list of installed programs (in HKLM or HKCU, `root`), the last thing it removes."""
        uninstaller = os.path.join(folder, "Uninstall.exe")
        windows = "C:\\" + os.path.relpath(uninstaller, self.drive_c).replace("/", "\\")
        self.assertEqual(self.s.wait_exit(self.s.exec('"{}" /S'.format(windows), plain_user=plain_user), 60000), 0)
        self.s.wait_until(lambda: not os.path.exists(uninstaller), timeout=90, what="the uninstaller to finish")
        self.s.wait_until(lambda: self.reg_value(root, UNINSTALL_KEY, "DisplayName") is None, timeout=30,
                          what="the uninstaller's last step")

    def start_from_shortcut(self, menu):
        target, arguments = shortcut(os.path.join(menu, "Tallybox.lnk"))
        self.assertTrue(os.path.isfile(self.unix(target)), target)
        return target, self.s.exec('"{}" {}'.format(target, arguments).strip())

    def forget_placement(self):
        settings = self.s.read_ini()
        for key in ("FrameLeft", "FrameTop", "FrameRight", "FrameBottom"):
            settings.setdefault("Settings", {}).pop(key, None)
        self.s.write_ini(settings)

    def ended_the_terminate_way(self):
        """The frame writes its placement only when it is destroyed; a kill writes nothing."""
        return all(self.s.ini_value("Settings", key) for key in ("FrameLeft", "FrameTop", "FrameRight", "FrameBottom"))


class PortableZip(unittest.TestCase):
    def test_the_zip_is_sound_small_and_holds_the_program_folder(self):
        result = subprocess.run(["unzip", "-t", PORTABLE], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("No errors detected", result.stdout)
        with zipfile.ZipFile(PORTABLE) as z:
            files = [i for i in z.infolist() if not i.is_dir()]
            self.assertEqual(sorted(i.filename for i in files), ["Tallybox/" + name for name in SHIPPED])
            total = sum(i.file_size for i in files)
        self.assertLess(total, FOLDER_LIMIT, "the program folder holds {} bytes".format(total))

    def test_the_program_runs_from_the_unpacked_folder(self):
        folder = os.path.join(WORK, "stick")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        subprocess.run(["unzip", "-q", PORTABLE, "-d", folder], check=True)
        s = tb.Session()
        self.addCleanup(s.close)
        s.write_ini(None)
        program = tb.windows_path(os.path.join(folder, "Tallybox", "Tallybox.exe"))
        pid = s.exec('"{}"'.format(program))
        frame = s.main_window()
        s.wait_until(lambda: s.visible(frame), what="the program from the unpacked folder")
        self.assertEqual(s.text(frame), " A File Archiver by Corvane ")
        s.terminate(frame)
        self.assertEqual(s.wait_exit(pid), 0)


class SetupForAllUsers(PackageScenario):
    """An administrator runs setup silently: the whole life of an installation."""
    prefix_name = "wineprefix-setup-all"

    def test_install_use_start_with_windows_and_uninstall(self):
        self.s.write_ini(None)
        self.assertEqual(self.install("/S"), 0)

        # Installed: the files, the picture in the Windows folder, the Start
        # menu, the start with Windows and the entry of installed programs.
        folder = self.all_users_folder()
        self.assertEqual(tree(folder), sorted(SHIPPED + ["Uninstall.exe"]))
        for name in SHIPPED:
            with open(os.path.join(folder, name), "rb") as a, open(os.path.join(tb.DIST, name), "rb") as b:
                self.assertEqual(a.read(), b.read(), name)
        self.assertTrue(os.path.isfile(os.path.join(self.drive_c, "windows", "tb.bmp")))
        menu = self.all_users_menu()
        self.assertEqual(sorted(os.listdir(menu)), ["Tallybox Help.lnk", "Tallybox.lnk", "Uninstall Tallybox.lnk"])
        program = "C:\\Program Files\\Tallybox\\Tallybox.exe"
        self.assertEqual(shortcut(os.path.join(menu, "Tallybox.lnk")), (program, ""))
        self.assertEqual(shortcut(os.path.join(menu, "Tallybox Help.lnk")),
                         ("C:\\Program Files\\Tallybox\\hlpindex.html", ""))
        self.assertEqual(shortcut(os.path.join(menu, "Uninstall Tallybox.lnk"))[0],
                         "C:\\Program Files\\Tallybox\\Uninstall.exe")
        run_entry = self.reg_value("HKLM", RUN_KEY, "Tallybox")
        self.assertEqual(run_entry, '"{}" /hide'.format(program))
        self.assertEqual(self.reg_value("HKLM", UNINSTALL_KEY, "DisplayVersion"), VERSION)
        self.assertEqual(self.reg_value("HKLM", UNINSTALL_KEY, "InstallLocation"), "C:\\Program Files\\Tallybox")
        self.assertEqual(self.reg_value("HKLM", UNINSTALL_KEY, "QuietUninstallString"),
                         '"C:\\Program Files\\Tallybox\\Uninstall.exe" /S')
        self.assertIsNone(self.reg_value("HKCU", RUN_KEY, "Tallybox"))

        # The program from its Start menu entry: an archive run of a test
        # drive into the default location.
        drive = os.path.join(WORK, "drive-t")
        shutil.rmtree(drive, ignore_errors=True)
        os.makedirs(os.path.join(drive, "DOCS"))
        link = os.path.join(self.prefix, "dosdevices", "t:")
        os.symlink(drive, link)
        self.addCleanup(os.remove, link)
        # The default location does not exist yet: the first run makes it.
        archives = os.path.join(self.drive_c, "Auto Archives")
        shutil.rmtree(archives, ignore_errors=True)
        self.s.write_ini({"Settings": {"General": 3, "Drives": 4, "CustomDriveList": "t", "Prompts": 0x20,
                                       "FileTypes": ".TXT;.DOC;", "LocationDir": "C:\\Auto Archives",
                                       "Time": "09:30:PM"},
                          "Directories": {"Dir1": "T:\\", "Dir2": "T:\\DOCS", "Dir3": ""}})
        target, pid = self.start_from_shortcut(menu)
        self.assertEqual(target, program)
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the installed program's window")
        self.s.wait_watching()
        with open(os.path.join(drive, "DOCS", "report.doc"), "w") as f:
            f.write("changed today")
        with open(os.path.join(drive, "notes.txt"), "w") as f:
            f.write("also changed")
        self.s.command(frame, ID_ARCHIVE_NOW)
        archive = os.path.join(archives, datetime.datetime.now().strftime("%B %d %Y.zip"))
        self.s.wait_until(lambda: self.s.ini_value("Settings", "LastArchiveTime"), timeout=60,
                          what="the archive run to finish")
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(sorted(z.namelist()), ["DOCS/report.doc", "notes.txt"])
            self.assertIsNone(z.testzip())

        # Setup run again over the running program (an update): it ends the
        # program the way Terminate does, and starts it again, hidden.
        self.forget_placement()
        self.assertEqual(self.install("/S"), 0)
        self.assertEqual(self.s.wait_exit(pid), 0)
        self.assertTrue(self.ended_the_terminate_way())
        frame = self.s.main_window()
        self.s.sync(frame)  # start-up is over once the window's thread takes messages
        self.assertFalse(self.s.visible(frame))
        self.s.terminate(frame)
        self.s.wait_until(lambda: not self.s.window_exists(tb.WINDOW_CLASS), what="the program to end")

        # The Run entry starts it hidden, in the notification area.
        pid = self.s.exec(run_entry)
        frame = self.s.main_window()
        self.s.sync(frame)
        self.assertFalse(self.s.visible(frame))

        # The silent uninstaller ends it the way Terminate does, removes what
        # setup installed and keeps the settings file and the archives.
        self.forget_placement()
        self.uninstall(folder, "HKLM")
        self.assertEqual(self.s.wait_exit(pid), 0)
        self.assertFalse(self.s.window_exists(tb.WINDOW_CLASS))
        self.assertTrue(self.ended_the_terminate_way())
        self.assertFalse(os.path.exists(folder))
        self.assertFalse(os.path.exists(menu))
        self.assertFalse(os.path.exists(os.path.join(self.drive_c, "windows", "tb.bmp")))
        self.assertIsNone(self.reg_value("HKLM", RUN_KEY, "Tallybox"))
        self.assertIsNone(self.reg_value("HKLM", UNINSTALL_KEY, "DisplayName"))
        self.assertEqual(self.s.ini_value("Settings", "LocationDir"), "C:\\Auto Archives")
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(sorted(z.namelist()), ["DOCS/report.doc", "notes.txt"])


class SetupForOneUser(PackageScenario):
    """A user who is not an administrator installs for themselves alone."""
    prefix_name = "wineprefix-setup-user"

    def test_a_plain_user_installs_into_their_own_folders(self):
        self.s.write_ini(None)
        self.assertEqual(self.install("/S", plain_user=True), 0)
        folder = self.user_folder()
        self.assertEqual(tree(folder), sorted(SHIPPED + ["Uninstall.exe"]))
        self.assertFalse(os.path.exists(self.all_users_folder()))
        self.assertFalse(os.path.exists(self.all_users_menu()))
        self.assertFalse(os.path.exists(os.path.join(self.drive_c, "windows", "tb.bmp")))
        menu = self.user_menu()
        self.assertEqual(sorted(os.listdir(menu)), ["Tallybox Help.lnk", "Tallybox.lnk", "Uninstall Tallybox.lnk"])
        program = "C:\\" + os.path.relpath(os.path.join(folder, "Tallybox.exe"), self.drive_c).replace("/", "\\")
        self.assertEqual(self.reg_value("HKCU", RUN_KEY, "Tallybox"), '"{}" /hide'.format(program))
        self.assertEqual(self.reg_value("HKCU", UNINSTALL_KEY, "DisplayVersion"), VERSION)
        self.assertIsNone(self.reg_value("HKLM", RUN_KEY, "Tallybox"))
        self.assertIsNone(self.reg_value("HKLM", UNINSTALL_KEY, "DisplayName"))

        target, pid = self.start_from_shortcut(menu)
        self.assertEqual(target, program)
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the program installed for one user")

        self.uninstall(folder, "HKCU", plain_user=True)
        self.assertEqual(self.s.wait_exit(pid), 0)
        self.assertTrue(self.ended_the_terminate_way())
        self.assertFalse(os.path.exists(folder))
        self.assertFalse(os.path.exists(menu))
        self.assertIsNone(self.reg_value("HKCU", RUN_KEY, "Tallybox"))
        self.assertIsNone(self.reg_value("HKCU", UNINSTALL_KEY, "DisplayName"))
        self.assertTrue(os.path.exists(self.s.ini_path))

    def test_no_autostart_leaves_the_run_entry_out(self):
        self.assertEqual(self.install("/S", "/CurrentUser", "/NoAutostart"), 0)
        self.assertTrue(os.path.isfile(os.path.join(self.user_folder(), "Tallybox.exe")))
        self.assertIsNone(self.reg_value("HKCU", RUN_KEY, "Tallybox"))
        self.assertIsNone(self.reg_value("HKLM", RUN_KEY, "Tallybox"))
        self.uninstall(self.user_folder(), "HKCU")
        self.assertFalse(os.path.exists(self.user_folder()))


class SetupByHand(PackageScenario):
    """Setup and the uninstaller driven page by page, as a user clicks through them."""
    prefix_name = "wineprefix-setup-pages"

    def page_shows(self, window, control_id):
        return self.s.driver.try_call("descendant", window, control_id) is not None

    def next_button(self, window):
        """The text of the Next/Install/Finish/Close button, "" while it is disabled
        (the uninstaller shows "Close" greyed while it works)."""
        return self.s.text(window, 1) if self.s.driver.call("enabled", window, 1) == "1" else ""

    def shot(self, name, window):
        self.s.screenshot(name, window)

    def test_every_page_then_an_uninstall_that_waits_for_a_busy_program(self):
        self.s.write_ini(None)
        self.s.exec('"{}"'.format(tb.windows_path(SETUP)))
        setup = self.s.wait_dialog(SETUP_TITLE)
        self.s.wait_until(lambda: "Welcome to Tallybox" in self.s.driver.call("children", setup),
                          what="the welcome page")
        self.assertIn("installed for all users of this computer", self.s.driver.call("children", setup))
        self.shot("setup-1-welcome", setup)
        self.s.click(setup, 1)
        self.s.wait_until(lambda: self.page_shows(setup, 1032), what="the components page")  # its tree of choices
        self.assertIn("Choose whether Windows starts it for you", self.s.driver.call("children", setup))
        self.shot("setup-2-components", setup)
        self.s.click(setup, 1)
        self.s.wait_until(lambda: self.page_shows(setup, 1019), what="the folder page")
        folder_edit = self.s.driver.call("descendant", setup, 1019)
        self.assertEqual(self.s.text(folder_edit), "C:\\Program Files\\Tallybox")
        self.shot("setup-3-folder", setup)
        self.s.click(setup, 1)  # Install
        self.s.wait_until(lambda: self.next_button(setup) == "&Finish", timeout=60, what="the finish page")
        self.assertIn("From its first start Tallybox watches the drive of your documents", self.s.driver.call("children", setup))
        self.shot("setup-4-finish", setup)
        self.s.click(setup, 1)  # Finish, with "Start Tallybox now" ticked
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the program the finish page started")
        self.shot("setup-5-first-start", frame)

        # The uninstaller, while the program has its About box open.
        self.s.command(frame, ID_APP_ABOUT)
        about = self.s.wait_dialog("File Archiver by Corvane.")
        self.s.exec('"C:\\Program Files\\Tallybox\\Uninstall.exe"')
        remover = self.s.wait_dialog(UNINSTALL_TITLE)
        self.s.wait_until(lambda: "Your settings (Vaultly.ini) and every archive are kept" in
                          self.s.driver.call("children", remover), what="the confirmation page")
        self.shot("uninstall-1-confirm", remover)
        self.s.click(remover, 1)  # Uninstall
        box, text = self.s.message_box(timeout=30)
        self.assertIn("Tallybox is busy", text)
        self.shot("uninstall-2-busy", box)
        self.assertTrue(os.path.exists(os.path.join(self.all_users_folder(), "Tallybox.exe")))
        self.s.click(about, IDOK)
        self.s.wait_until(lambda: not self.s.window_exists("#32770", "File Archiver by Corvane."),
                          what="the About box to close")
        self.s.click(box, IDRETRY)
        self.s.wait_until(lambda: self.next_button(remover) == "&Close", timeout=60, what="the uninstall to finish")
        self.shot("uninstall-3-done", remover)
        self.assertFalse(self.s.window_exists(tb.WINDOW_CLASS))
        self.assertTrue(self.ended_the_terminate_way())
        self.s.click(remover, 1)
        self.s.wait_until(lambda: not os.path.exists(self.all_users_folder()), timeout=30,
                          what="the program folder to go")
        self.assertFalse(os.path.exists(self.all_users_menu()))


if __name__ == "__main__":
    tb.main()
