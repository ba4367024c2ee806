#!/usr/bin/env python3
"""Makes the change tracking benchmark's drive: TOP first-level directories,
each with MIDDLE second-level ones, each with BOTTOM third-level ones, and
FILES small files in every directory (the root included). Names: Txx, Mxx,
Bxx, fNN.txt. A marker file records the shape; a tree of the same shape is
kept as it is."""

import os
import sys


def make(folder, top, middle, bottom, files):
    shape = "%d %d %d %d\n" % (top, middle, bottom, files)
    marker = os.path.join(folder, ".shape")
    if os.path.exists(marker) and open(marker).read() == shape:
        return
    os.makedirs(folder, exist_ok=True)

    def fill(directory):
        for n in range(files):
            with open(os.path.join(directory, "f%02d.txt" % n), "w") as out:
                out.write("benchmark file %d\n" % n)

    fill(folder)
    for t in range(top):
        first = os.path.join(folder, "T%02d" % t)
        os.makedirs(first, exist_ok=True)
        fill(first)
        for m in range(middle):
            second = os.path.join(first, "M%02d" % m)
            os.makedirs(second, exist_ok=True)
            fill(second)
            for b in range(bottom):
                third = os.path.join(second, "B%02d" % b)
                os.makedirs(third, exist_ok=True)
                fill(third)
    with open(marker, "w") as out:
        out.write(shape)


if __name__ == "__main__":
    folder, top, middle, bottom, files = sys.argv[1], *map(int, sys.argv[2:6])
    make(folder, top, middle, bottom, files)
