#!/usr/bin/env python3
"""Prints which top-level folders of the program include which, and fails when
the includes do not point one way.

The program's folders are layers: framework/ and ziplib/ at the bottom, common/
above them, the subsystems above common/, and app/ alone at the top. An include
that closes a cycle between two folders, or any include of app/ from another
folder, makes this script exit with status 1 and name the includes at fault.

    python3 scripts/include_graph.py [--root DIR]
"""
import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".rc")
# Folders that are not part of the program's layers.
NOT_LAYERS = {"tests", "bench", "cmake", "scripts", "build", "build-native", "third_party"}
TOP = "app"
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def layer_folders(root):
    folders = []
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if name.startswith(".") or name in NOT_LAYERS or name.startswith("build") or not os.path.isdir(path):
            continue
        if any(f.endswith(SOURCE_SUFFIXES) for _, _, files in os.walk(path) for f in files):
            folders.append(name)
    return folders


def collect_edges(root, folders):
    """{(from, to): [(file, included), ...]} for includes between different folders."""
    known = set(folders)
    edges = {}
    for folder in folders:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for included in INCLUDE.findall(text):
                    target = included.split("/", 1)[0]
                    if "/" not in included or target not in known or target == folder:
                        continue
                    edges.setdefault((folder, target), []).append((os.path.relpath(path, root), included))
    return edges


def strongly_connected(folders, edges):
    """Tarjan's algorithm: the groups of folders that reach each other."""
    successors = {f: sorted({b for (a, b) in edges if a == f}) for f in folders}
    index, low, on_stack, stack, groups = {}, {}, set(), [], []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in successors[node]:
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            groups.append(sorted(group))

    for folder in folders:
        if folder not in index:
            visit(folder)
    return groups


def layers(folders, edges):
    """Folders by height: 0 includes no other folder; each one sits above all it includes."""
    height = {}

    def measure(folder, seen=()):
        if folder in height:
            return height[folder]
        below = [b for (a, b) in edges if a == folder and b not in seen]
        height[folder] = 1 + max((measure(b, seen + (folder,)) for b in below), default=-1)
        return height[folder]

    for folder in folders:
        measure(folder)
    return height


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    args = parser.parse_args()

    folders = layer_folders(args.root)
    edges = collect_edges(args.root, folders)

    print("Folder include graph (folder -> folders it includes, with the number of includes):")
    for folder in folders:
        targets = sorted(b for (a, b) in edges if a == folder)
        shown = ", ".join("{} ({})".format(t, len(edges[(folder, t)])) for t in targets) or "-"
        print("  {:<12} -> {}".format(folder, shown))

    faults = []
    for group in strongly_connected(folders, edges):
        if len(group) < 2:
            continue
        faults.append("cycle between " + ", ".join(group) + ":")
        for (a, b), sites in sorted(edges.items()):
            if a in group and b in group:
                faults.extend("    {} includes \"{}\"".format(path, inc) for path, inc in sites)
    for (a, b), sites in sorted(edges.items()):
        if b == TOP:
            faults.append("{}/ is the top layer, but {} includes it:".format(TOP, a))
            faults.extend("    {} includes \"{}\"".format(path, inc) for path, inc in sites)

    if faults:
        print("\nThe includes do not point one way:")
        for line in faults:
            print("  " + line)
        return 1

    height = layers(folders, edges)
    print("\nLayers, bottom first:")
    for level in range(max(height.values(), default=-1) + 1):
        print("  {}: {}".format(level, ", ".join(sorted(f for f in folders if height[f] == level))))
    print("No include cycle between folders; nothing includes {}/.".format(TOP))
    return 0


if __name__ == "__main__":
    sys.exit(main())
