#!/usr/bin/env python3
"""The main job never loses a version: a short fixed-seed run of the
randomized test (mainjob_model) through the real program under Wine, with
runs by command and by the schedule, locked files, changes while a run goes
and runs killed while writing. Its figures are printed whether it passes or
not; scripts/mainjob-model.sh runs the long version."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mainjob_model  # noqa: E402
import model_checker  # noqa: E402

SEED = 22
ROUNDS = 15


class MainJobModel(unittest.TestCase):
    def test_every_version_of_a_chosen_type_reaches_an_archive(self):
        report = mainjob_model.run(SEED, ROUNDS, log=lambda line: print(line, flush=True))
        print(model_checker.format_report(report), flush=True)
        # The 3 MB file of a killed round keeps the run writing long enough to be seen.
        self.assertTrue(any(run.killed_while_writing for run in report["runs"]), "no run was killed while writing")
        self.assertGreater(sum(report["total"].values()), 0, "no run had anything to take")
        self.assertEqual(model_checker.failures(report), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
