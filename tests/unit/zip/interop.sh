#!/usr/bin/env bash
# Interoperability of DZIP32.dll / DUNZIP32.dll under Wine with Info-ZIP, 7-Zip and
# Python: archives the DLLs write are tested and extracted by those tools, and
# archives those tools write are extracted by the DLLs. Starts from an empty
# work folder it makes itself.  Usage: interop.sh <helper.exe> <work folder>
set -euo pipefail
helper="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
root="$(cd "$(dirname "$0")/../../.." && pwd)"
wine_run="$root/scripts/wine-run.sh"
rm -rf "$2"
mkdir -p "$2"
work="$(cd "$2" && pwd)"
cd "$work"

. "$root/tests/checks.sh"
helper_run() { "$wine_run" "$helper" "$@"; }
export helper wine_run
export -f helper_run win
same_tree() { mkdir -p "$2/emptyfolder"; diff -r "$1" "$2"; }

python3 - <<'PY'
import os, random
random.seed(7)
os.makedirs('in/sub', exist_ok=True)
os.makedirs('in/emptyfolder', exist_ok=True)
words = [b'tally ', b'box ', b'ledger ', b'zip\n']
open('in/text.txt', 'wb').write(b''.join(random.choice(words) for _ in range(60000)))
open('in/binary.bin', 'wb').write(bytes(random.getrandbits(8) for _ in range(150000)))
open('in/empty.txt', 'wb').close()
open('in/sub/r\u00e9sum\u00e9.txt', 'w', encoding='utf-8').write('accented')
open('in/sub/\u65e5\u672c.txt', 'w', encoding='utf-8').write('japanese')
open('in/big.txt', 'wb').write(b''.join(random.choice(words) for _ in range(1200000)))
PY

# Ours, checked by the others.
check "dzip writes an archive" helper_run add "$(win "$work/ours.zip")" "$(win "$work")" 1 - in
check "unzip -t accepts ours" unzip -tq ours.zip
check "7z t accepts ours" 7z t ours.zip
check "python's zipfile accepts ours" python3 -c "
import zipfile
z = zipfile.ZipFile('ours.zip')
assert z.testzip() is None
names = z.namelist()
assert 'in/sub/r\u00e9sum\u00e9.txt' in names and 'in/sub/\u65e5\u672c.txt' in names, names
assert all(i.flag_bits & 0x800 for i in z.infolist() if not i.filename.isascii())
"
check "unzip extracts ours unchanged" bash -c "unzip -q -d u ours.zip && diff -r in u/in"

check "dzip writes an AES archive" helper_run add "$(win "$work/aes.zip")" "$(win "$work")" 1 Secret-1 in
check "7z tests ours with the password" 7z t -pSecret-1 aes.zip
check "7z refuses a wrong password" bash -c "! 7z t -pwrong aes.zip"
check "7z extracts ours with the password" bash -c "7z x -y -pSecret-1 -oaes aes.zip && diff -r in aes/in"

check "dzip deletes entries" helper_run delete "$(win "$work/ours.zip")" 'in\big.txt' 'in/sub/*'
check "after delete: unzip -t and the names" bash -c "unzip -tq ours.zip && [ \"\$(unzip -Z1 ours.zip | sort | tr '\n' ' ')\" = 'in/ in/binary.bin in/empty.txt in/emptyfolder/ in/text.txt ' ]"

