"""The checker of the randomized test of the main job: what the archive folder
holds after each completed run, which versions each run had to take, and
whether they reached an archive with the right content.

A completed run has to take every version of a chosen type that was on the
drive when the run was asked for and that nothing touched (or held locked)
until it ended: that version must be in the archives as they stand after that
run (on time) or after a later one (late). A killed run has no requirement of
its own; what it should have taken, the next completed run has to take.
"""
import collections
import os
import subprocess
import zipfile

import model_drive


def entry_path(info):
    """An entry's name as text: UTF-8 when flagged so, otherwise the bytes
    read back as UTF-8 when they are (a name stored in the program's UTF-8
    code page without the flag), else as code page 437."""
    if info.flag_bits & 0x800:
        return info.filename
    try:
        return info.filename.encode("cp437").decode("utf-8")
    except (UnicodeEncodeError, UnicodeDecodeError):
        return info.filename


def is_temporary(name):
    return not name.lower().endswith(".zip")


class ArchiveFolder:
    """The archive folder as read after a run: the entries of every archive,
    each archive tested with unzip -t when it changed."""

    def __init__(self, folder):
        self.folder = folder
        self.tested = {}
        self.corrupt = set()
        self.empty = set()

    def read(self):
        """{(path, crc, size)}, [(archive, path) of every entry]."""
        versions, entries = set(), []
        for name in sorted(os.listdir(self.folder)):
            full = os.path.join(self.folder, name)
            if is_temporary(name) or not os.path.isfile(full):
                continue
            self._test(name, full)
            try:
                with zipfile.ZipFile(full) as z:
                    for info in z.infolist():
                        if info.is_dir():
                            continue
                        path = entry_path(info)
                        versions.add((path, info.CRC, info.file_size))
                        entries.append((name, path))
            except (zipfile.BadZipFile, OSError):
                self.corrupt.add(name)
        return versions, entries

    def _test(self, name, full):
        stamp = (os.path.getmtime(full), os.path.getsize(full))
        if self.tested.get(name) == stamp:
            return
        self.tested[name] = stamp
        result = subprocess.run(["unzip", "-tqq", full], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode == 0:
            return
        # unzip warns about an archive without entries: well formed, but worth telling.
        try:
            with zipfile.ZipFile(full) as z:
                if not z.infolist():
                    self.empty.add(name)
                    return
        except (zipfile.BadZipFile, OSError):
            pass
        self.corrupt.add(name)

    def temporary_files(self):
        return sorted(n for n in os.listdir(self.folder) if is_temporary(n))


class Run:
    """One run as the test saw it."""

    def __init__(self, number, kind):
        self.number = number
        self.kind = kind
        self.completed = False
        self.killed_while_writing = False
        self.required = []
        self.snapshot = None  # index into the checker's snapshots, for a completed run
        self.boxes = 0


class Checker:
    def __init__(self, archive_folder):
        self.archives = ArchiveFolder(archive_folder)
        self.runs = []
        self.snapshots = []  # versions in the archives after each completed run
        self.entries = []  # every (archive, path) seen in any snapshot
        self.required_versions = {}  # key -> (version, run) of the first run that had to take it

    def begin(self, kind):
        run = Run(len(self.runs) + 1, kind)
        self.runs.append(run)
        return run

    def completed(self, run, present_at_start, touched, locked):
        """Records a completed run: the versions it had to take, and the
        archives as they stand now."""
        run.completed = True
        for path, version in present_at_start.items():
            if path in touched or path in locked or not model_drive.is_chosen(path):
                continue
            if version.key not in self.required_versions:
                self.required_versions[version.key] = (version, run)
                run.required.append(version)
        versions, entries = self.archives.read()
        run.snapshot = len(self.snapshots)
        self.snapshots.append(versions)
        self.entries.extend(entries)

    def first_snapshot_holding(self, key):
        for index, versions in enumerate(self.snapshots):
            if key in versions:
                return index
        return None

    def verdicts(self):
        """[(version, run, verdict)] with verdict "archived", "late" or "missed"."""
        out = []
        for version, run in self.required_versions.values():
            first = self.first_snapshot_holding(version.key)
            if first is None:
                verdict = "missed"
            elif first > run.snapshot:
                verdict = "late"
            else:
                verdict = "archived"
            out.append((version, run, verdict))
        return out

    def report(self, model):
        verdicts = self.verdicts()
        per_run = collections.defaultdict(collections.Counter)
        by_depth = collections.defaultdict(collections.Counter)
        by_op = collections.defaultdict(collections.Counter)
        for version, run, verdict in verdicts:
            per_run[run.number][verdict] += 1
            bucket = min(version.depth, 6)
            by_depth[bucket][verdict] += 1
            by_op[version.op][verdict] += 1
        unwatched = sorted({(a, p) for a, p in self.entries if not model_drive.is_chosen(p)})
        wrong = sorted({(p, crc, size) for versions in self.snapshots for p, crc, size in versions
                        if (crc, size) not in model.versions_by_path.get(p, set())})
        total = collections.Counter(verdict for _, _, verdict in verdicts)
        return {
            "runs": self.runs, "per_run": per_run, "by_depth": by_depth, "by_op": by_op, "total": total,
            "missed": sorted(((v, r) for v, r, verdict in verdicts if verdict == "missed"),
                             key=lambda item: item[0].number),
            "versions_made": len(model.versions),
            "unwatched": unwatched, "wrong": wrong,
            "corrupt": sorted(self.archives.corrupt), "empty": sorted(self.archives.empty),
            "temporary": self.archives.temporary_files(),
            "deepest": max(model_drive.depth_of(f + "/x") for f in model.folders),
        }


def format_report(report, limit=40):
    lines = ["run  kind              required archived late missed"]
    for run in report["runs"]:
        counts = report["per_run"].get(run.number, collections.Counter())
        state = "" if run.completed else ("  killed while writing" if run.killed_while_writing else "  killed")
        lines.append("{:>3}  {:<16} {:>8} {:>8} {:>4} {:>6}{}{}".format(
            run.number, run.kind, len(run.required), counts["archived"], counts["late"], counts["missed"], state,
            "  message box!" if run.boxes else ""))
    runs = report["runs"]
    total = report["total"]
    lines.append("runs {} (completed {}, killed {}, {} of them while writing); deepest folder level {}".format(
        len(runs), sum(r.completed for r in runs), sum(not r.completed for r in runs),
        sum(r.killed_while_writing for r in runs), report["deepest"]))
    lines.append("versions made {}, required {}, archived {}, archived late {}, missed {}".format(
        report["versions_made"], sum(total.values()), total["archived"], total["late"], total["missed"]))

    def spread(table, name):
        parts = ["{} {}: {} of {} missed".format(name, key, c["missed"], sum(c.values()))
                 for key, c in sorted(table.items(), key=lambda kv: str(kv[0]))]
        return "; ".join(parts)
    lines.append("by depth (folders below the root, 6 = six or more): " + spread(report["by_depth"], "depth"))
    lines.append("by operation: " + spread(report["by_op"], "op"))
    lines.append("corrupt archives {}; temporary files left {}; entries of unwatched types {}; "
                 "entries with content never written {}; runs with a message box {}; "
                 "archives written without entries {}".format(
                     len(report["corrupt"]), len(report["temporary"]), len(report["unwatched"]),
                     len(report["wrong"]), sum(1 for r in runs if r.boxes), len(report["empty"])))
    for version, run in report["missed"][:limit]:
        lines.append("  missed: {} (depth {}, {}, required at run {})".format(
            version.path, version.depth, version.op, run.number))
    if len(report["missed"]) > limit:
        lines.append("  ... and {} more".format(len(report["missed"]) - limit))
    for item in report["corrupt"] + report["temporary"]:
        lines.append("  archive folder: " + item)
    for archive, path in report["unwatched"][:limit]:
        lines.append("  unwatched type archived: {} in {}".format(path, archive))
    for path, crc, size in report["wrong"][:limit]:
        lines.append("  content never written: {} ({} bytes, crc {:08x})".format(path, size, crc))
    return "\n".join(lines)


def failures(report):
    """What makes the test fail, as short texts; empty when it passes."""
    out = []
    if report["total"]["missed"]:
        out.append("{} versions missed".format(report["total"]["missed"]))
    for key, what in (("corrupt", "corrupt archives"), ("temporary", "temporary files left"),
                      ("unwatched", "entries of unwatched types"), ("wrong", "entries with wrong content")):
        if report[key]:
            out.append("{} {}".format(len(report[key]), what))
    boxes = sum(1 for r in report["runs"] if r.boxes)
    if boxes:
        out.append("{} runs showed a message box".format(boxes))
    return out
