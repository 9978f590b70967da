#!/usr/bin/env bash
# Differential test: kelvara-cli against the Python reference implementation.
#
# Usage: compare.sh [KELVARA_CLI [KELVARA_SAMPLE]]
#   Defaults: build-oracle/..., else the first build-*/cli/kelvara-cli and
#   build-*/tools/sample_generator/kelvara-sample under the project root.
#   Waits (up to WAIT_SECONDS, default 1800) for them to appear.
#   KEEP=1 keeps the work directory; QUICK=1 skips the largest samples;
#   ONLY=REGEX runs only the cases whose names match; FUZZ=N randomly
#   damaged files (default 40, 0 for none), FUZZ_SEED=S the first seed.
#
# Every case runs both programs in their own copy of the inputs and compares
# every results file byte for byte, and the exit statuses. Prints the first
# differing lines of each difference; exits 1 when anything differs.

set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
oracle="$here/kelvara_oracle.py"

# shellcheck source=compare_common.sh
. "$here/compare_common.sh"

cli="${1:-$(WAIT_SECONDS="${WAIT_SECONDS:-1800}" find_program kelvara-cli "$root"/build-oracle/cli/kelvara-cli "$root"/build-*/cli/kelvara-cli)}" || exit 2
sample="${2:-$(WAIT_SECONDS="${WAIT_SECONDS:-1800}" find_program kelvara-sample "$root"/build-oracle/tools/sample_generator/kelvara-sample "$root"/build-*/tools/sample_generator/kelvara-sample)}" || exit 2
cli="$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")"
sample="$(cd "$(dirname "$sample")" && pwd)/$(basename "$sample")"
echo "kelvara-cli:    $cli"
echo "kelvara-sample: $sample"

make_work_dir /tmp/kelvara-compare.XXXXXX

gen g1.dat --seed 1 --hours 1 --hz 10
gen g2.dat --seed 2 --hours 2 --hz 20 --lf --spike-rate 0.001 --bad-status-rate 0.001 \
    --out-of-range-rate 0.0005 --gap-rate 0.01
gen g3.dat --seed 3 --hours 3 --hz 10 --start "2024-06-01 22:47:13" --spike-rate 0.002 \
    --bad-status-rate 0.002 --out-of-range-rate 0.001 --gap-rate 0.05
gen g4.dat --seed 4 --hours 1.5 --hz 20 --start "2024-07-15 23:10:00" --spike-rate 0.0005 \
    --bad-status-rate 0.01
gen g5a.dat --seed 5 --hours 0.75 --hz 10 --start "2024-06-01 11:30:00" --spike-rate 0.001
gen g5b.dat --seed 6 --hours 1 --hz 10 --start "2024-06-01 12:15:00" --lf --gap-rate 0.02
gen g6.dat --seed 7 --hours 1 --hz 10 --out-of-range-rate 0.3 --spike-rate 0.01
gen g7.dat --seed 8 --hours 2.2 --hz 20 --start "2024-06-01 05:01:02" --gap-rate 0.3 \
    --bad-status-rate 0.2
if [ "${QUICK:-0}" != 1 ]; then
    gen g8.dat --seed 9 --hours 3 --hz 20 --spike-rate 0.001 --out-of-range-rate 0.001 --lf
fi
python3 "$here/nasty_samples.py" "$data" || exit 2

cases=0
same=0
failed=0

# compare_case NAME "FILES TO COPY" ARGS...
compare_case() {
    local name="$1" files="$2"; shift 2
    local dir="$work/cases/$name" side f rc_cpp rc_ora
    open_case "$name" "$files" || return
    (cd "$dir/cpp" && "$cli" --quiet "$@" > ../cpp.out 2> ../cpp.err)
    rc_cpp=$?
    (cd "$dir/ora" && python3 "$oracle" "$@" > ../ora.out 2> ../ora.err)
    rc_ora=$?
    local ok=1
    if [ "$rc_cpp" != "$rc_ora" ]; then
        ok=0
        echo "DIFF $name: exit status C++ $rc_cpp, oracle $rc_ora"
        echo "   C++ said:    $(tr '\n' '|' < "$dir/cpp.err" | cut -c1-300)"
        echo "   oracle said: $(tr '\n' '|' < "$dir/ora.err" | cut -c1-300)"
    fi
    local list_cpp list_ora
    list_cpp="$(cd "$dir/cpp" && find . -name '*.r1w' -o -name '*.rfw' | sort)"
    list_ora="$(cd "$dir/ora" && find . -name '*.r1w' -o -name '*.rfw' | sort)"
    if [ "$list_cpp" != "$list_ora" ]; then
        ok=0
        echo "DIFF $name: results files differ: C++ [$(echo $list_cpp)] oracle [$(echo $list_ora)]"
    fi
    for f in $list_ora; do
        [ -f "$dir/cpp/$f" ] || continue
        if ! cmp -s "$dir/cpp/$f" "$dir/ora/$f"; then
            ok=0
            echo "DIFF $name: $f"
            diff <(cat -A "$dir/ora/$f") <(cat -A "$dir/cpp/$f") | head -n "${DIFF_LINES:-8}" |
                sed -e 's/^</   oracle:/' -e 's/^>/   C++:   /'
        fi
    done
    if [ $ok = 1 ]; then
        same=$((same + 1))
        echo "same $name ($(echo $list_ora | wc -w) results files, exit $rc_ora)"
    else
        failed=$((failed + 1))
    fi
}