# Theirs, read by ours.
zip -qr z_deflate.zip in
zip -qr0 z_stored.zip in
zip -qr -P pw z_trad.zip in
zip -qr -fz z_zip64.zip in
zip -qr - in | cat > z_stream.zip
7z a -tzip -mem=AES256 -ppw z_7zaes.zip in >/dev/null
7z a -tzip z_7z.zip in >/dev/null
# The other methods 7-Zip writes (WinZip too): bzip2, LZMA, Deflate64.
7z a -tzip -mm=BZip2 z_bzip2.zip in >/dev/null
7z a -tzip -mm=LZMA z_lzma.zip in >/dev/null
7z a -tzip -mm=Deflate64 z_deflate64.zip in >/dev/null
7z a -tzip -mm=Deflate64 -mem=AES256 -ppw z_d64aes.zip in >/dev/null
# 7-Zip's strongest ("ultra") settings of each of them.
7z a -tzip -mx=9 -mm=BZip2 z_bzip2_ultra.zip in >/dev/null
7z a -tzip -mx=9 -mm=LZMA z_lzma_ultra.zip in >/dev/null
7z a -tzip -mx=9 -mm=Deflate64 z_deflate64_ultra.zip in >/dev/null
python3 - <<'PY'
import os, zipfile
with zipfile.ZipFile('z_python.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    for r, d, f in os.walk('in'):
        z.write(r)
        for n in f:
            z.write(os.path.join(r, n))
PY
for archive in z_deflate z_stored z_trad z_zip64 z_stream z_7zaes z_7z z_python z_bzip2 z_lzma z_deflate64 z_d64aes \
    z_bzip2_ultra z_lzma_ultra z_deflate64_ultra; do
    password=-
    case $archive in z_trad|z_7zaes|z_d64aes) password=pw ;; esac
    check "dunzip extracts $archive" helper_run extract "$(win "$work/$archive.zip")" "$(win "$work/out_$archive")" "$password"
    check "$archive extracted unchanged" same_tree in "out_$archive/in"
done
# LZMA at the ultra level takes a 256 MiB dictionary (7-Zip does not shrink it
# for data from a pipe), all of which an entry as large needs: it fits the
# library's memory budget in the 32-bit DLL.
zeros=$((270 * 1024 * 1024))
head -c $zeros /dev/zero | 7z a -tzip -mm=LZMA -mx=9 -sizeros.bin z_lzma_dictionary.zip >/dev/null
check "7-Zip's ultra LZMA entry declares a 256 MiB dictionary" python3 -c "
import struct
d = open('z_lzma_dictionary.zip', 'rb').read()
start = 30 + sum(struct.unpack('<HH', d[26:30]))
assert struct.unpack('<I', d[start + 5:start + 9])[0] == 256 << 20
"
check "dunzip extracts the 256 MiB dictionary's entry" helper_run extract "$(win "$work/z_lzma_dictionary.zip")" "$(win "$work/out_dictionary")" -
check "the 256 MiB dictionary's entry extracted unchanged" bash -c "[ \"\$(stat -c %s out_dictionary/zeros.bin)\" = $zeros ] && cmp -s out_dictionary/zeros.bin <(head -c $zeros /dev/zero)"
rm -rf out_dictionary z_lzma_dictionary.zip

check "dunzip lists 7-Zip's names as Python does" bash -c "
diff <(helper_run list '$(win "$work/z_7zaes.zip")' | cut -f1 | sort) <(python3 -c \"
import zipfile
print('\n'.join(sorted(zipfile.ZipFile('z_7zaes.zip').namelist())))\")"
check "dunzip marks 7-Zip's AES entries encrypted" bash -c "helper_run list '$(win "$work/z_7zaes.zip")' | grep -q 'text.txt.*32768'"
check "a wrong password fails" bash -c "! helper_run extract '$(win "$work/z_7zaes.zip")' '$(win "$work/wrong")' nope && [ -z \"\$(find wrong -type f 2>/dev/null)\" ]"

# Damaged data of each method: refused, and nothing left under the entry's name.
for archive in z_bzip2 z_lzma z_deflate64; do
    python3 - "$archive.zip" "bad_$archive.zip" <<'PY'
import struct, sys, zipfile
data = bytearray(open(sys.argv[1], 'rb').read())
info = zipfile.ZipFile(sys.argv[1]).getinfo('in/big.txt')
name_len, extra_len = struct.unpack('<HH', data[info.header_offset + 26:info.header_offset + 30])
start = info.header_offset + 30 + name_len + extra_len
for i in range(4):
    data[start + info.compress_size // 2 + i] ^= 0x55
open(sys.argv[2], 'wb').write(data)
PY
    check "dunzip refuses damaged $archive data" bash -c "! helper_run extract '$(win "$work/bad_$archive.zip")' '$(win "$work/bad_$archive")' - && [ ! -e bad_$archive/in/big.txt ] && [ -z \"\$(find bad_$archive -name '*~')\" ]"
done

checks_done
