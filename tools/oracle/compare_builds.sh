#!/usr/bin/env bash
# Two builds of kelvara-cli side by side: every file each run leaves, its
# exit status and what it says on stderr must be the same byte for byte.
# For changes that must not change behaviour (a reshape, a faster reader).
#
# Usage: compare_builds.sh OLD_CLI NEW_CLI [KELVARA_SAMPLE]
#   KEEP=1 keeps the work directory; ONLY=REGEX runs only the cases whose
#   names match; FUZZ=N randomly damaged files (default 20).

set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

# shellcheck source=compare_common.sh
. "$here/compare_common.sh"

[ $# -ge 2 ] || { echo "usage: $0 OLD_CLI NEW_CLI [KELVARA_SAMPLE]" >&2; exit 2; }
old="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
new="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
sample="${3:-$(find_program kelvara-sample "$root"/build*/tools/sample_generator/kelvara-sample)}" || exit 2
echo "old: $old"
echo "new: $new"

make_work_dir /tmp/kelvara-compare-builds.XXXXXX

gen g1.dat --seed 1 --hours 1 --hz 10
gen g2.dat --seed 2 --hours 2 --hz 20 --lf --spike-rate 0.001 --bad-status-rate 0.001 \
    --out-of-range-rate 0.0005 --gap-rate 0.01
gen g3.dat --seed 3 --hours 3 --hz 10 --start "2024-06-01 22:47:13" --spike-rate 0.002 \
    --bad-status-rate 0.002 --out-of-range-rate 0.001 --gap-rate 0.05
gen g5a.dat --seed 5 --hours 0.75 --hz 10 --start "2024-06-01 11:30:00" --spike-rate 0.001
gen g5b.dat --seed 6 --hours 1 --hz 10 --start "2024-06-01 12:15:00" --lf --gap-rate 0.02
gen g7.dat --seed 8 --hours 2.2 --hz 20 --start "2024-06-01 05:01:02" --gap-rate 0.3 --bad-status-rate 0.2
gen t1.dat --seed 11 --hours 1.5 --hz 20 --table --spike-rate 0.001
gen t2.dat --seed 12 --hours 1 --hz 10 --table --ts-unit K --press-unit hPa --extra-columns 2
gen tilt.dat --seed 13 --tilted-plane 0.05 0.02 -0.03
python3 "$here/nasty_samples.py" "$data" || exit 2

cases=0
same=0
failed=0

# Every file below the case's folder after the run, but its inputs.
outputs() { (cd "$1" && find . -type f -newer "$work/stamp" | sort); }

compare_case() {  # NAME "FILES TO COPY" ARGS...
    local name="$1" files="$2"; shift 2
    local dir="$work/cases/$name" side f
    if [ -n "${ONLY:-}" ] && ! [[ "$name" =~ $ONLY ]]; then return; fi
    cases=$((cases + 1))
    for side in old new; do
        mkdir -p "$dir/$side"
        for f in $files; do cp "$data/$f" "$dir/$side/"; done
    done
    touch -d '-1 second' "$work/stamp"
    (cd "$dir/old" && "$old" "$@" > ../old.out 2> ../old.err)
    local rc_old=$?
    (cd "$dir/new" && "$new" "$@" > ../new.out 2> ../new.err)
    local rc_new=$?
    local ok=1
    [ "$rc_old" = "$rc_new" ] || { ok=0; echo "DIFF $name: exit status old $rc_old, new $rc_new"; }
    for f in out err; do
        if ! cmp -s "$dir/old.$f" "$dir/new.$f"; then
            ok=0
            echo "DIFF $name: std$f"
            diff "$dir/old.$f" "$dir/new.$f" | head -n 6 | sed 's/^/   /'
        fi
    done
    local list_old list_new
    list_old="$(outputs "$dir/old")"
    list_new="$(outputs "$dir/new")"
    [ "$list_old" = "$list_new" ] || { ok=0; echo "DIFF $name: files old [$(echo $list_old)] new [$(echo $list_new)]"; }
    for f in $list_old; do
        [ -f "$dir/new/$f" ] || continue
        cmp -s "$dir/old/$f" "$dir/new/$f" || { ok=0; echo "DIFF $name: $f"; }
    done
    if [ $ok = 1 ]; then
        same=$((same + 1))
    else
        failed=$((failed + 1))
    fi
}

PF=(--planar-fit 0.05 0.02 -0.03)
for method in "" --standard; do
    m="${method:-default}"
    for g in g1 g2 g3 g7 n_long n_numbers n_nolf_carry n_midnight n_twodays n_reject n_headers_only; do
        compare_case "$m-run-$g" "$g.dat" run "$g.dat" --output out $method
        compare_case "$m-run-pf-$g" "$g.dat" run "$g.dat" --output out $method "${PF[@]}"
    done
    compare_case "$m-table-auto" "t1.dat" run t1.dat --output out --columns auto $method
    compare_case "$m-table-auto-units" "t2.dat" run t2.dat --output out --columns auto $method
    compare_case "$m-table-unchecked" "t2.dat" run t2.dat --output out --columns auto --no-unit-check $method
    compare_case "$m-table-positions" "t1.dat" run t1.dat --output out $method --columns default
    compare_case "$m-table-map" "t1.dat" run t1.dat --output out $method \
        --columns U=Ux,V=Uy,W=Uz,CO2=co2,H2O=h2o,Ts=Ts,P=press,status=diag_sonic --good-status 0
    compare_case "$m-tilt-auto" "tilt.dat" run tilt.dat --output out $method --planar-fit auto
    compare_case "$m-table-auto-fit" "t1.dat" run t1.dat --output out $method --columns auto --planar-fit auto
    compare_case "$m-missing" "" run nothing.dat --output out $method
    compare_case "$m-empty-b" "g1.dat" run g1.dat --output out $method --planar-fit 0.1 "" 0.2
    compare_case "$m-output-is-input" "g1.dat" run g1.dat --output g1.dat $method
    printf 'g1.dat\ng5a.dat\r\nn_midnight.dat\nn_reject.dat\n' > "$data/l_gen.txt"
    for jobs in 1 2; do
        compare_case "$m-batch-j$jobs" "g1.dat g5a.dat n_midnight.dat n_reject.dat l_gen.txt" \
            batch l_gen.txt --jobs "$jobs" $method
        compare_case "$m-batch-pf-j$jobs" "g1.dat g5a.dat n_midnight.dat n_reject.dat l_gen.txt" \
            batch l_gen.txt --jobs "$jobs" $method "${PF[@]}"
    done
    printf 'g1.dat\nnothing.dat\ng5a.dat\n' > "$data/l_missing.txt"
    compare_case "$m-batch-missing" "g1.dat g5a.dat l_missing.txt" batch l_missing.txt --jobs 1 $method
    compare_case "$m-batch-keep-going" "g1.dat g5a.dat l_missing.txt" batch l_missing.txt --jobs 2 --keep-going $method
    printf 't1.dat\nt2.dat\n' > "$data/l_table.txt"
    compare_case "$m-batch-auto" "t1.dat t2.dat l_table.txt" batch l_table.txt --columns auto --jobs 2 $method
    compare_case "$m-batch-auto-fit" "t1.dat t2.dat l_table.txt" batch l_table.txt --columns auto --planar-fit auto $method
    compare_case "$m-batch-emptylist" "l_empty.txt" batch l_empty.txt $method
    compare_case "$m-batch-nolist" "" batch nothing.txt $method
    compare_case "$m-batch-shard" "g1.dat g5a.dat n_midnight.dat n_reject.dat l_gen.txt" batch l_gen.txt --shard 1/2 $method
done
compare_case default-second "g5a.dat g5b.dat" run g5a.dat --second g5b.dat --output out
compare_case default-second-pf "g5a.dat g5b.dat" run g5a.dat --second g5b.dat --output out "${PF[@]}"
compare_case default-second-missing "g5a.dat" run g5a.dat --second nothing.dat --output out
compare_case standard-stream "g5a.dat g5b.dat g1.dat" run g5a.dat g5b.dat g1.dat --output out --standard
compare_case standard-stream-missing "g5a.dat" run g5a.dat nothing.dat --output out --standard
compare_case planefit-tilt "tilt.dat" planefit tilt.dat
compare_case planefit-json "tilt.dat" planefit tilt.dat --json
printf 'tilt.dat\ng1.dat\n' > "$data/l_fit.txt"
compare_case planefit-list "tilt.dat g1.dat l_fit.txt" planefit --list l_fit.txt
compare_case append "g5a.dat g5b.dat" append --head-lines 4 -o joined.dat g5a.dat g5b.dat

fuzz="${FUZZ:-20}"
if [ "$fuzz" -gt 0 ]; then
    python3 "$here/fuzz_samples.py" "$data" "$fuzz" 1 || exit 2
    for ((i = 1; i <= fuzz; i++)); do
        compare_case "fuzz-$i" "f_$i.dat" run "f_$i.dat" --output out
        compare_case "fuzz-standard-$i" "f_$i.dat" run "f_$i.dat" --output out --standard
    done
fi

echo
echo "$cases cases: $same same, $failed different"
[ "$failed" = 0 ]
