#!/usr/bin/env bash
# The month recipe of scripts/cluster/ against one stream, on this machine:
#   months.sh SOURCE_DIR KELVARA_CLI KELVARA_SAMPLE
# Twelve array tasks of slurm-months.sbatch and join-months.sh must give
# byte for byte the results of one `kelvara-cli run --list LIST --standard`,
# with half hours across month ends, a file that overlaps the next month's
# first file (the join reads that month again) and empty months.
set -euo pipefail

readonly source=$1 cli=$2 sample=$3

fail() {
    echo "$*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export WINDIR=$work/no-windows-folder KELVARA_CLI=$cli
mkdir raw
# Three hours over the end of January; a short file inside them; February's
# first file starts before the long one ends; a half hour across the end of
# February (a leap year) into March.
"$sample" --seed 1 --hours 3 --start "2024-01-31 22:00:00" raw/long.dat
"$sample" --seed 2 --hours 0.2 --start "2024-01-31 23:00:00" raw/short.dat
"$sample" --seed 3 --hours 1.3 --start "2024-02-01 00:40:00" raw/feb1.dat
"$sample" --seed 4 --hours 1.5 --start "2024-02-29 23:10:00" raw/feb29.dat
"$sample" --seed 5 --hours 0.6 --start "2024-03-01 00:40:10" raw/mar1.dat
ls raw/*.dat >list.txt

months() {
    rm -rf months
    for task in $(seq 1 12); do
        SLURM_ARRAY_TASK_ID=$task bash "$source/scripts/cluster/slurm-months.sbatch" 2024 list.txt months "$@" 2>/dev/null ||
            fail "slurm-months.sbatch task $task $* failed"
    done
}

check() {
    local suffix=$1
    shift
    "$cli" run --list list.txt -o whole --quiet "$@" 2>/dev/null || fail "kelvara-cli run $* failed"
    months "$@"
    bash "$source/scripts/cluster/join-months.sh" 2024 list.txt months year "$@" 2>join.log ||
        fail "join-months.sh $* failed: $(cat join.log)"
    cmp whole"$suffix" year"$suffix" || fail "the joined months differ from one stream ($*)"
    grep -q "2024-02 overlaps the months before it" join.log || fail "February was not read again: $(cat join.log)"
}

check .s1w --standard

# A month not run is named, and nothing is joined.
rm months/2024-07.s1w.month
if bash "$source/scripts/cluster/join-months.sh" 2024 list.txt months other --standard 2>join.log; then
    fail "join-months.sh joined without July"
fi
grep -q "month 07 was not run" join.log || fail "join-months.sh did not name July: $(cat join.log)"
[[ ! -e other.s1w ]] || fail "join-months.sh wrote a table without July"

check .sfw --standard --planar-fit 0.05 0.02 -0.03

# A task outside the months is refused.
if SLURM_ARRAY_TASK_ID=0 bash "$source/scripts/cluster/slurm-months.sbatch" 2024 list.txt months --standard 2>/dev/null; then
    fail "task 0 was taken for a month"
fi
echo "the joined months equal one stream"