PF=(--planar-fit 0.05 0.02 -0.03)
long="$(printf 'x%.0s' $(seq 230))"

# Generated files, alone, both rotations.
gfiles="g1.dat g2.dat g3.dat g4.dat g6.dat g7.dat"
[ "${QUICK:-0}" != 1 ] && gfiles="$gfiles g8.dat"
for g in $gfiles; do
    compare_case "run-2axis-$g" "$g" run "$g" --output out
    compare_case "run-pf-$g" "$g" run "$g" --output out "${PF[@]}"
done
compare_case run-second-g5 "g5a.dat g5b.dat" run g5a.dat --second g5b.dat --output out
compare_case run-second-g5-pf "g5a.dat g5b.dat" run g5a.dat --second g5b.dat --output out "${PF[@]}"
compare_case run-pf-zero "g1.dat" run g1.dat --output out --planar-fit 0 0 0
compare_case run-pf-text "g1.dat" run g1.dat --output out --planar-fit " 0x1p-4" "2e-2abc" "-0.3e-1x"
compare_case run-pf-longtext "g1.dat" run g1.dat --output out --planar-fit "            0.05" "0.0200000000000001" "-0.030000000000001"
compare_case run-same-second "g1.dat" run g1.dat --second g1.dat --output out
compare_case run-no-output-dir "g1.dat" run g1.dat --output nodir/out
compare_case run-pf-inf "g1.dat" run g1.dat --output out --planar-fit 0 inf 0
compare_case run-pf-nan "g1.dat" run g1.dat --output out --planar-fit nan 0 0
compare_case run-pf-huge "g1.dat" run g1.dat --output out --planar-fit 0 1e30 1e-30
compare_case run-range-tight "g2.dat r_tight.ini" run g2.dat --output out --range-file r_tight.ini
compare_case run-range-inverted "g1.dat r_inverted.ini" run g1.dat --output out --range-file r_inverted.ini
compare_case run-range-odd "g3.dat r_odd.ini" run g3.dat --output out --range-file r_odd.ini "${PF[@]}"
compare_case run-range-short "g1.dat r_short.ini" run g1.dat --output out --range-file r_short.ini

# Hand-made files, alone, both rotations.
for n in n_long n_numbers n_missing n_nolf n_nolf_carry n_shortmid n_allbad n_badmid n_reject \
         n_longheader n_headers_only n_two_lines n_cut_values n_cut_stamp n_cut_status n_cut_same \
         n_status n_clock n_midnight n_twodays; do
    compare_case "run-2axis-$n" "$n.dat" run "$n.dat" --output out
    compare_case "run-pf-$n" "$n.dat" run "$n.dat" --output out "${PF[@]}"
done
for n in n_zero_wind n_const n_nul n_cr_only n_widths n_over n_blank_lines; do
    compare_case "run-2axis-$n" "$n.dat" run "$n.dat" --output out
    compare_case "run-pf-$n" "$n.dat" run "$n.dat" --output out "${PF[@]}"
done
compare_case run-pf0-n_zero_wind "n_zero_wind.dat" run n_zero_wind.dat --output out --planar-fit 0 0 0
compare_case run-pf0-n_const "n_const.dat" run n_const.dat --output out --planar-fit 0.1 0 0
compare_case run-p0-n_zero_air "n_zero_air.dat r_p0.ini" run n_zero_air.dat --output out --range-file r_p0.ini
compare_case run-p0-pf-n_zero_air "n_zero_air.dat r_p0.ini" run n_zero_air.dat --output out --range-file r_p0.ini "${PF[@]}"
compare_case run-inf-n_huge "n_huge.dat r_inf.ini" run n_huge.dat --output out --range-file r_inf.ini
compare_case run-n_huge "n_huge.dat" run n_huge.dat --output out
compare_case run-range-cut "g1.dat r_cut.ini" run g1.dat --output out --range-file r_cut.ini
compare_case run-range-longlabel "g1.dat r_longlabel.ini" run g1.dat --output out --range-file r_longlabel.ini
for r in r_nan r_cr_only r_equal r_empty; do
    compare_case "run-range-$r" "g1.dat $r.ini" run g1.dat --output out --range-file "$r.ini"
done
compare_case run-range-missing "g1.dat" run g1.dat --output out --range-file nothing.ini
compare_case run-tight-n_bounds "n_bounds.dat r_tight.ini" run n_bounds.dat --output out --range-file r_tight.ini
compare_case run-tight-pf-n_bounds "n_bounds.dat r_tight.ini" run n_bounds.dat --output out --range-file r_tight.ini "${PF[@]}"
compare_case run-n_five "n_five.dat" run n_five.dat --output out
compare_case batch-five "n_five.dat n_bounds.dat l_five.txt r_tight.ini" batch l_five.txt --range-file r_tight.ini
compare_case run-tight-n_reject "n_reject.dat r_tight.ini" run n_reject.dat --output out --range-file r_tight.ini

