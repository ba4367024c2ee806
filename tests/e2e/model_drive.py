"""A model of a test drive for the randomized test of the main job: the folders
and files it holds, every version (path and content) a file ever had, and the
seeded random operations a user's programs make on it, applied to the real
folder behind the drive letter.

A version is identified by its path relative to the drive's root (folders
separated by "/", as an archive stores it) and its content's CRC-32 and size.
"""
import os
import zlib

# The types the program is told to archive, and the ones it is not: some
# excluded, some in neither list (left out, never learned: no questions).
CHOSEN_TYPES = [".txt", ".doc", ".pdf", ".xls", ".docx", ".PDF"]
EXCLUDED_TYPES = [".tmp", ".log", ".bak"]
UNLISTED_TYPES = [".xyz", ".dat"]
UNWATCHED_TYPES = EXCLUDED_TYPES + UNLISTED_TYPES

FILE_STEMS = ["report", "résumé", "日本語 メモ", "plan  two spaces", "Übersicht", "x", "Ωmega notes"]
FOLDER_STEMS = ["Docs", "Berichte ä", "深い", "a b c", "Projekt 2026", "Ωmega", "notes"]
MAX_DEPTH = 9

# The tree the drive starts with: one branch already six levels deep.
INITIAL_FOLDERS = ["Docs", "Docs/Reports", "Docs/Reports/2026", "Docs/Reports/2026/Q1",
                   "Docs/Reports/2026/Q1/week 1", "Docs/Reports/2026/Q1/week 1/day 1",
                   "Projekt ä", "Projekt ä/深い", "Leer"]


def extension(path):
    name = path.rsplit("/", 1)[-1]
    return name[name.rfind("."):] if "." in name else ""


def is_chosen(path):
    return extension(path).upper() in {t.upper() for t in CHOSEN_TYPES}


def depth_of(path):
    """How many folders lie between the drive's root and the file."""
    return path.count("/")


class Version:
    """One content of one path, and how it came to be."""
    __slots__ = ("path", "crc", "size", "op", "number")

    def __init__(self, path, crc, size, op, number):
        self.path, self.crc, self.size, self.op, self.number = path, crc, size, op, number

    @property
    def key(self):
        return (self.path, self.crc, self.size)

    @property
    def depth(self):
        return depth_of(self.path)


