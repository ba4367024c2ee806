#!/usr/bin/env bash
# Takes the pictures of the help pages again from the real program (under Wine
# on an Xvfb display when there is none) into res/help/hlpimg/, small: each
# window cut out of the screen and reduced to a few colours. The full screen
# pictures stay in build/shots/help-*.png. Commit the pictures it changed.
#   bash scripts/help_pictures.sh [main|settings|pending|history ...]
. "$(dirname "${BASH_SOURCE[0]}")/prepare.sh"
python3 tests/e2e/help_pictures.py "$@"
echo "Help pictures: $(find res/help/hlpimg -type f -printf '%s\n' | awk '{n += $1} END {print n}') bytes"
