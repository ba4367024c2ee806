#!/usr/bin/env python3
"""Takes the pictures of the help pages from the real program under Wine: a
scene is prepared (settings file, archives, a test drive), the window is
opened, the screen saved into build/shots/help-<name>.png, and the window cut
out of it and reduced to a small palette into res/help/hlpimg/<name>.png.

Run through scripts/help_pictures.sh (which builds and provides the display).
Names on the command line take only those pictures.
"""
import datetime
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tallybox as tb  # noqa: E402

PICTURES = os.path.join(tb.ROOT, "res", "help", "hlpimg")
DATA = os.path.join(tb.BUILD, "e2e-data", "help")
DRIVE = os.path.join(DATA, "drive-t")
IDS = tb.resource_ids()

# Colours kept per picture: dialogs are mostly grey and black; the main
# window has icons.
COLOURS = {"main": 48, "history": 48}


def archives_folder(session):
    """C:\\Auto Archives of the prefix, as a user's archives folder would be."""
    return os.path.join(session.prefix, "drive_c", "Auto Archives")


def day_archive(folder, day, entries):
    name = day.strftime("%B %d %Y.zip")
    path = os.path.join(folder, name)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data, when in entries:
            info = zipfile.ZipInfo(entry, date_time=when.timetuple()[:6])
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    stamp = time.mktime((day + datetime.timedelta(hours=18)).timetuple())
    os.utime(path, (stamp, stamp))
    return path


def text(size, seed):
    words = "the report for the quarter shows sales figures per region and month".split()
    out, i = [], seed
    while sum(len(w) + 1 for w in out) < size:
        out.append(words[i % len(words)])
        i = i * 7 + 3
    return " ".join(out).encode()


def three_days(session):
    """Three daily archives in C:\\Auto Archives; report.doc changes on the first and last day."""
    folder = archives_folder(session)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    today = datetime.datetime.now().replace(hour=0, minute=0, second=0, microsecond=0)
    days = [today - datetime.timedelta(days=n) for n in (3, 2, 1)]
    at = lambda day, h, m: day + datetime.timedelta(hours=h, minutes=m)  # noqa: E731
    paths = [
        day_archive(folder, days[0], [
            ("Documents/Reports/report.doc", text(24000, 1), at(days[0], 11, 5)),
            ("Documents/Reports/budget.xls", text(18000, 2), at(days[0], 14, 40)),
            ("Documents/letter.txt", text(2100, 3), at(days[0], 9, 12))]),
        day_archive(folder, days[1], [
            ("Documents/notes.txt", text(900, 4), at(days[1], 16, 2)),
            ("Pictures/Holiday/beach.jpg", os.urandom(60000), at(days[1], 10, 30))]),
        day_archive(folder, days[2], [
            ("Documents/Reports/report.doc", text(26500, 5), at(days[2], 17, 48)),
            ("Documents/Reports/summary.doc", text(8000, 6), at(days[2], 15, 20)),
            ("Documents/letter.txt", text(2400, 7), at(days[2], 12, 0))]),
    ]
    return folder, paths


def cut(session, shot, window, name):
    """The window cut out of the screen picture, with a small palette."""
    left, top, right, bottom = session.rect(window)
    os.makedirs(PICTURES, exist_ok=True)
    target = os.path.join(PICTURES, name + ".png")
    crop = "{}x{}+{}+{}".format(right - left, bottom - top, left, top)
    cropped = os.path.join(tb.SHOTS, "help-{}-crop.png".format(name))
    subprocess.run(["convert", shot, "-crop", crop, "+repage", "-strip", cropped], check=True)
    colours = str(COLOURS.get(name, 16))
    subprocess.run(["pngquant", "--force", "--strip", "--speed", "1", "--nofs", "--output", target, colours,
                    "--", cropped], check=True)
    print("{}: {}x{}, {} bytes".format(os.path.relpath(target, tb.ROOT), right - left, bottom - top,
                                       os.path.getsize(target)))
    size_in_pages(name, right - left, bottom - top)


def size_in_pages(name, width, height):
    """The pages that show the picture give its new size."""
    folder = os.path.join(tb.ROOT, "res", "help")
    pattern = re.compile(r'(<img src="hlpimg/{}\.png") width="\d+" height="\d+"'.format(re.escape(name)))
    for page in os.listdir(folder):
        if not page.endswith(".html"):
            continue
        path = os.path.join(folder, page)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        changed = pattern.sub(r'\1 width="{}" height="{}"'.format(width, height), text)
        if changed != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(changed)


def picture(session, name, window):
    shot = session.screenshot("help-" + name, window)
    cut(session, shot, window, name)


def start(session, settings, zips=None):
    """Starts the program on these settings; None: with no settings file, as a
    new user's first start."""
    if settings is None:
        session.write_ini(None)
    else:
        sections = {"Settings": settings}
        if zips:
            sections["Zips"] = {"Zip{}".format(i + 1): p for i, p in enumerate(zips)}
        session.write_ini(sections)
    session.start()
    frame = session.main_window()
    session.wait_until(lambda: session.visible(frame), what="the main window")
    return frame


def windows_name(session, path):
    return "C:\\" + os.path.relpath(path, os.path.join(session.prefix, "drive_c")).replace("/", "\\")


def main_window(session):
    _, paths = three_days(session)
    zips = [windows_name(session, p) for p in paths]
    frame = start(session, {"General": 3, "FrameLeft": 20, "FrameTop": 20, "FrameRight": 750, "FrameBottom": 389,
                            "DivPoint": 272, "ArcLocation": 152, "FileExt": 110, "FileSize": 100}, zips)
    pane = session.pane(frame)
    lines = session.settled_lines(pane, IDS["IDC_ARCHIVE_LIST"])
    newest = [i for i, line in enumerate(lines) if os.path.basename(paths[-1]) in line][0]
    session.list_archive(pane, newest)
    picture(session, "main", frame)
    session.terminate(frame)


