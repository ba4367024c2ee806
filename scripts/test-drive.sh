#!/usr/bin/env bash
# Gives the build tree's Wine prefix a drive of its own for tests and benchmarks:
# a link in dosdevices to a folder, which Wine reports as a fixed disk.
#   test-drive.sh link LETTER FOLDER    (creates FOLDER when missing)
#   test-drive.sh unlink LETTER
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
tb_wine_prefix

letter="$(printf '%s' "${2:?drive letter}" | tr 'A-Z' 'a-z')"
case "$letter" in
    [a-y]) ;;
    *) echo "test-drive.sh: drive $letter: is not for tests" >&2; exit 2 ;;
esac
link="$WINEPREFIX/dosdevices/$letter:"

case "${1:-}" in
    link)
        folder="${3:?folder}"
        mkdir -p "$folder"
        ln -sfn "$(cd "$folder" && pwd)" "$link"
        ;;
    unlink)
        if [ -L "$link" ]; then rm -f "$link"; fi
        ;;
    *)
        echo "usage: test-drive.sh link LETTER FOLDER | unlink LETTER" >&2
        exit 2
        ;;
esac
