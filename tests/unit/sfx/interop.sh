#!/usr/bin/env bash
# Self-extracting programs with Info-ZIP, 7-Zip and Python: programs built by
# adfactry.dll from their archives are tested by unzip and 7z as archives, and
# run under Wine with /s /d= (and /p=) they give back the very tree the archive
# was made from. Starts from an empty work folder it makes itself.
#   Usage: interop.sh <sfxbuild.exe> <work folder>
set -euo pipefail
helper="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
root="$(cd "$(dirname "$0")/../../.." && pwd)"
wine_run="$root/scripts/wine-run.sh"
rm -rf "$2"
mkdir -p "$2"
work="$(cd "$2" && pwd)"
cd "$work"

. "$root/tests/checks.sh"
build() { "$wine_run" "$helper" "$(win "$work/$1")" "$(win "$work/$2")"; }
# run <program> <expected exit code> <switches...>
run() {
    local program="$1" expected="$2" code=0
    shift 2
    "$wine_run" "$work/$program" "$@" || code=$?
    [ "$code" -eq "$expected" ] || { echo "exit code $code, expected $expected"; return 1; }
}
export helper wine_run work
export -f build run win

python3 - <<'PY'
import os, random
random.seed(15)
os.makedirs('in/sub/deeper', exist_ok=True)
os.makedirs('in/emptyfolder', exist_ok=True)
words = [b'tally ', b'box ', b'ledger ', b'zip\n']
open('in/text.txt', 'wb').write(b''.join(random.choice(words) for _ in range(60000)))
open('in/binary.bin', 'wb').write(bytes(random.getrandbits(8) for _ in range(300000)))
open('in/empty.txt', 'wb').close()
open('in/sub/r\u00e9sum\u00e9.txt', 'w', encoding='utf-8').write('accented')
open('in/sub/deeper/\u65e5\u672c.txt', 'w', encoding='utf-8').write('japanese')
PY

# Info-ZIP's archive, deflated.
zip -qr plain.zip in
check "the build succeeds" build plain.zip plain.exe
check "unzip -t accepts the program without a warning" bash -c "unzip -t plain.exe > t.log; grep -q 'No errors detected' t.log && ! grep -qi 'extra bytes' t.log"
check "7z t accepts the program" 7z t plain.exe
check "unzip -l lists every entry" bash -c "diff <(unzip -Z1 plain.zip) <(unzip -Z1 plain.exe)"
check "Python's zipfile reads the program" python3 -c "
import zipfile
z = zipfile.ZipFile('plain.exe')
assert z.testzip() is None
assert z.namelist() == zipfile.ZipFile('plain.zip').namelist()"
check "/s /d= extracts the tree" bash -c "run plain.exe 0 /s '/d=$(win "$work/out_plain")' && diff -r in out_plain/in"
check "a relative /d= is below the current folder" bash -c "cd '$work' && run plain.exe 0 /s /d=out_relative && diff -r in out_relative/in"
check "/s replaces existing files" bash -c "echo old > out_plain/in/text.txt && chmod -w out_plain/in/empty.txt && run plain.exe 0 /s '/d=$(win "$work/out_plain")' && diff -r in out_plain/in"
check "an unknown switch ends with its code" run plain.exe 11 /s /x
check "a program built from a program drops the old extractor" bash -c "build plain.exe again.exe && unzip -tq again.exe && [ \$(stat -c %s again.exe) -eq \$(stat -c %s plain.exe) ]"
check "a program cut short fails and writes nothing" bash -c "head -c -100 plain.exe > cut.exe && run cut.exe 3 /s '/d=$(win "$work/out_cut")' && [ ! -e out_cut ]"

# Encrypted archives: AES (7-Zip) and the traditional cipher (Info-ZIP).
7z a -tzip -mem=AES256 -pSecret-1 aes.zip in >/dev/null
zip -qr -P Secret-2 trad.zip in
check "AES: the build succeeds" build aes.zip aes.exe
check "AES: 7z tests the program with the password" 7z t -pSecret-1 aes.exe
check "AES: /p= extracts the tree" bash -c "run aes.exe 0 /s /p=Secret-1 '/d=$(win "$work/out_aes")' && diff -r in out_aes/in"
check "AES: a wrong password fails with the password error and leaves nothing" bash -c "run aes.exe 5 /s /p=wrong '/d=$(win "$work/out_wrong")' && [ ! -e out_wrong ]"
check "AES: no password under /s is the password error" bash -c "run aes.exe 5 /s '/d=$(win "$work/out_none")' && [ ! -e out_none ]"
check "traditional: /p= extracts the tree" bash -c "build trad.zip trad.exe && run trad.exe 0 /s /p=Secret-2 '/d=$(win "$work/out_trad")' && diff -r in out_trad/in"
check "traditional: a wrong password leaves nothing" bash -c "run trad.exe 5 /s /p=Secret-1 '/d=$(win "$work/out_trad_wrong")' && [ ! -e out_trad_wrong ]"

# ZIP64: forced fields (Info-ZIP -fz) and an entry count past 65535 (Python).
zip -qr -fz z64.zip in
check "ZIP64 fields: unzip and 7z test the program" bash -c "build z64.zip z64.exe && unzip -tq z64.exe && 7z t z64.exe"
check "ZIP64 fields: /s extracts the tree" bash -c "run z64.exe 0 /s '/d=$(win "$work/out_z64")' && diff -r in out_z64/in"
python3 - <<'PY'
import zipfile
with zipfile.ZipFile('many.zip', 'w', zipfile.ZIP_STORED) as z:
    for i in range(70000):
        z.writestr('m/%05d.txt' % i, b'%d' % i)
PY
check "70,000 entries: the program keeps the ZIP64 end records" bash -c "build many.zip many.exe && unzip -tq many.exe && 7z t many.exe && python3 -c \"
import zipfile
z = zipfile.ZipFile('many.exe')
assert len(z.infolist()) == 70000
assert z.read('m/69999.txt') == b'69999'
data = open('many.exe', 'rb').read()
assert data.rfind(b'PK\\x06\\x06') > 0 and data.rfind(b'PK\\x06\\x07') > data.rfind(b'PK\\x06\\x06')
\""

# A hostile archive: names that climb out of the folder are skipped.
python3 - <<'PY'
import zipfile
with zipfile.ZipFile('hostile.zip', 'w') as z:
    z.writestr('good.txt', b'good')
    z.writestr('../evil.txt', b'evil')
    z.writestr('sub/../../evil2.txt', b'evil')
PY
check "unsafe names: the rest is extracted, nothing outside, the extraction error" bash -c "mkdir -p jail && build hostile.zip hostile.exe && run hostile.exe 7 /s '/d=$(win "$work/jail/out")' && [ \"\$(cat jail/out/good.txt)\" = good ] && [ -z \"\$(find . -name 'evil*')\" ]"

checks_done
