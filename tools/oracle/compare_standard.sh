#!/usr/bin/env bash
# Differential test of the standard-methods mode: the engine's jobs (through
# the development driver bench/kelvara-standard) against the independent
# Python reference standard_oracle.py.
#
# Usage: compare_standard.sh [KELVARA_STANDARD [KELVARA_SAMPLE]]
#   Defaults: the first build*/bench/kelvara-standard and
#   build*/tools/sample_generator/kelvara-sample under the project root.
#   KEEP=1 keeps the work directory; QUICK=1 skips the largest samples;
#   ONLY=REGEX runs only the cases whose names match; FUZZ=N randomly
#   damaged files (default 20, 0 for none).
#
# Every case runs both programs in their own copy of the inputs. The exit
# statuses must agree; after a finished run the same results files must
# exist, and standard_diff.py compares them: Time, Records and empty fields
# as text, numbers within a relative 2e-6 (ave_V, ave_W within 1e-6). A
# failed run is compared by its status only: the reference leaves a
# header-only results file behind, the engine refuses before creating one.
# Ends with the largest difference per column over all cases.

set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
oracle="$here/standard_oracle.py"
samples="$here/standard_samples.py"
differ="$here/standard_diff.py"

# shellcheck source=compare_common.sh
. "$here/compare_common.sh"

tool="${1:-$(find_program kelvara-standard "$root"/build*/bench/kelvara-standard)}" || exit 2
sample="${2:-$(find_program kelvara-sample "$root"/build*/tools/sample_generator/kelvara-sample)}" || exit 2
tool="$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")"
sample="$(cd "$(dirname "$sample")" && pwd)/$(basename "$sample")"
echo "kelvara-standard: $tool"
echo "kelvara-sample:   $sample"

make_work_dir /tmp/kelvara-compare-standard.XXXXXX
stats="$work/stats.jsonl"

turn() {  # in, out, standard_samples.py turn options
    local in="$1" out="$2"; shift 2
    python3 "$samples" turn "$data/$in" "$data/$out" "$@" || exit 2
}

# 10 and 20 Hz; spikes, bad status, out-of-range values, gaps; midnight,
# month and year ends.
gen a10.dat --seed 21 --hours 3 --hz 10 --start "2024-06-01 22:47:13" --spike-rate 0.002 \
    --bad-status-rate 0.002 --out-of-range-rate 0.001 --gap-rate 0.05
gen a20.dat --seed 22 --hours 2 --hz 20 --lf --spike-rate 0.001 --bad-status-rate 0.001 \
    --out-of-range-rate 0.0005 --gap-rate 0.01
gen a20m.dat --seed 23 --hours 1.5 --hz 20 --start "2024-07-15 23:10:00" --spike-rate 0.0005 \
    --bad-status-rate 0.01
gen agaps.dat --seed 24 --hours 2.2 --hz 20 --start "2024-06-01 05:01:02" --gap-rate 0.3 \
    --bad-status-rate 0.2
gen aleap.dat --seed 25 --hours 1.5 --hz 10 --start "2024-02-28 23:05:00" --spike-rate 0.001
gen ayear.dat --seed 26 --hours 1 --hz 10 --start "2023-12-31 23:20:00" --gap-rate 0.02
gen arange.dat --seed 27 --hours 1 --hz 10 --out-of-range-rate 0.3 --spike-rate 0.01
gen s1.dat --seed 28 --hours 0.75 --hz 10 --start "2024-06-01 11:30:00" --spike-rate 0.001
gen s2.dat --seed 29 --hours 1 --hz 10 --start "2024-06-01 12:15:00" --lf --gap-rate 0.02
gen s3.dat --seed 30 --hours 0.6 --hz 20 --start "2024-06-01 13:15:00"
gen base.dat --seed 31 --hours 1 --hz 10 --start "2024-06-01 10:00:00" --spike-rate 0.001
if [ "${QUICK:-0}" != 1 ]; then
    gen abig.dat --seed 32 --hours 6 --hz 20 --start "2024-06-30 21:00:00" --spike-rate 0.001 \
        --out-of-range-rate 0.001 --gap-rate 0.01
fi

# The wind from every direction (mean u < 0 among them), and a sonic tilted
# on a known plane.
directions="0 30 60 90 120 150 180 210 240 270 300 330 173 265"
for deg in $directions; do turn base.dat "yaw$deg.dat" --yaw "$deg"; done
PLANE=(0.03 0.08 -0.05)
turn a10.dat tilt_a10.dat --yaw 200 --plane "${PLANE[@]}"
turn a20.dat tilt_a20.dat --yaw 95 --plane "${PLANE[@]}"
turn base.dat tilt_base.dat --yaw 310 --plane 0.1 -0.12 0.07

