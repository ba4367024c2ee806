#!/usr/bin/env python3
"""The help: every help command of the real program opens the right page (the
shell's "open" of .html files is pointed at a recorder for the test), the
pages hold together (links, anchors, pictures), they name what the program's
menus and settings pages show, and headless Chromium renders them into
build/shots/help-page-*.png."""
import html
import html.parser
import os
import re
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

RES = os.path.join(tb.ROOT, "res")
PAGES = ["hlpindex.html", "hlpsettings.html"]
PSM_SETCURSEL = 0x0465
PSM_GETCURRENTPAGEHWND = 0x0476
IDHELP = 9
WM_KEYDOWN, VK_F1 = 0x0100, 0x70
IDCANCEL = 2
TEST_CLASS = "TallyboxHelpTest"
IDS = tb.resource_ids()


def rc_text(quoted):
    """A resource script's string: "" stands for one quote."""
    return quoted[1:-1].replace('""', '"')


def plain(text):
    """A control or menu text as a reader meets it: no mnemonic marker, no
    accelerator, blanks collapsed, no trailing dots, colons or blanks."""
    text = text.replace("&&", "\0").replace("&", "").replace("\0", "&").split("\\t")[0]
    return re.sub(r"\s+", " ", text).strip().rstrip(".: ").strip()


class Page(html.parser.HTMLParser):
    """What a help page shows and points at."""

    def __init__(self, path):
        super().__init__()
        self.ids, self.links, self.images, self.headings, self.words = set(), [], [], [], []
        self._heading = None
        with open(path, encoding="utf-8") as f:
            self.feed(f.read())
        self.text = re.sub(r"\s+", " ", html.unescape(" ".join(self.words)))

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag == "img":
            self.images.append(attrs)
        if tag in ("h1", "h2", "h3"):
            self._heading = []

    def handle_endtag(self, tag):
        if tag in ("h1", "h2", "h3") and self._heading is not None:
            self.headings.append(re.sub(r"\s+", " ", "".join(self._heading)).strip())
            self._heading = None

    def handle_data(self, data):
        self.words.append(data)
        if self._heading is not None:
            self._heading.append(data)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError(path + " is not a PNG file")
    return struct.unpack(">II", head[16:24])


class HelpPages(tb.unittest.TestCase):
    """The pages as the build ships them (dist/)."""

    def page(self, name):
        return Page(os.path.join(tb.DIST, name))

    def test_links_anchors_and_pictures_resolve(self):
        for name in PAGES:
            page = self.page(name)
            for link in page.links:
                target, _, anchor = link.partition("#")
                self.assertNotRegex(target, r"^[a-z]+:", "{}: a link leaves the program folder: {}".format(name, link))
                target_page = self.page(target) if target else page
                if anchor:
                    self.assertIn(anchor, target_page.ids, "{}: no #{} in {}".format(name, anchor, target or name))
            for image in page.images:
                path = os.path.join(tb.DIST, image["src"])
                self.assertTrue(os.path.isfile(path), "{}: missing picture {}".format(name, image["src"]))
                self.assertTrue(image.get("alt"), "{}: {} has no text for readers".format(name, image["src"]))
                # The size written in the page is the picture's own.
                self.assertEqual((int(image["width"]), int(image["height"])), png_size(path),
                                 "{}: {}".format(name, image["src"]))

    def test_every_shipped_picture_is_used(self):
        used = {image["src"] for name in PAGES for image in self.page(name).images}
        folder = os.path.join(RES, "help", "hlpimg")
        shipped = {"hlpimg/" + n for n in os.listdir(folder)} if os.path.isdir(folder) else set()
        self.assertEqual(shipped - used, set(), "pictures that ship but no page shows")

    def test_the_settings_page_names_every_page_and_control_of_the_settings(self):
        page = self.page("hlpsettings.html")
        with open(os.path.join(RES, "settings.rc"), encoding="utf-8") as f:
            script = f.read()
        captions = re.findall(r'^CAPTION\s+("(?:[^"]|"")*")', script, re.M)
        self.assertEqual(len(captions), 6)
        for caption in captions:
            self.assertIn(rc_text(caption), page.headings)
        controls = re.findall(r'^\s*(AUTOCHECKBOX|AUTORADIOBUTTON|PUSHBUTTON|GROUPBOX)\s+("(?:[^"]|"")*")(.*)$',
                              script, re.M)
        self.assertGreater(len(controls), 30)
        for kind, quoted, rest in controls:
            if "NOT WS_VISIBLE" in rest:
                continue  # carried through only, never shown
            text = plain(rc_text(quoted))
            if text:
                self.assertIn(text, page.text, "hlpsettings.html does not name the {} {}".format(kind, text))

    def test_the_index_names_every_menu_command(self):
        page = self.page("hlpindex.html")
        with open(os.path.join(RES, "app.rc"), encoding="utf-8") as f:
            script = f.read()
        items = [plain(rc_text(q)) for q in re.findall(r'^\s*MENUITEM\s+("(?:[^"]|"")*")', script, re.M)]
        self.assertGreater(len(items), 20)
        for item in items:
            self.assertIn(item, page.text, "hlpindex.html does not name the command " + item)


