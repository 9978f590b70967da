#!/usr/bin/env bash
# The cluster recipes against kelvara-cli batch, on this machine:
#   check.sh SOURCE_DIR KELVARA_CLI KELVARA_SAMPLE
# parallel-batch.sh must write the batch's results files byte for byte, beside
# the raw files and in an output folder, in both methods; the Slurm array's
# tasks must write them between them. Exit status 77 (CTest's SKIP_RETURN_CODE)
# without GNU parallel.
set -euo pipefail

readonly skipped=77
readonly source=$1 cli=$2 sample=$3
readonly recipe=$source/scripts/cluster/parallel-batch.sh

fail() {
    echo "$*" >&2
    exit 1
}

command -v parallel >/dev/null || exit $skipped

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export WINDIR=$work/no-windows-folder # the built-in range limits
mkdir raw "with space"
for i in 1 2 3 4 5; do
    "$sample" --seed "$i" --hours "0.$((i + 3))" --spike-rate 0.002 --start "2024-06-0$i 23:10:00" "raw/day $i.dat"
done
"$sample" --seed 9 --hours 0.7 --lf "with space/it's.dat"
ls raw/*.dat >list.txt
echo "with space/it's.dat" >>list.txt
sed -i 's/$/\r/' list.txt # as a list written on Windows

# The results files a run left in a folder, then removed: name and checksum.
take() {
    (cd "$1" && find . -type f -name '*.[rs][1f]w' -print0 | sort -z | xargs -0r sha256sum)
    find "$1" -type f -name '*.[rs][1f]w' -delete
}

compare() {
    local where=$1
    shift
    "$cli" batch list.txt --quiet "$@" || fail "kelvara-cli batch $* failed"
    local expected actual
    expected=$(take "$where")
    [[ -n $expected ]] || fail "kelvara-cli batch $* wrote nothing in $where"
    KELVARA_CLI=$cli bash "$recipe" list.txt --jobs 3 "$@" || fail "parallel-batch.sh $* failed"
    actual=$(take "$where")
    [[ $expected == "$actual" ]] || fail "parallel-batch.sh $* wrote other files than the batch:
$expected
---
$actual"
}

compare .
mkdir out
compare out --output-dir out --standard --planar-fit 0.05 0.02 -0.03
compare out --output-dir out --planar-fit 0.05 0.02 -0.03
# One plane fitted over the whole list, in the batch and in the recipe alike.
compare out --output-dir out --planar-fit auto --standard

# The Slurm array's tasks, run here one after the other: together one batch,
# whether the array counts from 0 or from 1.
"$cli" batch list.txt --quiet --output-dir out
expected=$(take out)
for first in 0 1; do
    for task in $first $((first + 1)) $((first + 2)); do
        SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_MIN=$first SLURM_ARRAY_TASK_MAX=$((first + 2)) \
            SLURM_ARRAY_TASK_COUNT=3 KELVARA_CLI=$cli \
            bash "$source/scripts/cluster/slurm-array.sbatch" list.txt --output-dir out || fail "Slurm task $task failed"
    done
    [[ $expected == "$(take out)" ]] || fail "the Slurm array's tasks from $first wrote other files than the batch"
done
# An array with holes cannot tell which shards it covers.
status=0
SLURM_ARRAY_TASK_ID=3 SLURM_ARRAY_TASK_MIN=3 SLURM_ARRAY_TASK_MAX=7 SLURM_ARRAY_TASK_COUNT=2 KELVARA_CLI=$cli \
    bash "$source/scripts/cluster/slurm-array.sbatch" list.txt 2>/dev/null || status=$?
((status == 2)) || fail "an array with holes and no KELVARA_SHARDS: exit status $status, not 2"

# A raw file named like another's results is never written over, and a name
# that starts with "-" is a file, not an option.
cp "raw/day 1.dat" "raw/day 1.dat.r1w"
before=$(sha256sum "raw/day 1.dat.r1w")
printf 'raw/day 1.dat\nraw/day 1.dat.r1w\n' >clash.txt
if KELVARA_CLI=$cli bash "$recipe" clash.txt 2>/dev/null; then fail "parallel-batch.sh ran a list whose results replace an input"; fi
[[ $before == "$(sha256sum "raw/day 1.dat.r1w")" ]] || fail "parallel-batch.sh wrote over the raw file raw/day 1.dat.r1w"
rm "raw/day 1.dat.r1w"
cp "raw/day 2.dat" ./-dash.dat
printf -- '-dash.dat\n' >dash.txt
"$cli" batch dash.txt --quiet || fail "kelvara-cli batch failed on -dash.dat"
expected=$(take .)
KELVARA_CLI=$cli bash "$recipe" dash.txt || fail "parallel-batch.sh failed on a name that starts with -"
[[ $expected == "$(take .)" ]] || fail "parallel-batch.sh wrote other files than the batch for -dash.dat"

# A name that fails: the others are written under --keep-going, exit 1.
printf 'raw/day 1.dat\nraw/none.dat\nraw/day 2.dat\n' >bad.txt
if KELVARA_CLI=$cli bash "$recipe" bad.txt --keep-going --output-dir out 2>err.txt; then
    fail "parallel-batch.sh finished although raw/none.dat is missing"
fi
grep -q "raw/none.dat: No such file or directory" err.txt || fail "no reason given: $(cat err.txt)"
[[ -s "out/day 1.dat.r1w" && -s "out/day 2.dat.r1w" ]] || fail "--keep-going did not do the other files"

# An output folder that is not there is made, as the batch makes it.
KELVARA_CLI=$cli bash "$recipe" list.txt --output-dir new/folder || fail "parallel-batch.sh did not make its output folder"
[[ -n $(take new/folder) ]] || fail "nothing written into the new output folder"

# Two raw files with one name cannot share an output folder.
cp "raw/day 1.dat" "with space/day 1.dat"
printf 'raw/day 1.dat\nwith space/day 1.dat\n' >same.txt
status=0
KELVARA_CLI=$cli bash "$recipe" same.txt --output-dir out 2>/dev/null || status=$?
((status == 2)) || fail "two raw files with one name: exit status $status, not 2"
echo "parallel-batch.sh writes what kelvara-cli batch writes"
