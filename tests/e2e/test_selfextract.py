#!/usr/bin/env python3
"""Self-extracting programs through the real program and the programs it
builds: dialog 175 from the main window, the overwrite question, the
no-selection message; the extractor's screens (folder question, progress with
the overwrite question, success, the password prompt), each looked at in a
screenshot."""
import glob
import os
import random
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

ID_MAKE_SELF_EXTRACTING = 32798
ARCHIVES = 1047
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
PBM_GETPOS = 0x0408
OUTPUT, EXTRACT_FOLDER, CAPTION, SOURCE, STATUS = 1176, 1177, 1178, 1179, 1180
# The extractor's screens.
SCREEN_FOLDER, SCREEN_PROGRESS, SCREEN_PASSWORD, SCREEN_MESSAGE = 1003, 1005, 1007, 1002

DATA = os.path.join(tb.BUILD, "e2e-data", "selfextract")
SFXBUILD = os.path.join(tb.BUILD, "tests", "sfxbuild.exe")
DIALOG_TITLE = "Make Self-Extracting Archive (.EXE)"


def make_tree(root, big=False):
    rng = random.Random(175)
    os.makedirs(os.path.join(root, "docs", "old"), exist_ok=True)
    with open(os.path.join(root, "readme.txt"), "w") as f:
        f.write("a kit of files\n" * 200)
    with open(os.path.join(root, "docs", "report.doc"), "wb") as f:
        f.write(bytes(rng.getrandbits(8) for _ in range(30000)))
    with open(os.path.join(root, "docs", "old", "notes.txt"), "w") as f:
        f.write("notes\n")
    if big:  # enough data for the progress screen to stay up while it is looked at
        for i in range(3):
            with open(os.path.join(root, "docs", "big%d.bin" % i), "wb") as f:
                f.write(rng.randbytes(48 << 20))


def zip_tree(root, archive, password=None):
    if password:
        subprocess.run(["7z", "a", "-tzip", "-mem=AES256", "-p" + password, archive, "."], cwd=root, check=True,
                       stdout=subprocess.DEVNULL)
        return
    # The big files first and the report last, so the progress screen shows a
    # while before the report's overwrite question.
    paths = [os.path.join(folder, name) for folder, _, files in os.walk(root) for name in files]
    paths.sort(key=lambda p: (not p.endswith(".bin"), p.endswith("report.doc"), p))
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for path in paths:
            z.write(path, os.path.relpath(path, root))


def same_tree(a, b):
    return subprocess.run(["diff", "-r", a, b], stdout=subprocess.DEVNULL).returncode == 0


