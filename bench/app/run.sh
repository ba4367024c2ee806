#!/usr/bin/env bash
# How promptly the program ends: Terminate (Yes) until the process has ended,
# idle with fresh settings and while watching the change tracking benchmark's
# drive (made by bench/monitor/run.sh, when it is there), and /exit from start
# to end beside a Windows program that does nothing.
#   bash bench/app/run.sh          (TB_BENCH_ROUNDS=... for another number of rounds)
export TB_JOBS="${TB_JOBS:-2}"
. "$(dirname "$0")/../../scripts/prepare.sh" >/dev/null
TB_BUILD="$TB_BUILD" python3 bench/app/exit.py
