#!/usr/bin/env bash
# Runs the ZIP reader fuzz target in one of two ways:
#   run_fuzz.sh check <zip_fuzz_reader> <work folder> [runs] [seed]
#     The test suite's run, the same work on every machine: each input of the
#     seed corpus (corpus/) and of regression/ once, then a fixed number of
#     mutations from a fixed seed. Prints a digest of the corpus it grew, which
#     is the same wherever the same build runs it.
#   run_fuzz.sh search <zip_fuzz_reader> <work folder> <seconds>
#     An open-ended random search (scripts/fuzz-zip.sh); what it learns stays in
#     <work folder>/corpus for the next search.
# regression/ holds every input that ever made the target fail, as it was
# found; each goes in with its mend, so that every check replays it.
set -euo pipefail
export LC_ALL=C   # the same order of file names everywhere
mode="$1"
fuzzer="$2"
work="$3"
here="$(cd "$(dirname "$0")" && pwd)"
seeds="$here/corpus"
regression="$here/regression"
options=(-timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1)

# The failing inputs a run left, and how to keep them.
report_failure() {
    local log="$1"
    tail -40 "$log"
    local found
    found="$(find "$work/artifacts" -type f 2>/dev/null | sort)"
    [ -n "$found" ] || return 0
    echo
    echo "Failing inputs:"
    printf '  %s\n' $found
    echo "Mend the reader until the target passes on them (run it with the file as its"
    echo "argument), then copy each into $regression under a name that says what it"
    echo "holds, and commit it with the mend: the test suite replays every file there."
}

# The check starts the target the same way everywhere: memory at the same
# addresses (setarch -R), from its work folder, by a relative name, with
# relative arguments and a fixed environment, so that the stack lies at the
# same addresses too. The library code inlined into the target compares
# addresses (the string functions ask whether a source overlaps its target),
# and libFuzzer takes compared values into its mutations: with addresses that
# differ between runs, runs took different courses (measured).
run_fixed() {
    ln -sf "$fuzzer" "$work/zip_fuzz_reader"
    local start=(env -i PATH=/usr/bin:/bin ASAN_OPTIONS=allocator_release_to_os_interval_ms=-1)
    if setarch "$(uname -m)" -R true 2>/dev/null; then
        start+=(setarch "$(uname -m)" -R)
    else
        echo "note: addresses cannot be fixed here (setarch -R refused); this run may differ from others" >&2
    fi
    (cd "$work" && "${start[@]}" ./zip_fuzz_reader "$@")
}

case "$mode" in
check)
    runs="${4:-150000}"
    seed="${5:-1}"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    inputs=("$seeds"/* "$regression"/*)
    # Each known input once: the regressions first fail here, with their name.
    "$fuzzer" "${options[@]}" -artifact_prefix="$work/artifacts/" "${inputs[@]}" >"$work/replay.log" 2>&1 || {
        report_failure "$work/replay.log"
        exit 1
    }
    echo "replayed ${#inputs[@]} inputs (corpus and regression)"
    # Copies of the seeds and regressions, under the same relative names
    # everywhere (the names end up in memory beside what the target
    # allocates), named in a list sorted by name: libFuzzer orders its inputs
    # by size, and inputs of equal size would otherwise come in the order the
    # file system lists a folder, which differs between machines. New inputs
    # go to the work corpus. Nothing depends on the clock: a fixed number of
    # runs, no reloads, and no memory given back to the system on a timer
    # (run_fixed).
    mkdir -p "$work/inputs"
    names=()
    for f in "${inputs[@]}"; do
        name="inputs/$(basename "$(dirname "$f")")-$(basename "$f")"
        cp "$f" "$work/$name"
        names+=("$name")
    done
    (IFS=,; printf '%s' "${names[*]}") >"$work/inputs.txt"
    run_fixed "${options[@]}" -seed="$seed" -runs="$runs" -reload=0 -artifact_prefix=artifacts/ \
        -seed_inputs=@inputs.txt corpus >"$work/fuzz.log" 2>&1 || {
        report_failure "$work/fuzz.log"
        exit 1
    }
    grep -E 'stat::number_of_executed_units|stat::new_units_added' "$work/fuzz.log" || true
    grep -E '^#[0-9]+[[:space:]]+DONE' "$work/fuzz.log" || true
    # libFuzzer names each input by the SHA-1 of its content.
    echo "grown corpus: $(ls "$work/corpus" | wc -l) inputs, digest $(ls "$work/corpus" | LC_ALL=C sort | sha1sum | cut -c1-16)"
    ;;
search)
    seconds="${4:-3600}"
    rm -rf "$work/artifacts"
    mkdir -p "$work/corpus" "$work/artifacts"
    "$fuzzer" "${options[@]}" -max_total_time="$seconds" -artifact_prefix="$work/artifacts/" \
        "$work/corpus" "$seeds" "$regression" 2>"$work/fuzz.log" || {
        report_failure "$work/fuzz.log"
        exit 1
    }
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work/fuzz.log" || true
    echo "no failure found in $seconds s; the search's corpus is kept in $work/corpus"
    ;;
*)
    echo "usage: run_fuzz.sh check|search <zip_fuzz_reader> <work folder> ..." >&2
    exit 2
    ;;
esac
