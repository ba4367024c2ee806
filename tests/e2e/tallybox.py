"""Helpers for the end-to-end scenarios: the Wine prefix, Vaultly.ini, the
driver that operates the program's windows, screenshots, and test folders.

A scenario starts from a state it made itself: no program of the prefix is
running, Vaultly.ini holds exactly what the scenario wrote, and its test folders
are fresh.
"""
import os
import shutil
import subprocess
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("TB_BUILD", os.path.join(ROOT, "build"))
DIST = os.path.join(BUILD, "dist")
DRIVER = os.path.join(BUILD, "tests", "tbdriver.exe")
SHOTS = os.path.join(BUILD, "shots")
MAIN_PREFIX = os.path.join(BUILD, "wineprefix")

WINDOW_CLASS = "TallyboxArchiveClass"
# Set by the program while its change monitor has every watch armed.
MONITOR_ARMED_EVENT = "TallyboxMonArmed"
# Wakes the change monitor from its five-minute wait, as the end of that wait would.
MONITOR_WAKE_EVENT = "TallyboxMonBugOut"
WM_NULL = 0x0000
WM_COMMAND = 0x0111
WM_TIMER = 0x0113
SCHEDULE_TICK = 27
WM_CLOSE = 0x0010
WM_QUERYENDSESSION = 0x0011
WM_LBUTTONUP = 0x0202
TRAY_CALLBACK = 101
ENDSESSION_LOGOFF = 0x80000000


def resource_ids():
    """The program's resource ids by name, as res/resource.h defines them."""
    ids = {}
    with open(os.path.join(ROOT, "res", "resource.h")) as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 3 and fields[0] == "#define":
                try:
                    ids[fields[1]] = int(fields[2], 0)
                except ValueError:
                    pass
    return ids