class HelpRendering(tb.unittest.TestCase):
    def test_chromium_renders_each_page(self):
        """Pictures of the pages as a browser shows them, kept in build/shots/."""
        os.makedirs(tb.SHOTS, exist_ok=True)
        for name, height in (("hlpindex.html", 7000), ("hlpsettings.html", 3600)):
            shot = os.path.join(tb.SHOTS, "help-page-" + name.replace(".html", ".png"))
            if os.path.exists(shot):
                os.remove(shot)
            profile = os.path.join(tb.BUILD, "chromium-profile")
            subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                            "--user-data-dir=" + profile, "--window-size=1000,{}".format(height),
                            "--screenshot=" + shot, "file://" + os.path.join(tb.DIST, name)],
                           check=True, capture_output=True, timeout=180)
            self.assertEqual(png_size(shot), (1000, height))
            # A page of text and pictures, not a blank or an error page: many
            # colours, and the top of the page is the page's own white.
            colours = subprocess.run(["convert", shot, "-format", "%k", "info:"], check=True,
                                     capture_output=True, text=True).stdout
            self.assertGreater(int(colours), 100, name)
            corner = subprocess.run(["convert", shot, "-crop", "1x1+2+2", "-format", "%[hex:p{0,0}]", "info:"],
                                    check=True, capture_output=True, text=True).stdout
            self.assertEqual(corner.strip().upper()[:6], "FFFFFF", name)


class HelpCommands(tb.ScenarioTest):
    """The real program's help commands, with .html files opened by a recorder
    that writes the name it was given into C:\\help-opened.txt."""

    def setUp(self):
        super().setUp()
        self.record = os.path.join(self.s.prefix, "drive_c", "help-opened.txt")
        if os.path.exists(self.record):
            os.remove(self.record)
        previous = self.reg_default("HKEY_CLASSES_ROOT\\.html")
        self.s.reg_add("HKEY_CLASSES_ROOT\\" + TEST_CLASS + "\\shell\\open\\command", None,
                       "C:\\windows\\system32\\cmd.exe /c echo %1>>C:\\help-opened.txt")
        self.s.reg_add("HKEY_CLASSES_ROOT\\.html", None, TEST_CLASS)
        self.addCleanup(self.s.reg_delete, "HKEY_CLASSES_ROOT\\" + TEST_CLASS)
        if previous:
            self.addCleanup(self.s.reg_add, "HKEY_CLASSES_ROOT\\.html", None, previous)
        else:
            self.addCleanup(self.s.reg_delete, "HKEY_CLASSES_ROOT\\.html")
        self.s.write_ini({"Settings": {"FrameLeft": 10, "FrameTop": 10, "FrameRight": 700, "FrameBottom": 500,
                                       "Time": "06:30:PM"}})

    def reg_default(self, key):
        # Into a file, not a pipe: the Wine server that reg starts keeps a
        # pipe open long after reg has ended.
        answer = os.path.join(tb.BUILD, "e2e-help-reg.txt")
        with open(answer, "w") as f:
            subprocess.run(["wine", "reg", "query", key, "/ve"], env=self.s.env, stdout=f, stderr=subprocess.DEVNULL)
        with open(answer, encoding="utf-8", errors="replace") as f:
            out = f.read()
        os.remove(answer)
        match = re.search(r"REG_SZ\s+(.+)", out)
        return match.group(1).strip() if match else None

    def opened(self):
        try:
            with open(self.record, encoding="latin-1") as f:
                return [line.strip().strip('"') for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def next_opened(self, count_before, what):
        lines = self.s.wait_until(lambda: (lambda l: l if len(l) > count_before else None)(self.opened()),
                                  what=what + " to open a page")
        self.assertEqual(len(lines), count_before + 1, what + " opened more than one page")
        return lines[-1]

    def assert_page(self, opened, page, what):
        folder, _, name = opened.rpartition("\\")
        self.assertEqual(name.lower(), page, what)
        self.assertEqual(folder.lower(), self.s.env["TB_DIST_WIN"].lower(), what + ": the page beside the program")

    def test_each_help_command_of_the_main_window_opens_the_index(self):
        frame, _ = self.s.start_main()
        commands = ["ID_HELP_TOPICS", "ID_HELP_INDEX", "ID_HELP", "ID_CONTEXT_HELP", "ID_DEFAULT_HELP"]
        for command in commands:
            before = len(self.opened())
            self.s.command(frame, IDS[command])
            self.assert_page(self.next_opened(before, command), "hlpindex.html", command)
        # F1 in the main window, as in most Windows programs.
        before = len(self.opened())
        self.s.post(frame, WM_KEYDOWN, VK_F1, 1)
        self.assert_page(self.next_opened(before, "F1"), "hlpindex.html", "F1")
        self.s.terminate(frame)

    def test_the_help_button_of_every_settings_page_opens_the_settings_page(self):
        frame, _ = self.s.start_main()
        self.s.command(frame, IDS["ID_SETTINGS"])
        sheet = self.s.wait_dialog("Archive Settings")
        tabs = ["Automatic", "Location", "Drives", "File Types", "Prompts", "UnZip"]
        for index, tab in enumerate(tabs):
            self.s.post(sheet, PSM_SETCURSEL, index, 0)
            self.s.wait_until(lambda: (lambda p: p and self.s.text(hex(p)) == tab)(
                self.s.send(sheet, PSM_GETCURRENTPAGEHWND)), what="the page " + tab)
            self.assertEqual(self.s.driver.call("enabled", sheet, IDHELP), "1", tab)
            before = len(self.opened())
            self.s.click(sheet, IDHELP)
            self.assert_page(self.next_opened(before, "Help on " + tab), "hlpsettings.html", tab)
        self.s.click(sheet, IDCANCEL)
        self.s.driver.call("wait-gone", sheet, 20000)
        self.s.sync(frame)  # the command that showed the sheet has returned
        self.s.terminate(frame)


if __name__ == "__main__":
    tb.main()
