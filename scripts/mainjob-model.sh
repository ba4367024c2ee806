#!/usr/bin/env bash
# The randomized test of the main job, long: the real program under Wine, a
# seeded sequence of file operations on a test drive and runs of the automatic
# archive (by command, by the schedule, killed while writing), then the figures:
# versions required, archived, archived late and missed, by depth and by
# operation. Run scripts/build.sh first.
#
#   bash scripts/mainjob-model.sh [SEED] [ROUNDS] [on|off]
#
# SEED defaults to 22, ROUNDS to 220 (a run each, every seventh one killed),
# the last argument is Wine's virtual desktop: on as scripts/wine-env.sh sets
# the prefix up, off in a copy of that prefix without it.
set -euo pipefail
SEED="${1:-22}"
ROUNDS="${2:-220}"
DESKTOP="${3:-on}"
TB_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TB_BUILD="${TB_BUILD:-$TB_ROOT/build}"
. "$TB_ROOT/scripts/display.sh"
. "$TB_ROOT/scripts/wine-env.sh"
trap tb_display_stop EXIT
tb_display
tb_wine_prefix
python3 "$TB_ROOT/tests/e2e/mainjob_model.py" --seed "$SEED" --rounds "$ROUNDS" --desktop "$DESKTOP"
