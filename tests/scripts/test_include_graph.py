#!/usr/bin/env python3
"""scripts/include_graph.py on small made-up source trees: one way passes, a
cycle between two folders fails and names the includes, so does an include of
app/ from below."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                      "scripts", "include_graph.py")


def make_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as f:
            f.write(text)


def run(root):
    done = subprocess.run([sys.executable, SCRIPT, "--root", root], capture_output=True, text=True)
    return done.returncode, done.stdout


class IncludeGraph(unittest.TestCase):
    def test_includes_that_point_down_pass(self):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, {
                "framework/Window.h": "#pragma once\n",
                "common/Settings.h": '#include "framework/Window.h"\n',
                "monitor/Monitor.cpp": '#include "common/Settings.h"\n#include <windows.h>\n',
                "app/Main.cpp": '#include "monitor/Monitor.h"\n#include "common/Settings.h"\n',
                "tests/unit/AppTests.cpp": '#include "app/Main.h"\n',  # tests are no layer
            })
            code, out = run(root)
            self.assertEqual(code, 0, out)
            self.assertIn("monitor      -> common (1)", out)
            self.assertIn("0: framework", out)
            self.assertIn("3: app", out)
            self.assertNotIn("tests", out)

    def test_a_cycle_between_folders_fails_and_names_the_includes(self):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, {
                "browser/View.h": '#include "autoarchive/Run.h"\n',
                "autoarchive/Run.cpp": '#include "monitor/List.h"\n',
                "monitor/List.cpp": '  #  include "browser/View.h"\n',
                "common/Clock.h": "#pragma once\n",
            })
            code, out = run(root)
            self.assertEqual(code, 1, out)
            self.assertIn("cycle between autoarchive, browser, monitor", out)
            self.assertIn('monitor/List.cpp includes "browser/View.h"', out)
            self.assertNotIn("common", out.split("do not point one way")[1])

    def test_an_include_of_app_from_below_fails(self):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, {
                "app/Globals.h": "#pragma once\n",
                "settings/Page.cpp": '#include "app/Globals.h"\n',
            })
            code, out = run(root)
            self.assertEqual(code, 1, out)
            self.assertIn("app/ is the top layer, but settings includes it", out)


if __name__ == "__main__":
    unittest.main(verbosity=2)