def windows_path(path):
    """The Windows name of a Linux path through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_env(prefix):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix
    env["WINEARCH"] = "win32"
    env["WINEDEBUG"] = "-all"
    # No .NET or HTML add-on questions; no menu entries on the Linux desktop
    # for shortcuts that installers make.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;winemenubuilder.exe=d"
    env["TB_DIST_WIN"] = windows_path(DIST)
    return env


def version():
    """The version the build gives every binary and package (its generated Version.h)."""
    with open(os.path.join(BUILD, "generated", "Version.h")) as f:
        for line in f:
            if line.startswith("#define TB_VERSION_TEXT "):
                return line.split('"')[1]
    raise AssertionError("no TB_VERSION_TEXT in the build's Version.h")


def ensure_prefix(prefix):
    """Creates a prefix (as scripts/wine-env.sh does) when it does not exist yet."""
    if os.path.exists(os.path.join(prefix, "system.reg")):
        return
    if prefix != MAIN_PREFIX and os.path.exists(os.path.join(MAIN_PREFIX, "system.reg")):
        subprocess.run(["wineserver", "-k"], env=wine_env(MAIN_PREFIX), check=False)
        subprocess.run(["wineserver", "-w"], env=wine_env(MAIN_PREFIX), check=False)
        shutil.copytree(MAIN_PREFIX, prefix, symlinks=True)
        return
    script = ". '{}/scripts/wine-env.sh' && tb_wine_prefix".format(ROOT)
    subprocess.run(["bash", "-c", script], env=wine_env(prefix), check=True)


def kill_prefix(prefix):
    env = wine_env(prefix)
    subprocess.run(["wineserver", "-k"], env=env, check=False, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env, check=False, stderr=subprocess.DEVNULL)


def link_drive(prefix, letter, folder):
    """Makes `folder` drive `letter`: of the prefix (Wine reports it as a fixed
    disk); returns the link, for the scenario to remove."""
    os.makedirs(folder, exist_ok=True)
    link = os.path.join(prefix, "dosdevices", letter.lower() + ":")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.path.abspath(folder), link)
    return link


class DriverError(Exception):
    pass


def _escape(text):
    return (str(text).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def unescape(text):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(n, n))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


class Driver:
    """tbdriver.exe running in the prefix: one command, one answer."""

    def __init__(self, env):
        self.proc = subprocess.Popen(["wine", DRIVER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=env, cwd=DIST, text=True,
                                     encoding="utf-8", errors="replace", bufsize=1)

    def call(self, *args):
        line = "\t".join(_escape(a) for a in args)
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        reply = self.proc.stdout.readline()
        if not reply:
            raise DriverError("driver ended while answering: " + line)
        reply = reply.rstrip("\r\n")
        if reply.startswith("ok"):
            return reply[3:] if len(reply) > 3 else ""
        raise DriverError("{} -> {}".format(line.replace("\t", " "), reply))

    def try_call(self, *args):
        try:
            return self.call(*args)
        except DriverError:
            return None

    def close(self):
        try:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
            self.proc.stdin.close()
            self.proc.stdout.close()
        except Exception:
            self.proc.kill()


class Session:
    """One scenario's Wine prefix, settings file, driver and screenshots."""

    def __init__(self, prefix=MAIN_PREFIX):
        self.prefix = prefix
        ensure_prefix(prefix)
        kill_prefix(prefix)
        self.env = wine_env(prefix)
        self.windows_dir = os.path.join(prefix, "drive_c", "windows")
        self.ini_path = os.path.join(self.windows_dir, "Vaultly.ini")
        self.driver = Driver(self.env)
        self.pids = []

    # ---- settings file ---------------------------------------------------------------
    def write_ini(self, sections=None):
        """Writes Vaultly.ini with exactly these sections ({name: {key: value}}); None removes it.
        The record of files the user declined, beside it, goes either way."""
        declined = os.path.join(self.windows_dir, "VaultlyDeclined.txt")
        if os.path.exists(declined):
            os.remove(declined)
        if sections is None:
            if os.path.exists(self.ini_path):
                os.remove(self.ini_path)
            return
        lines = []
        for name, keys in sections.items():
            lines.append("[{}]".format(name))
            for key, value in keys.items():
                lines.append("{}={}".format(key, value))
            lines.append("")
        with open(self.ini_path, "w", encoding="utf-8", newline="\r\n") as f:
            f.write("\n".join(lines))

    def _ini_text(self):
        """The text of Vaultly.ini once two reads in a row agree: the program's
        background thread may be rewriting the file (the directory list) while
        a scenario reads it."""
        previous = None
        for _ in range(100):
            try:
                with open(self.ini_path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
            except FileNotFoundError:
                text = None
            if text == previous:
                return text
            previous = text
            time.sleep(0.02)
        return previous

    def read_ini(self):
        """{section: {key: value}} as the program left the file (keys keep their case)."""
        result = {}
        text = self._ini_text()
        if text is None:
            return result
        section = None
        for line in text.splitlines():
            if line.startswith("[") and line.endswith("]"):
                section = result.setdefault(line[1:-1], {})
            elif "=" in line and section is not None:
                key, value = line.split("=", 1)
                section[key] = value
        return result

    def ini_value(self, section, key, default=None):
        return self.read_ini().get(section, {}).get(key, default)

    # ---- registry ----------------------------------------------------------------------
    def reg_add(self, key, name, data):
        """Sets a string value (name None = the key's default value) in the prefix's registry."""
        args = ["wine", "reg", "add", key] + (["/ve"] if name is None else ["/v", name]) + ["/d", data, "/f"]
        subprocess.run(args, env=self.env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def reg_delete(self, key):
        subprocess.run(["wine", "reg", "delete", key, "/f"], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # ---- the program -------------------------------------------------------------------
    def set_clock(self, when):
        """The programs started from now on begin their clock at `when` (a
        datetime, local time) and let it run on; None gives them the real clock."""
        self.driver.call("setenv", "TALLYBOX_CLOCK", when.strftime("%Y-%m-%d %H:%M:%S") if when else "")

    def start(self, *arguments):
        command = " ".join('"{}"'.format(a) if (" " in a and not a.startswith('"')) else a for a in arguments)
        pid = int(self.driver.call("start", command))
        self.pids.append(pid)
        return pid

    def exec(self, command_line, plain_user=False):
        """Starts any program by its command line, as Windows starts a shortcut or a
        Run entry; plain_user: without administrator rights. Returns the process id."""
        pid = int(self.driver.call("exec-user" if plain_user else "exec", command_line))
        self.pids.append(pid)
        return pid

    def run(self, *arguments):
        """Starts the program and waits for it to end; returns its exit code."""
        command = " ".join('"{}"'.format(a) if (" " in a and not a.startswith('"')) else a for a in arguments)
        return int(self.driver.call("run", command))

    def main_window(self, timeout_ms=20000):
        return self.driver.call("wait", WINDOW_CLASS, "*", timeout_ms)

    def start_main(self):
        """Starts the program; (frame, contents pane) once the main window shows."""
        self.start()
        frame = self.main_window()
        self.wait_until(lambda: self.visible(frame), what="the main window to show")
        return frame, self.pane(frame)

    def list_archive(self, pane, index):
        """Selects line `index` of the archive list; the file list's lines once listed."""
        # Listing starts 200 ms after the selection; until then the list shows
        # what it showed before, so wait for the placeholder to come and go.
        self.driver.call("send", self.driver.call("descendant", pane, 1048), 0x0184, 0, 0)  # LB_RESETCONTENT
        self.select(pane, 1047, index)
        return self.settled_lines(pane, 1048)

    def select_lines(self, window, control, indices):
        """Selects lines of a multiple-selection list (-1: all of them)."""
        hwnd = self.driver.call("descendant", window, control)
        for index in indices:
            self.send(hwnd, 0x0185, 1, index & 0xFFFFFFFF)  # LB_SETSEL

    def wait_until(self, predicate, timeout=20.0, what="condition"):
        end = time.time() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.time() > end:
                raise AssertionError("timed out waiting for " + what)
            time.sleep(0.05)

    def visible(self, hwnd, control=None):
        args = ["visible", hwnd] + ([control] if control is not None else [])
        return self.driver.call(*args) == "1"

    def text(self, hwnd, control=None):
        args = ["text", hwnd] + ([control] if control is not None else [])
        return unescape(self.driver.call(*args))

    def lines(self, hwnd, control):
        reply = self.driver.call("lines", hwnd, control)
        count, _, rest = reply.partition(" ")
        if int(count) == 0:
            return []
        return [unescape(x) for x in rest.split("\x1f")]

    def settled_lines(self, hwnd, control, timeout=20.0):
        """The lines of a list once it shows no placeholder and stays the same for a moment."""
        previous = [None]

        def settled():
            lines = self.lines(hwnd, control)
            busy = not lines or lines[0].startswith("\tRetriev") or lines[0].startswith("\tSorting")
            same = lines == previous[0]
            previous[0] = lines
            if busy or not same:
                time.sleep(0.1)
                return None
            return lines
        return self.wait_until(settled, timeout, "the list to settle")

    def command(self, hwnd, command_id):
        self.driver.call("command", hwnd, command_id)

    def run_command(self, hwnd, command_id, timeout_ms=120000):
        """Sends a menu command and returns once its handler has returned: for
        commands that show no dialog the scenario has to answer."""
        self.driver.call("run-command", hwnd, command_id, timeout_ms)

    def sync(self, hwnd):
        """Returns once the window's thread takes messages again. After a dialog
        of a command has gone, that is when the command's handler has returned,
        provided nothing after the dialog lets messages through."""
        self.send(hwnd, WM_NULL)

    def wait_watching(self, timeout=60.0):
        """Waits until the program's change monitor has armed its watches: a
        change made from then on is recorded."""
        self.driver.call("wait-event", MONITOR_ARMED_EVENT, int(timeout * 1000))

    def monitor_pass(self):
        """The change monitor makes the polling pass it makes every five
        minutes: each watch that fired since is recorded in "Changes"."""
        self.driver.call("set-event", MONITOR_WAKE_EVENT)

    def view(self, frame):
        """The main view: the window the schedule's timers belong to."""
        return self.driver.call("parent", self.pane(frame))

    def schedule_tick(self, frame):
        """A tick of the schedule's five-minute timer, sent to the view: it
        returns once the view has handled it (and a run without dialogs that
        it started has ended)."""
        self.send(self.view(frame), WM_TIMER, SCHEDULE_TICK)

    def dialogs(self, title):
        """The visible top-level dialogs with this title."""
        found = []
        for entry in self.driver.call("windows").split("\x1f"):
            fields = entry.split("|")
            if len(fields) == 4 and fields[1] == "#32770" and unescape(fields[2]) == title and fields[3] == "1":
                found.append(fields[0])
        return found

    def click(self, hwnd, control):
        self.driver.call("click", hwnd, control)

    def send(self, hwnd, message, wparam=0, lparam=0):
        return int(self.driver.call("send", hwnd, message, wparam, lparam))

    def post(self, hwnd, message, wparam=0, lparam=0):
        self.driver.call("post", hwnd, message, wparam, lparam)

    def pane(self, frame):
        """The contents pane: the parent of the archive list (1047)."""
        return self.driver.call("parent", self.driver.call("descendant", frame, 1047))

    def select(self, dialog, control, index):
        """Selects a list line as a click would, notifying the list's parent."""
        self.driver.call("select", dialog, control, index)

    def wait_dialog(self, title, timeout_ms=20000):
        return self.driver.call("wait", "#32770", title, timeout_ms)

    def message_box(self, timeout=20.0):
        """(hwnd, text) of the first message box that appears."""
        def shown():
            # A box being made may not have its text yet.
            found = self.driver.try_call("msgbox")
            return found if found and " " in found.strip() else None
        found = self.wait_until(shown, timeout, "a message box")
        hwnd, _, text = found.partition(" ")
        return hwnd, unescape(text)

    def no_message_box(self):
        return self.driver.try_call("msgbox") is None

    def message_box_gone(self, hwnd):
        """True once the box hwnd has closed, even when another box took its place at once."""
        found = self.driver.try_call("msgbox")
        return found is None or found.partition(" ")[0] != hwnd

    def rect(self, hwnd):
        return tuple(int(v) for v in self.driver.call("rect", hwnd).split(","))

    def window_exists(self, class_name="*", title="*"):
        return self.driver.try_call("find", class_name, title) is not None

    def wait_exit(self, pid, timeout_ms=20000):
        return int(self.driver.call("wait-exit", pid, timeout_ms))

    def terminate(self, hwnd):
        """Ends the program through its Terminate command, answering Yes."""
        self.command(hwnd, 57665)
        box, _ = self.message_box()
        self.click(box, 6)  # IDYES

    # ---- screenshots --------------------------------------------------------------------
    def screenshot(self, name, window=None):
        """Saves the screen once it has settled: two captures in a row show the
        same picture (a window that has just come up paints its controls a
        moment later). `window` (with its children) is asked to repaint first."""
        if window is not None:
            self.driver.call("paint", window)
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".png")
        previous = None
        for _ in range(30):
            # Without time stamps, equal pictures give equal files.
            subprocess.run(["import", "-window", "root", "-define", "png:exclude-chunks=date,time", path],
                           check=True, env=self.env)
            with open(path, "rb") as f:
                picture = f.read()
            if picture == previous:
                break
            previous = picture
            time.sleep(0.1)
        return path

    def distinct_colors(self, hwnd, inset=4, right_inset=None, height=None):
        """How many colours the screen shows inside a window: its edges left out,
        on the right what right_inset says (a scroll bar), and only the top
        `height` pixels when given. 1 for an empty area, more where something is
        drawn."""
        left, top, right, bottom = self.rect(hwnd)
        right_inset = inset if right_inset is None else right_inset
        rows = bottom - top - 2 * inset if height is None else height
        shot = os.path.join(BUILD, "e2e-colours.png")
        subprocess.run(["import", "-window", "root", shot], check=True, env=self.env)
        crop = "{}x{}+{}+{}".format(right - left - inset - right_inset, rows, left + inset, top + inset)
        out = subprocess.run(["convert", shot, "-crop", crop, "+repage", "-format", "%k", "info:"],
                             check=True, capture_output=True, text=True).stdout
        os.remove(shot)
        return int(out.strip())

    def close(self):
        self.driver.close()
        kill_prefix(self.prefix)


class ScenarioTest(unittest.TestCase):
    """Base of the scenarios: one session per test, taken down afterwards."""
    prefix = MAIN_PREFIX

    def setUp(self):
        self.s = Session(self.prefix)
        self.addCleanup(self.s.close)


def main():
    unittest.main(verbosity=2)