class SelfExtract(tb.ScenarioTest):
    def setUp(self):
        super().setUp()
        shutil.rmtree(DATA, ignore_errors=True)
        os.makedirs(DATA)

    def temp_folder(self):
        """The prefix's temporary folder (where the dialog keeps its scratch files)."""
        return glob.glob(os.path.join(self.s.prefix, "drive_c", "users", "*", "Temp"))

    def scratch_files(self):
        found = []
        for folder in self.temp_folder() + [tb.DIST]:
            found += glob.glob(os.path.join(folder, "~s*.tmp")) + glob.glob(os.path.join(folder, "~z*.tmp"))
        return sorted(found)

    def start(self, archives):
        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 1010, "FrameBottom": 650},
                          "Zips": {"Zip%d" % (i + 1): tb.windows_path(a) for i, a in enumerate(archives)}})
        self.s.start()
        frame = self.s.main_window()
        self.s.wait_until(lambda: self.s.visible(frame), what="the main window to show")
        return frame, self.s.pane(frame)

    def answer(self, expected_text, button):
        box, shown = self.s.message_box()
        self.assertEqual(shown, expected_text)
        self.s.click(box, button)
        self.s.wait_until(lambda: self.s.message_box_gone(box), what="the message to close")

    # ---- dialog 175 ----------------------------------------------------------------------
    def test_dialog_175_builds_the_program_and_asks_before_replacing_it(self):
        make_tree(os.path.join(DATA, "kit"))
        archive = os.path.join(DATA, "kit.zip")
        program = os.path.join(DATA, "kit.exe")
        zip_tree(os.path.join(DATA, "kit"), archive)
        windows_bitmap = os.path.join(self.s.windows_dir, "tb.bmp")
        if os.path.exists(windows_bitmap):
            os.remove(windows_bitmap)
        scratch_before = self.scratch_files()
        frame, pane = self.start([archive])
        self.s.select(pane, ARCHIVES, 0)

        self.s.command(frame, ID_MAKE_SELF_EXTRACTING)
        dialog = self.s.wait_dialog(DIALOG_TITLE)
        self.assertEqual(self.s.text(dialog, OUTPUT), tb.windows_path(program))
        self.assertEqual(self.s.text(dialog, SOURCE), "Make Self-Extracting Archive from:\n\n" + tb.windows_path(archive))
        self.assertIn("File Archiver", self.s.text(dialog, CAPTION))
        self.assertEqual(self.s.text(dialog, EXTRACT_FOLDER), "")
        self.s.driver.call("settext", dialog, CAPTION, "The kit of April 01 2001")
        self.s.screenshot("selfextract-dialog-175")
        self.s.click(dialog, IDOK)
        self.answer("Self-Extracting Archive successfully created.", IDOK)
        self.s.wait_until(lambda: not self.s.window_exists("#32770", DIALOG_TITLE), what="the dialog to close")

        self.assertTrue(os.path.exists(program))
        self.assertEqual(subprocess.run(["unzip", "-tq", program], stdout=subprocess.DEVNULL).returncode, 0)
        self.assertEqual(sorted(zipfile.ZipFile(program).namelist()), sorted(zipfile.ZipFile(archive).namelist()))
        with open(os.path.join(tb.DIST, "tb.bmp"), "rb") as shipped, open(windows_bitmap, "rb") as copied:
            self.assertEqual(shipped.read(), copied.read())
        first_build = os.path.getmtime(program)

        # Again: the program exists. No keeps the dialog open with its values; Yes replaces it.
        os.utime(program, (first_build - 100, first_build - 100))
        self.s.command(frame, ID_MAKE_SELF_EXTRACTING)
        dialog = self.s.wait_dialog(DIALOG_TITLE)
        self.s.driver.call("settext", dialog, EXTRACT_FOLDER, "C:\\Kit")
        self.s.click(dialog, IDOK)
        question = "This file exists: {}.  Do you wish to overwrite this file?".format(tb.windows_path(program))
        box, shown = self.s.message_box()
        self.assertEqual(shown, question)
        self.s.screenshot("selfextract-overwrite-question")
        self.s.click(box, IDNO)
        self.s.wait_until(lambda: self.s.no_message_box(), what="the question to close")
        self.assertTrue(self.s.window_exists("#32770", DIALOG_TITLE))
        self.assertEqual(self.s.text(dialog, EXTRACT_FOLDER), "C:\\Kit")
        self.assertEqual(os.path.getmtime(program), first_build - 100)
        self.s.click(dialog, IDOK)
        self.answer(question, IDYES)
        self.answer("Self-Extracting Archive successfully created.", IDOK)
        self.assertGreater(os.path.getmtime(program), first_build - 100)
        self.assertEqual(subprocess.run(["unzip", "-tq", program], stdout=subprocess.DEVNULL).returncode, 0)
        # Nothing is left behind: no scratch files, no half-written program.
        self.assertEqual(self.scratch_files(), scratch_before)
        self.assertEqual(glob.glob(os.path.join(DATA, "*~")), [])
        self.s.terminate(frame)

    def test_without_a_selected_archive_the_dialog_explains_and_closes(self):
        archive = os.path.join(DATA, "lone.zip")
        with zipfile.ZipFile(archive, "w") as z:
            z.writestr("a.txt", "a")
        frame, _ = self.start([archive])
        self.s.command(frame, ID_MAKE_SELF_EXTRACTING)
        self.answer("You must select an Archive(Zip) before you can make a Sel-Extracting Archive.", IDOK)
        self.assertFalse(self.s.window_exists("#32770", DIALOG_TITLE))
        self.s.terminate(frame)

    # ---- the extractor's screens ---------------------------------------------------------
    def build(self, archive, program, caption, folder=""):
        result = subprocess.run(["wine", SFXBUILD, tb.windows_path(archive), tb.windows_path(program), caption, folder],
                                env=self.s.env, stdout=subprocess.PIPE, text=True)
        self.assertEqual(result.returncode, 0, result.stdout)

    def run_program(self, program):
        return subprocess.Popen(["wine", program], env=self.s.env, cwd=DATA, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def screen(self, caption, control, message=None, timeout=20.0):
        """The extractor's window titled `caption` that holds `control` (and shows `message`)."""
        def find():
            listing = self.s.driver.call("windows")
            for line in listing.split("\x1f"):
                parts = line.split("|")
                if len(parts) == 4 and tb.unescape(parts[2]) == caption and parts[3] == "1":
                    # A screen may close between the listing and the look at it.
                    shown = self.s.driver.try_call("text", parts[0], SCREEN_MESSAGE) if message else None
                    if self.s.driver.try_call("descendant", parts[0], control) and (
                            message is None or (shown is not None and tb.unescape(shown) == message)):
                        return parts[0]
            return None
        return self.s.wait_until(find, timeout, "the screen with control %d" % control)

    def test_the_program_asks_for_the_folder_shows_progress_and_success(self):
        caption = "The kit of April 01 2001"
        make_tree(os.path.join(DATA, "kit"), big=True)
        archive, program = os.path.join(DATA, "kit.zip"), os.path.join(DATA, "kit.exe")
        zip_tree(os.path.join(DATA, "kit"), archive)
        self.build(archive, program, caption, "%TEMP%\\kit")
        target = os.path.join(DATA, "unpacked")
        os.makedirs(os.path.join(target, "docs"))
        with open(os.path.join(target, "docs", "report.doc"), "w") as f:
            f.write("an older report")

        process = self.run_program(program)
        folder_screen = self.screen(caption, SCREEN_FOLDER)
        proposed = self.s.text(folder_screen, SCREEN_FOLDER)
        self.assertTrue(proposed.endswith("\\kit") and "%" not in proposed, proposed)
        self.assertIn("Please specify a path....", self.s.text(folder_screen, SCREEN_MESSAGE))
        self.s.screenshot("sfx-folder-question")
        self.s.driver.call("settext", folder_screen, SCREEN_FOLDER, tb.windows_path(target))
        self.s.click(folder_screen, IDOK)
        progress = self.screen(caption, SCREEN_PROGRESS)
        bar = self.s.driver.call("descendant", progress, SCREEN_PROGRESS)
        self.s.wait_until(lambda: self.s.send(bar, PBM_GETPOS) > 0, what="the progress bar to move")
        self.s.screenshot("sfx-progress")

        # The existing report is asked about over the progress screen.
        box, shown = self.s.message_box(timeout=30)
        self.assertIn("This file already exists.", shown)
        self.assertIn("report.doc", shown)
        self.screen(caption, SCREEN_PROGRESS)
        self.s.screenshot("sfx-progress-overwrite-question")
        self.s.click(box, IDYES)

        done = self.screen(caption, SCREEN_MESSAGE, "Extraction was successful", timeout=60)
        self.s.screenshot("sfx-success")
        self.s.click(done, IDOK)
        self.assertEqual(process.wait(timeout=30), 0)
        self.assertTrue(same_tree(os.path.join(DATA, "kit"), target))

    def test_the_program_asks_for_the_password_until_cancelled(self):
        caption = "Locked kit"
        make_tree(os.path.join(DATA, "kit"))
        archive, program = os.path.join(DATA, "locked.zip"), os.path.join(DATA, "locked.exe")
        zip_tree(os.path.join(DATA, "kit"), archive, password="Secret-3")
        self.build(archive, program, caption)
        target = os.path.join(DATA, "never")

        process = self.run_program(program)
        folder_screen = self.screen(caption, SCREEN_FOLDER)
        self.s.driver.call("settext", folder_screen, SCREEN_FOLDER, tb.windows_path(target))
        self.s.click(folder_screen, IDOK)
        prompt = self.screen(caption, SCREEN_PASSWORD)
        self.assertIn("password protected", self.s.text(prompt, SCREEN_MESSAGE))
        self.s.screenshot("sfx-password")
        self.s.driver.call("settext", prompt, SCREEN_PASSWORD, "wrong")
        self.s.click(prompt, IDOK)
        self.answer("Password Error", IDOK)
        prompt = self.screen(caption, SCREEN_PASSWORD)
        self.s.click(prompt, IDCANCEL)
        self.answer("Extraction was canceled.", IDOK)
        self.assertEqual(process.wait(timeout=30), 1)
        self.assertFalse(os.path.exists(target))


if __name__ == "__main__":
    tb.main()
