#!/usr/bin/env bash
# A single run of kelvara-cli against the plain fgets/atof program
# (kelvara-naive, which writes the default run's results file byte for byte)
# and `cat` of the same file, on one generated day of 10 Hz data and half a
# day of 20 Hz data: the default run, the standard methods, and the
# corrections (--site with a small tower's site file). Each program runs
# RUNS times (default 7), taking turns, so that a busy moment of the machine
# falls on all of them alike; the medians, the rates, the ratios to the naive
# program and what the corrections cost on top of the standard run are
# printed, with the best wall time and the median CPU time (user and system,
# all threads): on a machine shared with other work the best time is the
# closest to an idle machine's, and the CPU time shows what a run costs
# whatever the load.
#
# Usage: scripts/bench.sh [BUILD_DIR]   (default: build)
#   RUNS=N runs of each; KEEP=1 keeps the work directory; BASELINE=CLI adds
#   another kelvara-cli (an earlier build) to the turns, for a before/after;
#   FILE=PATH measures that raw file instead of the generated ones.

set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs="${RUNS:-7}"

cli="$build/cli/kelvara-cli"
naive="$build/bench/kelvara-naive"
sample="$build/tools/sample_generator/kelvara-sample"
for program in "$cli" "$naive" "$sample"; do
    [ -x "$program" ] || {
        echo "bench.sh: $program is missing; build kelvara-cli, kelvara-naive and kelvara-sample" >&2
        exit 2
    }
done

work="$(mktemp -d /tmp/kelvara-bench.XXXXXX)"
if [ -z "${KEEP:-}" ]; then trap 'rm -rf "$work"' EXIT; else echo "work directory: $work"; fi
# An empty Windows directory: every program runs on the built-in range limits.
mkdir -p "$work/windows"
export WINDIR="$work/windows"
# The corrections' site: every other key at its default.
site="$work/site.ini"
printf '[site]\nmeasurement_height = 3.5\ncanopy_height = 0.6\nlatitude = 47.5\n' >"$site"

# Seconds of wall time and of CPU time (user and system, of every thread)
# of one command, its output thrown away.
seconds_of() {
    local TIMEFORMAT='%3R %3U %3S'
    { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%s %.3f\n", $1, $2 + $3 }'
}

best() { sort -g | head -1; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

peak_rss_mib() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%.1f", $1 / 1024 }'
    else
        echo "?"
    fi
}

bench_file() {  # HZ HOURS [FILE]
    local hz="$1" hours="$2"
    local file="${3:-$work/tower_${hz}hz.dat}"
    [ -n "${3:-}" ] || "$sample" --seed 1 --hours "$hours" --hz "$hz" "$file" >/dev/null
    local bytes
    bytes=$(stat -c %s "$file")

    # The yardstick must write what kelvara-cli writes.
    "$naive" "$file" "$work/naive.r1w"
    "$cli" run "$file" --output "$work/cli" >/dev/null 2>&1
    if ! cmp -s "$work/naive.r1w" "$work/cli.r1w"; then
        echo "bench.sh: kelvara-naive and kelvara-cli write different results for $file" >&2
        exit 1
    fi
    if ! "$cli" run "$file" --output "$work/cli" --site "$site" >/dev/null 2>&1; then
        echo "bench.sh: kelvara-cli run --site fails on $file" >&2
        exit 1
    fi

    local names=(cat naive default standard corrections)
    [ -n "${BASELINE:-}" ] && names+=(baseline baselineStandard baselineCorrections)
    local -A times=() cpu=()
    local i name
    cat "$file" >/dev/null  # in the page cache for everyone
    # One turn of a program: its wall and CPU seconds kept under its name.
    turn() {  # NAME COMMAND...
        local name="$1" measured
        shift
        measured=$(seconds_of "$@")
        times[$name]+="${measured% *} "
        cpu[$name]+="${measured#* } "
    }
    for ((i = 0; i < runs; i++)); do
        turn cat cat "$file"
        turn naive "$naive" "$file" "$work/naive.r1w"
        turn default "$cli" run "$file" --output "$work/cli"
        turn standard "$cli" run "$file" --output "$work/cli" --standard
        turn corrections "$cli" run "$file" --output "$work/cli" --site "$site"
        if [ -n "${BASELINE:-}" ]; then
            turn baseline "$BASELINE" run "$file" --output "$work/base"
            turn baselineStandard "$BASELINE" run "$file" --output "$work/base" --standard
            turn baselineCorrections "$BASELINE" run "$file" --output "$work/base" --site "$site"
        fi
    done

    local -A med=() low=() medCpu=()
    for name in "${names[@]}"; do
        med[$name]=$(tr ' ' '
' <<<"${times[$name]}" | grep . | median)
        low[$name]=$(tr ' ' '
' <<<"${times[$name]}" | grep . | best)
        medCpu[$name]=$(tr ' ' '
' <<<"${cpu[$name]}" | grep . | median)
    done
    local rss_default rss_standard rss_corrections
    rss_default=$(peak_rss_mib "$cli" run "$file" --output "$work/cli")
    rss_standard=$(peak_rss_mib "$cli" run "$file" --output "$work/cli" --standard)
    rss_corrections=$(peak_rss_mib "$cli" run "$file" --output "$work/cli" --site "$site")

    if [ -n "${3:-}" ]; then
        printf '\n%s: %.1f MB' "$file" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')"
    else
        printf '\n%s Hz, %s h: %.1f MB' "$hz" "$hours" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')"
    fi
    printf ', median of %d runs each, taking turns\n' "$runs"
    printf '  %-26s %9s %10s %13s %9s %9s %10s %10s\n' "program" "seconds" "MB/s" "naive / this" "best" \
        "best x" "CPU s" "peak RSS"
    row() {  # LABEL NAME RSS
        awk -v label="$1" -v t="${med[$2]}" -v naive="${med[naive]}" -v b="$bytes" -v rss="$3" \
            -v best="${low[$2]}" -v bestNaive="${low[naive]}" -v cpu="${medCpu[$2]}" \
            'BEGIN { printf "  %-26s %9.4f %10.1f %12.2fx %9.4f %8.2fx %10.3f %10s\n",
                     label, t, b / 1e6 / t, naive / t, best, bestNaive / best, cpu, rss }'
    }
    row "cat" cat "-"
    row "kelvara-naive" naive "-"
    row "kelvara-cli run" default "$rss_default MiB"
    row "kelvara-cli run --standard" standard "$rss_standard MiB"
    row "kelvara-cli run --site" corrections "$rss_corrections MiB"
    if [ -n "${BASELINE:-}" ]; then
        row "baseline run" baseline "-"
        row "baseline run --standard" baselineStandard "-"
        row "baseline run --site" baselineCorrections "-"
    fi
    extra() {  # LABEL CORRECTIONS STANDARD
        awk -v label="$1" -v c="${med[$2]}" -v s="${med[$3]}" \
            'BEGIN { printf "  %s: the corrections cost %+.0f %% on top of the standard run\n", label, 100 * (c / s - 1) }'
    }
    extra "kelvara-cli" corrections standard
    [ -n "${BASELINE:-}" ] && extra "baseline" baselineCorrections baselineStandard
    return 0
}

echo "kelvara-cli: $cli"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
if [ -n "${FILE:-}" ]; then
    bench_file - - "$(cd "$(dirname "$FILE")" && pwd)/$(basename "$FILE")"
else
    bench_file 10 24
    bench_file 20 12
fi
