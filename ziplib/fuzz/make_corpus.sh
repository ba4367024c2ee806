#!/usr/bin/env bash
# Makes the seed corpus of small archives for the fuzz target (kept in corpus/).
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)/corpus"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
mkdir -p d/sub
printf 'hello hello hello hello\n' > d/a.txt
printf 'x' > d/sub/b.bin
: > d/empty
zip -qr "$out/deflate.zip" d
zip -qr0 "$out/stored.zip" d
zip -qr -P pw "$out/traditional.zip" d
zip -qr -fz "$out/zip64.zip" d
zip -qr - d | cat > "$out/descriptor.zip"
7z a -tzip -mem=AES256 -ppw "$out/aes256.zip" d >/dev/null
7z a -tzip -mem=AES128 -ppw "$out/aes128.zip" d >/dev/null
python3 - "$out" <<'PY'
import sys, zipfile
out = sys.argv[1]
with zipfile.ZipFile(out + '/utf8.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('r\u00e9sum\u00e9/\u65e5\u672c.txt', 'unicode ' * 8)
    z.writestr(zipfile.ZipInfo('../slip.txt'), 'x')
    z.writestr(zipfile.ZipInfo('folder/'), '')
with zipfile.ZipFile(out + '/empty.zip', 'w') as z:
    pass
PY
