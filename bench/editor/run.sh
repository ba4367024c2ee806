#!/usr/bin/env bash
# The archive editor's benchmark: the list work on its own (editor_bench.exe),
# then through the real program beside the main window's listing of the same
# 100,000-entry archive, and a "Changed Since:" merge of 20,000 found files
# into a 20,000-entry list.
#   bash bench/editor/run.sh            (TB_BENCH_ENTRIES / TB_BENCH_FOUND for other sizes)
export TB_JOBS="${TB_JOBS:-2}"
. "$(dirname "$0")/../../scripts/prepare.sh" >/dev/null
trap 'wineserver -k >/dev/null 2>&1 || true; tb_display_stop; bash scripts/test-drive.sh unlink w' EXIT

found="${TB_BENCH_FOUND:-20000}"
drive="$TB_BUILD/bench-editor-drive"
echo "== Making the drive: $found files in 100 folders (kept between runs)"
python3 - "$drive" "$found" <<'PY'
import os, sys
root, count = os.path.join(sys.argv[1], "found"), int(sys.argv[2])
for i in range(count):
    folder = os.path.join(root, "d{:02d}".format(i % 100))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "f{:06d}.txt".format(i))
    if not os.path.exists(path):
        with open(path, "w") as f:
            f.write("file {}\n".format(i))
    else:
        os.utime(path)  # changed today, as "Changed Since:" "Last 7 days" wants them
PY
bash scripts/test-drive.sh link w "$drive"

echo "== editor_bench.exe (the list work alone)"
wine "$TB_BUILD/bench/editor_bench.exe" w "$found" "$found" | tr -d '\r'

echo "== Through the program"
TB_BUILD="$TB_ROOT/build" TB_BENCH_DRIVE="$drive" TB_BENCH_FOUND="$found" python3 bench/editor/editor.py
