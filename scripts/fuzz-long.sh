#!/usr/bin/env bash
# The long fuzz run: every libFuzzer target for SECONDS each, two at a time,
# each starting from its seeds and its kept corpus. What a run adds is
# minimised with libFuzzer's merge (-set_cover_merge=1, the smallest-set
# form of -merge=1) and kept in tools/fuzz/corpus/TARGET/,
# in the repository, so the CI smoke runs (ctest --preset fuzz) start where
# the last long run ended. Ends with a table of executions and findings.
# Findings are saved in BUILD_DIR/fuzz-findings/, as the smoke runs do.
# The targets run under nice (FUZZ_NICE, default 19): the machine is shared.
#
# Usage: scripts/fuzz-long.sh SECONDS [BUILD_DIR]   (BUILD_DIR: build-fuzz)
# The targets are built with the fuzz preset when BUILD_DIR has none.
# Exit status 1 when a target found something.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

usage() {
    echo "usage: scripts/fuzz-long.sh SECONDS [BUILD_DIR]" >&2
    exit 2
}
[[ $# -ge 1 && $# -le 2 && $1 =~ ^[1-9][0-9]*$ ]] || usage
readonly seconds=$1 build=${2:-build-fuzz}
# Kept small enough for the repository and for a smoke run to read quickly.
readonly most_files=200 most_bytes=$((1024 * 1024))
readonly parallel=2
readonly niceness=${FUZZ_NICE:-19}

targets() { find "$build/tools/fuzz" -maxdepth 1 -type f -name 'kelvara-fuzz-*' -perm -u+x 2>/dev/null | sort; }
if [[ -z $(targets) ]]; then
    [[ $build == build-fuzz ]] || {
        echo "scripts/fuzz-long.sh: no fuzz targets in $build" >&2
        exit 1
    }
    cmake --preset fuzz
    cmake --build --preset fuzz -j2
fi
mapfile -t programs < <(targets)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=$build/fuzz-findings
mkdir -p "$findings"

count_files() { find "$1" -maxdepth 1 -type f 2>/dev/null | wc -l; }
count_bytes() { find "$1" -maxdepth 1 -type f -printf '%s\n' 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }

within_limits() { (($(count_files "$1") <= most_files && $(count_bytes "$1") <= most_bytes)); }

# Drops the largest files until the corpus is within both limits; only a
# corpus that no merge brings within them loses anything here.
keep_small() {
    local corpus=$1 file
    while ! within_limits "$corpus"; do
        file=$(find "$corpus" -maxdepth 1 -type f -printf '%s %p\n' | sort -n | tail -n 1 | cut -d' ' -f2-)
        rm -f -- "$file"
        echo dropped >>"$corpus.dropped"
    done
}

# Fuzzes one target, then merges what it found into its kept corpus.
# Writes NAME/{log,status,before,merge,dropped} under the work folder.
fuzz_one() {
    local program=$1 name=${1##*/kelvara-fuzz-}
    local kept=tools/fuzz/corpus/$name seeds=tools/fuzz/seeds/$name dict=tools/fuzz/$name.dict
    local dir=$work/$name
    mkdir -p "$dir/found" "$kept"
    count_files "$kept" >"$dir/before"
    local inputs=("$kept")
    [[ -d $seeds ]] && inputs+=("$seeds")
    local options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/$name-")
    [[ -f $dict ]] && options+=(-dict="$dict")
    local status=0
    nice -n "$niceness" "$program" "${options[@]}" "$dir/found" "${inputs[@]}" >"$dir/log" 2>&1 || status=$?
    echo "$status" >"$dir/status"

    # The smallest set of inputs with the coverage of all (libFuzzer's set
    # cover), counting how often each edge runs; when that set is too big,
    # counting only which edges run. The seeds go in first, so that only
    # what adds to them is kept, and are taken out again: they live in
    # seeds/.
    local counters seed seeded
    for counters in 1 0; do
        rm -rf "$dir/merged"
        mkdir "$dir/merged"
        if [[ -d $seeds ]]; then cp -- "$seeds"/* "$dir/merged/"; fi
        seeded=()
        for seed in "$dir/merged"/*; do [[ -e $seed ]] && seeded+=("$seed"); done
        if ! nice -n "$niceness" "$program" -set_cover_merge=1 -use_counters="$counters" -timeout=10 \
            "$dir/merged" "$dir/found" "$kept" >"$dir/merge.log" 2>&1; then
            echo "the merge failed; $kept is left as it was" >"$dir/merge"
            return 0
        fi
        ((${#seeded[@]} == 0)) || rm -f -- "${seeded[@]}"
        ((counters == 1)) || echo "edges only" >"$dir/merge"
        within_limits "$dir/merged" && break
    done
    keep_small "$dir/merged"
    mv "$dir/merged.dropped" "$dir/dropped" 2>/dev/null || true
    rm -rf -- "$kept"
    mv "$dir/merged" "$kept"
}

started=$(date +%s)
echo "Fuzzing ${#programs[@]} targets for ${seconds} s each, ${parallel} at a time" \
    "(about $(((${#programs[@]} + parallel - 1) / parallel * seconds / 60)) min)."
for program in "${programs[@]}"; do
    while (($(jobs -rp | wc -l) >= parallel)); do wait -n || true; done
    fuzz_one "$program" &
done
wait

printf '\n%-18s %12s %9s %24s %10s  %s\n' target executions exec/s "corpus files" "corpus KiB" findings
found_any=0
for program in "${programs[@]}"; do
    name=${program##*/kelvara-fuzz-}
    dir=$work/$name
    executions=$(awk '/^stat::number_of_executed_units:/ { n = $2 } END { print n }' "$dir/log")
    status=$(cat "$dir/status")
    artifacts=$(awk '/Test unit written to / { printf "%s ", $NF }' "$dir/log")
    if ((status != 0)) || [[ -n $artifacts ]]; then
        found_any=1
        what="status $status ${artifacts:-(no input saved)}"
    else
        what=none
    fi
    kept=tools/fuzz/corpus/$name
    files="$(cat "$dir/before") -> $(count_files "$kept")"
    if [[ -f $dir/merge ]]; then files+=" ($(cat "$dir/merge"))"; fi
    if [[ -f $dir/dropped ]]; then files+=" ($(wc -l <"$dir/dropped") dropped)"; fi
    printf '%-18s %12s %9s %24s %10s  %s\n' "$name" "${executions:-?}" "$((${executions:-0} / seconds))" "$files" \
        "$(($(count_bytes "$kept") / 1024))" "$what"
done
echo "Wall time: $((($(date +%s) - started) / 60)) min $((($(date +%s) - started) % 60)) s."
exit $found_any
