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
# Hostile and unusual archives the reader must refuse or read as other tools do.
python3 - "$out" <<'PY'
import struct, sys, zlib
out = sys.argv[1]
def archive(entries, comment=b'', copies=1, central_comments=None):
    data, central, offsets = b'', b'', []
    for name, body, method, size, crc in entries:
        offsets.append(len(data))
        data += struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, method, 0, 0x5021, crc, len(body), size, len(name), 0) + name + body
    start = len(data)
    count = 0
    for i, (name, body, method, size, crc) in enumerate(entries):
        note = (central_comments or {}).get(i, b'')
        for _ in range(copies):
            central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, method, 0, 0x5021, crc, len(body), size,
                                   len(name), 0, len(note), 0, 0, 0, offsets[i]) + name + note
            count += 1
    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, count & 0xFFFF, count & 0xFFFF, len(central), start, len(comment))
    return data + central + end + comment
def stored(name, body):
    return (name, body, 0, len(body), zlib.crc32(body))
zeros = bytes(1 << 20)
c = zlib.compressobj(9, zlib.DEFLATED, -15)
packed = c.compress(zeros) + c.flush()
open(out + '/overlap.zip', 'wb').write(archive([(b'zeros.bin', packed, 8, len(zeros), zlib.crc32(zeros))], copies=16))
locator = struct.pack('<IIQI', 0x07064b50, 0, 0x123456789, 1)
open(out + '/stray_locator.zip', 'wb').write(archive([stored(b'a.txt', b'alpha'), stored(b'b.txt', b'beta')],
                                                      central_comments={1: locator}))
open(out + '/names.zip', 'wb').write(archive([stored(n, b'x') for n in
    (b'a*.txt', b'a?.txt', b'CONOUT$', b'com0.txt', b'lpt\xc2\xb3.log', b'a/', b'a/b', b'a/b/', b'a/b/c', b'same', b'same')]))
whole = archive([stored(b'real.txt', b'real')], comment=b'comment')
open(out + '/cut_comment.zip', 'wb').write(whole[:-1])
counted = bytearray(archive([stored(b'one.txt', b'1')]))
struct.pack_into('<HH', counted, len(counted) - 22 + 8, 32, 32)
open(out + '/bad_count.zip', 'wb').write(bytes(counted))
PY
# The other methods 7-Zip writes (bzip2, LZMA with and without its end marker,
# Deflate64 with a distance beyond deflate's window), and each one damaged.
mkdir -p m
python3 - <<'PY'
import random
random.seed(5)
words = [b'tally ', b'box ', b'ledger ', b'zip\n']
open('m/text.txt', 'wb').write(b''.join(random.choice(words) for _ in range(1500)))
block = random.randbytes(20000)
open('m/far.bin', 'wb').write(block * 2)
PY
7z a -tzip -mm=BZip2 "$out/bzip2.zip" m/text.txt >/dev/null
7z a -tzip -mm=LZMA "$out/lzma.zip" m/text.txt >/dev/null
7z a -tzip -mm=LZMA:eos=off "$out/lzma_no_marker.zip" m/text.txt >/dev/null
7z a -tzip -mm=Deflate64 "$out/deflate64.zip" m/text.txt m/far.bin >/dev/null
python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
for name in ('bzip2', 'lzma', 'deflate64'):
    data = bytearray(open('%s/%s.zip' % (out, name), 'rb').read())
    name_len, extra_len = struct.unpack('<HH', data[26:30])
    packed = struct.unpack('<I', data[18:22])[0]
    start = 30 + name_len + extra_len
    for i in range(3):
        data[start + packed // 2 + i] ^= 0x55
    open('%s/%s_damaged.zip' % (out, name), 'wb').write(data)
PY
# Entries of each of those methods that declare the largest values their
# headers hold: a size of 2^64-1 (ZIP64), LZMA's 4 GiB dictionary, bzip2's
# largest block size and block start, Deflate64's largest code counts. The
# reader refuses each within its memory budget.
python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
lzma_stream = open(out + '/lzma.zip', 'rb').read()
name_len, extra_len = struct.unpack('<HH', lzma_stream[26:30])
packed = struct.unpack('<I', lzma_stream[18:22])[0]
lzma_stream = lzma_stream[30 + name_len + extra_len + 9:30 + name_len + extra_len + packed]
def largest(name, method, flags, body):
    size64 = struct.pack('<HHQ', 1, 8, (1 << 64) - 1)
    local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 45, flags, method, 0, 0x5021, 0xFFFFFFFF, len(body), 0xFFFFFFFF,
                        len(name), len(size64)) + name + size64 + body
    central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 45, 45, flags, method, 0, 0x5021, 0xFFFFFFFF, len(body),
                          0xFFFFFFFF, len(name), len(size64), 0, 0, 0, 0, 0) + name + size64
    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(central), len(local), 0)
    return local + central + end
entries = {
    # LZMA: its header (version, properties size 5, lc/lp/pb, a 4 GiB - 1 dictionary), then a real stream.
    'lzma_largest.zip': (b'big.lzma', 14, 2, bytes.fromhex('1a0205005d') + b'\xff\xff\xff\xff' + lzma_stream),
    # bzip2: 900k blocks, a block header with the largest start pointer, then ones.
    'bzip2_largest.zip': (b'big.bz2', 12, 0, b'BZh9' + bytes.fromhex('314159265359') + b'\xff' * 400),
    # Deflate64: a last dynamic block with the largest code counts, then ones.
    'deflate64_largest.zip': (b'big.d64', 9, 0, b'\xfd' + b'\xff' * 400),
}
for file, (name, method, flags, body) in entries.items():
    open(out + '/' + file, 'wb').write(largest(name, method, flags, body))
PY