# A second file following the first.
for s in p_second p_second_other p_second_short p_second_cut n_headers_only n_two_lines; do
    for f in p_first p_first_carry p_first_cut p_first_exact n_nolf n_nolf_carry n_headers_only; do
        compare_case "run-$f+$s" "$f.dat $s.dat" run "$f.dat" --second "$s.dat" --output out
    done
done
compare_case "run-pf-p_first+p_second" "p_first.dat p_second.dat" run p_first.dat --second p_second.dat \
    --output out "${PF[@]}"

# Failures.
compare_case run-missing-first "" run nothing.dat --output out
compare_case run-missing-second "g1.dat" run g1.dat --second nothing.dat --output out
compare_case run-empty-b "g1.dat" run g1.dat --output out --planar-fit 0.1 "" 0.2

# Batches.
printf 'g1.dat\r\ng5a.dat\r\ng6.dat' > "$data/l_gen.txt"
compare_case batch-gen "g1.dat g5a.dat g6.dat l_gen.txt" batch l_gen.txt
compare_case batch-gen-pf "g1.dat g5a.dat g6.dat l_gen.txt" batch l_gen.txt "${PF[@]}"
printf 'g4.dat\ng7.dat\n' > "$data/l_gen2.txt"
compare_case batch-gen2 "g4.dat g7.dat l_gen2.txt" batch l_gen2.txt
compare_case batch-gen2-range "g4.dat g7.dat l_gen2.txt r_tight.ini" batch l_gen2.txt --range-file r_tight.ini
compare_case batch-nasty "n_shortmid.dat n_headers_only.dat n_nolf_carry.dat n_reject.dat n_midnight.dat n_numbers.dat l_nasty.txt" \
    batch l_nasty.txt
compare_case batch-nasty-pf "n_shortmid.dat n_headers_only.dat n_nolf_carry.dat n_reject.dat n_midnight.dat n_numbers.dat l_nasty.txt" \
    batch l_nasty.txt "${PF[@]}"
compare_case batch-lf "n_long.dat n_status.dat n_clock.dat n_cut_values.dat n_badmid.dat l_lf.txt" batch l_lf.txt
compare_case batch-missing "n_twodays.dat n_midnight.dat l_missing.txt" batch l_missing.txt
compare_case batch-emptyline "n_twodays.dat n_midnight.dat l_emptyline.txt" batch l_emptyline.txt
compare_case batch-emptylist "l_empty.txt" batch l_empty.txt
compare_case batch-nolist "" batch nothing.txt
compare_case batch-long-name "n_twodays.dat n_${long}.dat l_long.txt" batch l_long.txt
compare_case batch-dup "n_twodays.dat n_over.dat l_dup.txt" batch l_dup.txt "${PF[@]}"
compare_case batch-cr-end "n_twodays.dat n_midnight.dat l_cr_end.txt" batch l_cr_end.txt
# A results file that would overwrite an input is refused.
cp "$data/g1.dat" "$data/in.r1w"
compare_case run-output-is-input "in.r1w" run in.r1w --output in
printf 'g1.dat.r1w\n' > "$data/g1.dat.r1w.r1w"
compare_case batch-output-is-list "g1.dat g1.dat.r1w.r1w" batch g1.dat.r1w.r1w

# Randomly damaged files: FUZZ=N of them (default 40), FUZZ_SEED the first seed.
fuzz="${FUZZ:-40}"
if [ "$fuzz" -gt 0 ]; then
    seed0="${FUZZ_SEED:-1}"
    python3 "$here/fuzz_samples.py" "$data" "$fuzz" "$seed0" || exit 2
    : > "$data/l_fuzz.txt"
    for ((i = seed0; i < seed0 + fuzz; i++)); do
        f="f_$i.dat"
        printf '%s\n' "$f" >> "$data/l_fuzz.txt"
        if [ $((i % 3)) = 0 ]; then
            compare_case "fuzz-pf-$i" "$f" run "$f" --output out "${PF[@]}"
        else
            compare_case "fuzz-$i" "$f" run "$f" --output out
        fi
        if [ $((i % 4)) = 1 ]; then
            compare_case "fuzz-second-$i" "$f f_$((i + 1 < seed0 + fuzz ? i + 1 : seed0)).dat" \
                run "$f" --second "f_$((i + 1 < seed0 + fuzz ? i + 1 : seed0)).dat" --output out
        fi
    done
    compare_case fuzz-batch "$(sed -e 's/$//' "$data/l_fuzz.txt" | tr '\n' ' ') l_fuzz.txt" batch l_fuzz.txt
fi

echo
echo "$cases cases: $same same, $failed different"
[ "$failed" = 0 ]