def first_start(session):
    """The main window as a new user first sees it: no settings file, no archive."""
    frame = start(session, None)
    files = session.driver.call("descendant", frame, IDS["IDC_FILE_LIST"])
    session.wait_until(lambda: session.text(files).startswith("No archive yet."), what="the first start's hint")
    picture(session, "first", frame)
    session.terminate(frame)


def settings_sheet(session, page=0, name="settings"):
    # The Automatic page as the first start leaves it; the Location page with
    # a time, an alternate folder and folding filled in.
    first = None
    other = {"General": 0x1 | 0x2 | 0x4 | 0x8 | 0x40 | 0x400, "Time": "06:30:PM", "Interval": 4,
             "Sizelimit": 20000, "Prompts": 0x02, "LocationDir": "C:\\Auto Archives",
             "LocationDirAlt": "E:\\Archives", "ConsolidateDays": 60,
             "FrameLeft": 20, "FrameTop": 20, "FrameRight": 500, "FrameBottom": 400}
    frame = start(session, first if page == 0 else other)
    session.command(frame, IDS["ID_SETTINGS"])
    sheet = session.wait_dialog("Archive Settings")
    current = lambda: session.send(sheet, 0x0476)  # noqa: E731  PSM_GETCURRENTPAGEHWND
    first = session.wait_until(current, what="the first page")
    if page:
        session.post(sheet, 0x0465, page, 0)  # PSM_SETCURSEL
        session.wait_until(lambda: current() not in (0, first), what="the page")
    picture(session, name, sheet)
    session.click(sheet, 2)  # Cancel
    session.driver.call("wait-gone", sheet, 20000)
    session.terminate(frame)


def pending_dialog(session):
    shutil.rmtree(DRIVE, ignore_errors=True)
    for folder in ("Documents\\Reports", "Pictures"):
        os.makedirs(os.path.join(DRIVE, *folder.split("\\")))
    link = tb.link_drive(session.prefix, "t", DRIVE)
    try:
        folder = archives_folder(session)
        os.makedirs(folder, exist_ok=True)
        settings = {"General": 3, "Drives": 4, "CustomDriveList": "t", "Prompts": 0x01,
                    "FileTypes": ".DOC;.TXT;.XLS;.JPG;", "ExcludeTypes": ".TMP;",
                    "LocationDir": "C:\\Auto Archives", "FrameLeft": 20, "FrameTop": 20, "FrameRight": 500,
                    "FrameBottom": 400}
        session.write_ini({"Settings": settings, "Directories": {
            "Dir1": "T:\\", "Dir2": "T:\\Documents", "Dir3": "T:\\Documents\\Reports", "Dir4": "T:\\Pictures",
            "Dir5": ""}})
        session.start()
        frame = session.main_window()
        session.wait_watching()
        for relative, data in [("Documents\\Reports\\report.doc", text(26000, 1)),
                               ("Documents\\Reports\\summary.doc", text(8000, 2)),
                               ("Documents\\letter.txt", text(2000, 3)),
                               ("Documents\\Reports\\~report.tmp", text(500, 4)),
                               ("Pictures\\beach.jpg", os.urandom(5000))]:
            with open(os.path.join(DRIVE, *relative.split("\\")), "wb") as f:
                f.write(data)
        session.command(frame, IDS["ID_ARCHIVE_NOW"])
        dialog = session.wait_dialog("Files that have changed since your last automatic archive.", 60000)
        session.wait_until(lambda: len(session.lines(dialog, IDS["IDC_PA_LIST"])) == 5, what="the five files")
        picture(session, "pending", dialog)
        session.click(dialog, IDS["IDC_PA_LATER"])
        session.driver.call("wait-gone", dialog, 20000)
        session.terminate(frame)
    finally:
        os.remove(link)


def file_history(session):
    folder, _ = three_days(session)
    frame = start(session, {"General": 3, "LocationDir": "C:\\Auto Archives", "FrameLeft": 20, "FrameTop": 20,
                            "FrameRight": 500, "FrameBottom": 400})
    session.command(frame, IDS["ID_FILE_HISTORY"])
    dialog = session.wait_dialog("File History")
    session.driver.call("settext", dialog, IDS["IDC_FH_PATTERN"], "*.doc")
    session.click(dialog, IDS["IDC_FH_SEARCH"])
    session.wait_until(lambda: len(session.lines(dialog, IDS["IDC_FH_LIST"])) >= 5, timeout=60, what="the versions")
    session.select(dialog, IDS["IDC_FH_LIST"], 1)
    picture(session, "history", dialog)
    session.click(dialog, 2)  # Close
    session.driver.call("wait-gone", dialog, 20000)
    session.terminate(frame)
    shutil.rmtree(folder, ignore_errors=True)


SCENES = {"first": first_start, "main": main_window, "settings": settings_sheet, "pending": pending_dialog, "history": file_history,
          "location": lambda session: settings_sheet(session, 1, "location")}


def has_file_history():
    return "ID_FILE_HISTORY" in IDS


def run():
    wanted = sys.argv[1:] or [name for name in SCENES if name != "history" or has_file_history()]
    if not sys.argv[1:] and "IDC_LOC_CONSOLIDATE" not in IDS:
        wanted.remove("location")  # the page shows only two folders without the folding box
    for name in wanted:
        session = tb.Session()
        try:
            SCENES[name](session)
            session.wait_until(lambda: not session.window_exists(tb.WINDOW_CLASS), what="the program to end")
        finally:
            session.close()
    shutil.rmtree(DATA, ignore_errors=True)


if __name__ == "__main__":
    run()