# Streams: one file cut into pieces at random records, with and without a
# record cut short at each piece's end.
python3 "$samples" split "$data/a10.dat" "$data/cut_plain" 4 --seed 1 || exit 2
python3 "$samples" split "$data/a10.dat" "$data/cut_values" 3 --seed 2 --cut values || exit 2
python3 "$samples" split "$data/a20m.dat" "$data/cut_end" 3 --seed 3 --cut end || exit 2
python3 "$here/nasty_samples.py" "$data" || exit 2

cases=0
same=0
failed=0

# compare_case NAME "FILES TO COPY" ARGS...
compare_case() {
    local name="$1" files="$2"; shift 2
    local dir="$work/cases/$name" side f rc_cpp rc_ora
    open_case "$name" "$files" || return
    (cd "$dir/cpp" && "$tool" "$@" > ../cpp.out 2> ../cpp.err)
    rc_cpp=$?
    (cd "$dir/ora" && python3 "$oracle" "$@" > ../ora.out 2> ../ora.err)
    rc_ora=$?
    local ok=1
    if [ "$rc_cpp" != "$rc_ora" ]; then
        ok=0
        echo "DIFF $name: exit status engine $rc_cpp, oracle $rc_ora"
        echo "   engine said: $(tr '\n' '|' < "$dir/cpp.err" | cut -c1-300)"
        echo "   oracle said: $(tr '\n' '|' < "$dir/ora.err" | cut -c1-300)"
    fi
    local list_cpp list_ora
    list_cpp="$(cd "$dir/cpp" && find . -name '*.s1w' -o -name '*.sfw' | sort)"
    list_ora="$(cd "$dir/ora" && find . -name '*.s1w' -o -name '*.sfw' | sort)"
    if [ "$rc_ora" = 0 ] && [ "$list_cpp" != "$list_ora" ]; then
        ok=0
        echo "DIFF $name: results files differ: engine [$(echo $list_cpp)] oracle [$(echo $list_ora)]"
    fi
    if [ "$rc_ora" = 0 ]; then
        for f in $list_ora; do
            [ -f "$dir/cpp/$f" ] || continue
            if ! python3 "$differ" "$dir/ora/$f" "$dir/cpp/$f" --stats "$stats" > "$dir/diff.txt"; then
                ok=0
                echo "DIFF $name: $f"
                cat "$dir/diff.txt"
            fi
        done
    fi
    if [ $ok = 1 ]; then
        same=$((same + 1))
        echo "same $name ($(echo $list_ora | wc -w) results files, exit $rc_ora)"
    else
        failed=$((failed + 1))
    fi
}

PF=(--planar-fit 0.05 0.02 -0.03)

# Generated files, alone, both rotations.
gfiles="a10.dat a20.dat a20m.dat agaps.dat aleap.dat ayear.dat arange.dat"
[ "${QUICK:-0}" != 1 ] && gfiles="$gfiles abig.dat"
for g in $gfiles; do
    compare_case "run-dr-$g" "$g" run "$g" --output out
    compare_case "run-pf-$g" "$g" run "$g" --output out "${PF[@]}"
done

# Every wind direction; the planar fit of a level sonic too.
for deg in $directions; do
    compare_case "dir-dr-$deg" "yaw$deg.dat" run "yaw$deg.dat" --output out
    compare_case "dir-pf0-$deg" "yaw$deg.dat" run "yaw$deg.dat" --output out --planar-fit 0 0 0
done

# A tilted sonic: the planar fit with the known plane, and double rotation.
for t in tilt_a10 tilt_a20; do
    compare_case "tilt-pf-$t" "$t.dat" run "$t.dat" --output out --planar-fit "${PLANE[@]}"
    compare_case "tilt-dr-$t" "$t.dat" run "$t.dat" --output out
done
compare_case "tilt-pf-tilt_base" "tilt_base.dat" run tilt_base.dat --output out --planar-fit 0.1 -0.12 0.07

# Several files as one stream.
compare_case stream-pieces "cut_plain1.dat cut_plain2.dat cut_plain3.dat cut_plain4.dat" \
    run cut_plain1.dat cut_plain2.dat cut_plain3.dat cut_plain4.dat --output out
compare_case stream-pieces-pf "cut_plain1.dat cut_plain2.dat cut_plain3.dat cut_plain4.dat" \
    run cut_plain1.dat cut_plain2.dat cut_plain3.dat cut_plain4.dat --output out "${PF[@]}"
compare_case stream-cut-values "cut_values1.dat cut_values2.dat cut_values3.dat" \
    run cut_values1.dat cut_values2.dat cut_values3.dat --output out
compare_case stream-cut-end "cut_end1.dat cut_end2.dat cut_end3.dat" \
    run cut_end1.dat cut_end2.dat cut_end3.dat --output out
