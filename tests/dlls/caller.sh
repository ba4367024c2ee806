#!/usr/bin/env bash
# The three DLLs loaded by their full paths from a program in a folder that
# holds only itself: through them it adds files to an archive, builds a
# self-extracting program and lists the archive (DllCaller.cpp). The archive is
# then tested by Info-ZIP and Python, the listing compared with Python's, and
# the program run under Wine must give back the files. The thin DLLs without
# DUNZIP32.dll beside them answer every call with their failure code.
#   Usage: caller.sh <dllcaller.exe> <dist folder> <work folder>
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
wine_run="$root/scripts/wine-run.sh"
dist="$(cd "$2" && pwd)"
rm -rf "$3"
mkdir -p "$3/caller" "$3/in" "$3/nocore"
work="$(cd "$3" && pwd)"
cp "$1" "$work/caller/"
caller="$work/caller/$(basename "$1")"

. "$root/tests/checks.sh"

python3 - "$work/in" <<'PY'
import os, random, sys
random.seed(21)
folder = sys.argv[1]
words = [b'tally ', b'box ', b'ledger ', b'zip\n']
open(os.path.join(folder, 'notes.txt'), 'wb').write(b''.join(random.choice(words) for _ in range(20000)))
open(os.path.join(folder, 'noise.bin'), 'wb').write(bytes(random.getrandbits(8) for _ in range(70000)))
open(os.path.join(folder, 'empty.txt'), 'wb').close()
PY
files=("$(win "$work/in/notes.txt")" "$(win "$work/in/noise.bin")" "$(win "$work/in/empty.txt")")

check "the caller's folder holds only the caller" test "$(ls "$work/caller")" = "$(basename "$1")"
check "through the three DLLs: added, built and listed" \
    bash -c "'$wine_run' '$caller' '$(win "$dist")' '$(win "$work/made.zip")' '$(win "$work/made.exe")' \
        ${files[*]@Q} > '$work/listed.txt'"
check "unzip -t accepts the archive" unzip -tq "$work/made.zip"
check "the listing through dunzip is Python's listing" python3 - "$work" <<'PY'
import sys, zipfile
work = sys.argv[1]
with zipfile.ZipFile(work + '/made.zip') as z:
    assert z.testzip() is None
    expected = sorted('%s\t%d\t%08x' % (i.filename, i.file_size, i.CRC) for i in z.infolist())
listed = sorted(line.rstrip('\r\n') for line in open(work + '/listed.txt', encoding='utf-8') if line.strip())
assert listed == expected, (listed, expected)
assert sorted(n for n in zipfile.ZipFile(work + '/made.zip').namelist()) == ['empty.txt', 'noise.bin', 'notes.txt']
PY
check "unzip -t accepts the self-extracting program" unzip -tq "$work/made.exe"
check "the self-extracting program gives back the files" bash -c \
    "'$wine_run' '$work/made.exe' /s '/d=$(win "$work/out")' && diff -r '$work/in' '$work/out'"

# The thin DLLs alone: the core cannot be found, and nothing breaks.
cp "$dist/DZIP32.dll" "$dist/adfactry.dll" "$work/nocore/"
check "without DUNZIP32.dll every call fails with its code and writes nothing" \
    "$wine_run" "$caller" --no-core "$(win "$work/nocore")" "$(win "$work/lost.zip")" "$(win "$work/lost.exe")" \
        "${files[@]}"

checks_done
