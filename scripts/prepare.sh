# Sourced by the commands that run the program or its tests: installs what is
# missing, builds, makes sure there is a display (Xvfb when none is set) and the
# build tree's Wine prefix, and takes down on exit what it started.
#   . scripts/prepare.sh     then TB_ROOT, DISPLAY and the Wine variables are set
set -euo pipefail
TB_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$TB_ROOT"

bash scripts/setup.sh
bash scripts/build.sh

. scripts/display.sh
. scripts/wine-env.sh
TB_OWN_DISPLAY=0
[ -z "${DISPLAY:-}" ] && TB_OWN_DISPLAY=1
tb_display
trap 'wineserver -k >/dev/null 2>&1 || true; tb_display_stop' EXIT
tb_wine_prefix