compare_case stream-consecutive "s1.dat s2.dat s3.dat" run s1.dat s2.dat s3.dat --output out
compare_case stream-consecutive-pf "s1.dat s2.dat s3.dat" run s1.dat s2.dat s3.dat --output out "${PF[@]}"
compare_case stream-reversed "s1.dat s2.dat s3.dat" run s3.dat s1.dat s2.dat --output out
compare_case stream-twice "s1.dat" run s1.dat s1.dat --output out
for f in p_first p_first_carry p_first_cut p_first_exact n_nolf n_nolf_carry n_headers_only; do
    for s in p_second p_second_other p_second_short p_second_cut n_headers_only; do
        compare_case "stream-$f+$s" "$f.dat $s.dat" run "$f.dat" "$s.dat" --output out
    done
done

# The hand-made edge files, alone.
for f in "$data"/n_*.dat; do
    n="$(basename "$f" .dat)"
    [ ${#n} -gt 40 ] && continue
    compare_case "run-dr-$n" "$n.dat" run "$n.dat" --output out
    compare_case "run-pf-$n" "$n.dat" run "$n.dat" --output out "${PF[@]}"
done
compare_case run-range-tight "a20.dat r_tight.ini" run a20.dat --output out --range-file r_tight.ini
compare_case run-range-odd "a10.dat r_odd.ini" run a10.dat --output out --range-file r_odd.ini "${PF[@]}"
compare_case run-p0-n_zero_air "n_zero_air.dat r_p0.ini" run n_zero_air.dat --output out --range-file r_p0.ini
compare_case run-inf-n_huge "n_huge.dat r_inf.ini" run n_huge.dat --output out --range-file r_inf.ini
compare_case run-pf-text "base.dat" run base.dat --output out --planar-fit " 0x1p-4" "2e-2abc" "-0.3e-1x"
compare_case run-pf-inf "base.dat" run base.dat --output out --planar-fit 0 inf 0

# Batches: each listed file its own stream.
printf 'a10.dat\r\ns1.dat\r\ns2.dat' > "$data/l_gen.txt"
compare_case batch-gen "a10.dat s1.dat s2.dat l_gen.txt" batch l_gen.txt
compare_case batch-gen-pf "a10.dat s1.dat s2.dat l_gen.txt" batch l_gen.txt "${PF[@]}"
printf 'n_shortmid.dat\nn_headers_only.dat\nn_nolf_carry.dat\nn_reject.dat\nn_midnight.dat\n' > "$data/l_nasty.txt"
compare_case batch-nasty "n_shortmid.dat n_headers_only.dat n_nolf_carry.dat n_reject.dat n_midnight.dat l_nasty.txt" \
    batch l_nasty.txt

# Failures: compared by exit status.
compare_case fail-missing-later "s1.dat" run s1.dat nothing.dat --output out
compare_case fail-missing-first "" run nothing.dat --output out
compare_case fail-empty-b "s1.dat" run s1.dat --output out --planar-fit 0.1 "" 0.2
compare_case fail-batch-missing "a10.dat l_gen.txt" batch l_gen.txt
cp "$data/s1.dat" "$data/in.s1w"
compare_case fail-output-is-input "in.s1w" run in.s1w --output in

# Randomly damaged files.
fuzz="${FUZZ:-20}"
if [ "$fuzz" -gt 0 ]; then
    python3 "$here/fuzz_samples.py" "$data" "$fuzz" 1 || exit 2
    for ((i = 1; i <= fuzz; i++)); do
        if [ $((i % 3)) = 0 ]; then
            compare_case "fuzz-pf-$i" "f_$i.dat" run "f_$i.dat" --output out "${PF[@]}"
        else
            compare_case "fuzz-$i" "f_$i.dat" run "f_$i.dat" --output out
        fi
        if [ $((i % 4)) = 1 ] && [ $i -lt $fuzz ]; then
            compare_case "fuzz-stream-$i" "f_$i.dat f_$((i + 1)).dat" run "f_$i.dat" "f_$((i + 1)).dat" --output out
        fi
    done
fi

echo
echo "$cases cases: $same agree, $failed differ"
if [ -s "$stats" ]; then
    python3 - "$stats" <<'EOF'
import json, sys
lines = fields = same = within = nan_sign = 0
worst = {}
near_zero = {}
for row in map(json.loads, open(sys.argv[1])):
    lines += row['lines']; fields += row['fields']; same += row['same_text']
    within += row.get('within', 0); nan_sign += row.get('nan_sign', 0)
    for name, rel in row['max_rel'].items():
        if name in ('ave_V', 'ave_W'):
            near_zero[name] = max(near_zero.get(name, 0.0), row['max_abs'][name])
        else:
            worst[name] = max(worst.get(name, 0.0), rel)
print('%d lines, %d fields: %d identical as text, %d within tolerance, %d NaN of the other sign'
      % (lines, fields, same, within, nan_sign))
if worst:
    print('largest relative difference: ' +
          ', '.join('%s %.2g' % kv for kv in sorted(worst.items(), key=lambda kv: -kv[1])))
if near_zero:
    print('largest absolute difference: ' + ', '.join('%s %.2g' % kv for kv in sorted(near_zero.items())))
EOF
fi
[ "$failed" = 0 ]