class DriveModel:
    """The drive as the test made it. Every operation goes through here, so
    the model always equals the folder; `touched` (when not None) collects
    the paths changed since it was set, `locked` the paths that may not be
    changed now."""

    def __init__(self, root, rng):
        self.root = root
        self.rng = rng
        self.folders = [""]
        self.files = {}
        self.versions = []
        self.versions_by_path = {}
        self.locked = set()
        self.touched = None
        self.counter = 0

    # ---- the folder behind the drive ------------------------------------------------------
    def real(self, path):
        return os.path.join(self.root, *path.split("/")) if path else self.root

    def make_initial_tree(self):
        for folder in INITIAL_FOLDERS:
            os.makedirs(self.real(folder), exist_ok=True)
            self.folders.append(folder)

    def present(self):
        """{path: version} of every file on the drive now."""
        return dict(self.files)

    def _touch(self, *paths):
        if self.touched is not None:
            self.touched.update(paths)

    def _record(self, path, op):
        with open(self.real(path), "rb") as f:
            data = f.read()
        self.counter += 1
        version = Version(path, zlib.crc32(data) & 0xFFFFFFFF, len(data), op, self.counter)
        self.files[path] = version
        self.versions.append(version)
        self.versions_by_path.setdefault(path, set()).add((version.crc, version.size))
        self._touch(path)
        return version

    def _content(self, size):
        """`size` bytes, different from every content written before (a header
        with a counter), compressible in the larger sizes."""
        self.counter += 1
        header = "version {} of this test\n".format(self.counter).encode()
        if size == 0:
            return b""
        if size <= 64 * 1024:
            body = self.rng.randbytes(max(0, size - len(header)))
        else:
            block = self.rng.randbytes(4096)
            body = (block * (size // 4096 + 1))[:size - len(header)]
        return (header + body)[:size] if size >= len(header) else header[:size]

    def _random_size(self):
        roll = self.rng.random()
        if roll < 0.08:
            return 0
        if roll < 0.78:
            return self.rng.randint(1, 4000)
        if roll < 0.96:
            return self.rng.randint(10000, 200000)
        return self.rng.randint(500000, 3000000)

    def _new_name(self, types):
        self.counter += 1
        return "{} {}{}".format(self.rng.choice(FILE_STEMS), self.counter, self.rng.choice(types))

    def _join(self, folder, name):
        return folder + "/" + name if folder else name

    def _level(self, folder):
        """0 for the root, 1 for a first-level folder, and so on."""
        return depth_of(folder) + 1 if folder else 0

    def _pick_folder(self, deepest=MAX_DEPTH):
        """A level first, then a folder of that level: every level as often,
        however many folders the deep ones hold."""
        levels = sorted({self._level(f) for f in self.folders if self._level(f) <= deepest})
        level = self.rng.choice(levels)
        return self.rng.choice([f for f in self.folders if self._level(f) == level])

    def _free_files(self, chosen=None):
        return [p for p in self.files if p not in self.locked and (chosen is None or is_chosen(p) == chosen)]

    # ---- operations -------------------------------------------------------------------------
    def write_new(self, folder, types, op, size=None, data=None):
        path = self._join(folder, self._new_name(types))
        with open(self.real(path), "wb") as f:
            f.write(data if data is not None else self._content(self._random_size() if size is None else size))
        return self._record(path, op)

    def create(self):
        types = CHOSEN_TYPES if self.rng.random() < 0.65 else UNWATCHED_TYPES
        return "create", self.write_new(self._pick_folder(), types, "create")

    def create_big(self, size):
        """An incompressible chosen file that takes the archive a while to
        write, where every run looks: the root or a first-level folder."""
        path = self._join(self._pick_folder(deepest=1), self._new_name([".pdf"]))
        with open(self.real(path), "wb") as f:
            f.write(self._content(0) + self.rng.randbytes(size))
        return self._record(path, "create")

    def rewrite(self):
        candidates = self._free_files()
        if not candidates:
            return self.create()
        path = self.rng.choice(candidates)
        with open(self.real(path), "wb") as f:
            f.write(self._content(self._random_size()))
        return "rewrite", self._record(path, "rewrite")

    def append(self):
        candidates = self._free_files()
        if not candidates:
            return self.create()
        path = self.rng.choice(candidates)
        with open(self.real(path), "ab") as f:
            f.write(self._content(self.rng.randint(30, 3000)))
        return "append", self._record(path, "append")

    def _move(self, old, new, op):
        os.rename(self.real(old), self.real(new))
        del self.files[old]
        self._touch(old)
        return op, self._record(new, op)

    def rename(self):
        candidates = self._free_files()
        if not candidates:
            return self.create()
        old = self.rng.choice(candidates)
        folder = old.rsplit("/", 1)[0] if "/" in old else ""
        types = CHOSEN_TYPES if self.rng.random() < 0.7 else UNWATCHED_TYPES
        return self._move(old, self._join(folder, self._new_name(types)), "rename")

    def move(self):
        candidates = self._free_files()
        if not candidates:
            return self.create()
        old = self.rng.choice(candidates)
        target = self._pick_folder()
        new = self._join(target, old.rsplit("/", 1)[-1])
        if new in self.files:
            new = self._join(target, self._new_name([extension(old)]))
        return self._move(old, new, "move")

    def rename_to_watched(self):
        """An unwatched name becomes a watched one (a program saving under a
        temporary name, then renaming), or a watched one goes back."""
        to_watched = self.rng.random() < 0.6
        candidates = self._free_files(chosen=not to_watched)
        if not candidates:
            return self.create()
        old = self.rng.choice(candidates)
        stem = old[:len(old) - len(extension(old))]
        new = stem + self.rng.choice(CHOSEN_TYPES if to_watched else UNWATCHED_TYPES)
        if new in self.files:
            return self.create()
        return self._move(old, new, "rename-to-watched" if to_watched else "rename-to-unwatched")

    def delete(self):
        candidates = self._free_files()
        if not candidates:
            return self.create()
        path = self.rng.choice(candidates)
        os.remove(self.real(path))
        del self.files[path]
        self._touch(path)
        return "delete", None

    def new_folders_with_file(self):
        """One to three new nested folders and, at the same moment, a file in the deepest."""
        folder = self._pick_folder()
        for _ in range(self.rng.randint(1, 3)):
            if self._level(folder) >= MAX_DEPTH:
                break
            self.counter += 1
            folder = self._join(folder, "{} {}".format(self.rng.choice(FOLDER_STEMS), self.counter))
            os.mkdir(self.real(folder))
            self.folders.append(folder)
        return "new-folder", self.write_new(folder, CHOSEN_TYPES, "new-folder")

    def empty_folder(self):
        folder = self._pick_folder()
        if self._level(folder) >= MAX_DEPTH:
            return self.create()
        self.counter += 1
        folder = self._join(folder, "{} {}".format(self.rng.choice(FOLDER_STEMS), self.counter))
        os.mkdir(self.real(folder))
        self.folders.append(folder)
        return "mkdir", None

    OPERATIONS = [("create", 24), ("rewrite", 12), ("append", 10), ("rename", 6), ("move", 6),
                  ("rename_to_watched", 5), ("delete", 6), ("new_folders_with_file", 12), ("empty_folder", 3)]

    def random_op(self):
        names = [name for name, _ in self.OPERATIONS]
        weights = [weight for _, weight in self.OPERATIONS]
        return getattr(self, self.rng.choices(names, weights)[0])()

    def lock_candidates(self, count):
        candidates = self._free_files(chosen=True)
        self.rng.shuffle(candidates)
        return candidates[:count]
