#!/usr/bin/env bash
# Differential test of the standard-methods mode: kelvara-cli run/batch
# --standard against the independent Python reference standard_oracle.py
# (its reading in stream_oracle.py).
#
# Usage: compare_standard.sh [KELVARA_CLI [KELVARA_SAMPLE]]
#   Defaults: build/cli/kelvara-cli (else the first build*/cli/kelvara-cli)
#   and build*/tools/sample_generator/kelvara-sample under the project root.
#   KEEP=1 keeps the work directory; QUICK=1 skips the largest samples;
#   ONLY=REGEX runs only the cases whose names match; FUZZ=N randomly
#   damaged files (default 20, 0 for none).
#
# Every case runs both programs in their own copy of the inputs, with
# --standard added to the arguments, and checks:
# - the exit statuses are equal (0, 1 after a failure, 3 without fluxes);
# - the same results files exist afterwards (.s1w, .sfw, .partial): a run
#   stopped by a time stamp leaves none, a batch those before the failure;
# - standard_diff.py finds them equal: Time, Records and empty fields as
#   text, numbers within a relative 2e-6 (ave_V, ave_W within 1e-6), the
#   room a 1-ulp atan2, sin or cos needs; the summary counts the fields
#   equal as text;
# - of stderr, the lines that the reading tells, in order and byte for byte:
#   a file named twice, files read in another order, records dropped as
#   earlier than the ones before them (per file), listed files sharing a half
#   hour (batch), and a time stamp that stops the run (its message and the
#   line naming file and line number). Progress, the summary line, the rest
#   of that line and other failures' wording are the program's own and are
#   not compared.
# A joined case must also give the engine's bytes of the one-file case it
# names (pieces of a file, other time stamp forms, any --jobs, --list).
# Ends with the largest difference per column over all cases.

set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
oracle="$here/standard_oracle.py"
samples="$here/standard_samples.py"
streams="$here/stream_samples.py"
python=/usr/bin/python3  # Debian's
differ="$here/standard_diff.py"

# shellcheck source=compare_common.sh
. "$here/compare_common.sh"

tool="${1:-$(find_program kelvara-cli "$root"/build/cli/kelvara-cli "$root"/build*/cli/kelvara-cli)}" || exit 2
sample="${2:-$(find_program kelvara-sample "$root"/build/tools/sample_generator/kelvara-sample "$root"/build*/tools/sample_generator/kelvara-sample)}" || exit 2
tool="$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")"
sample="$(cd "$(dirname "$sample")" && pwd)/$(basename "$sample")"
echo "kelvara-cli:    $tool"
echo "kelvara-sample: $sample"

make_work_dir /tmp/kelvara-compare-standard.XXXXXX
stats="$work/stats.jsonl"

turn() {  # in, out, standard_samples.py turn options
    local in="$1" out="$2"; shift 2
    "$python" "$samples" turn "$data/$in" "$data/$out" "$@" || exit 2
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
"$python" "$samples" split "$data/a10.dat" "$data/cut_plain" 4 --seed 1 || exit 2
"$python" "$samples" split "$data/a10.dat" "$data/cut_values" 3 --seed 2 --cut values || exit 2
"$python" "$samples" split "$data/a20m.dat" "$data/cut_end" 3 --seed 3 --cut end || exit 2
"$python" "$here/nasty_samples.py" "$data" || exit 2

# The reading of streams: other time stamp forms; a day cut at every 15
# minutes, hour, day and at odd points; overlaps; clocks that jump or step
# back; time stamps that do not read; a logger table.
streams() { "$python" "$streams" "$@" > /dev/null || exit 2; }
streams restamp "$data/ayear.dat" "$data/form_T.dat" --form T
streams restamp "$data/ayear.dat" "$data/form_T_bare_long.dat" --form T --quote no --fraction long
streams restamp "$data/ayear.dat" "$data/form_slash_mixed.dat" --form slash --quote mixed --blanks
streams restamp "$data/ayear.dat" "$data/form_whole.dat" --form blank --quote no --fraction none
streams restamp "$data/ayear.dat" "$data/form_dot.dat" --form T --quote mixed --fraction dot
streams restamp "$data/a20m.dat" "$data/form_slash_T.dat" --form T --quote mixed --fraction long
# 20 Hz from 23:10: record 36000 is 23:40, inside the 23:30 half hour.
streams shift "$data/a20m.dat" "$data/jump_day.dat" --from 36000 --seconds 86400
streams shift "$data/a20m.dat" "$data/jump_back_day.dat" --from 36000 --seconds -86400
streams shift "$data/a10.dat" "$data/back_5min.dat" --from 40000 --seconds -300
streams shift "$data/a10.dat" "$data/back_1s.dat" --from 20000 --seconds -1
streams shift "$data/s1.dat" "$data/back_end.dat" --from -20 --seconds -60
streams shift "$data/s1.dat" "$data/back_last.dat" --from -1 --seconds -3600
# Records of a bad status ahead of the clock or behind it: they give no
# sample, and only good records set the time later ones must not precede.
streams shift "$data/s1.dat" "$data/bad_ahead.dat" --from 3000 --to 3005 --seconds 600 --status 99
streams shift "$data/s1.dat" "$data/bad_behind.dat" --from 3000 --to 3005 --seconds -600 --status 99
# A day and a year end at 1 Hz (1800 records a half hour).
gen day10.dat --seed 33 --hours 26 --hz 10 --start "2024-12-31 11:00:00" --spike-rate 0.001 \
    --bad-status-rate 0.001 --gap-rate 0.01
streams thin "$data/day10.dat" "$data/day.dat" --every 10
rm -f "$data/day10.dat"
cut_day() {  # prefix, cut options
    local prefix="$1"; shift
    "$python" "$streams" cut "$data/day.dat" "$data/$prefix" "$@" > /dev/null || exit 2
    (cd "$data" && ls "$prefix"[0-9]*.dat | tr '\n' ' ')
}
q15="$(cut_day q15_ --minutes 15)"
hourly="$(cut_day h_ --minutes 60)"
daily="$(cut_day d_ --minutes 1440)"
odd="$(cut_day odd_ --minutes 37 --offset 13)"
overlap="$(cut_day ov_ --minutes 60 --overlap 600)"
reversed_hourly="$(echo $hourly | tr ' ' '\n' | sort -r | tr '\n' ' ')"
printf '%s\n' $q15 > "$data/l_q15.txt"
printf '%s\r\n' $reversed_hourly > "$data/l_hourly_reversed.txt"
printf '%s\n' $odd > "$data/l_odd.txt"
printf '%s\n' $overlap > "$data/l_overlap.txt"
printf '%s\n' $hourly > "$data/l_hourly.txt"
# Time stamps that do not read, at the first record, inside, at the last.
badstamp() { streams badstamp "$data/s1.dat" "$data/bad_$1.dat" --record "$2" --text "$3"; }
badstamp first 0 '"07.06.2012 11:30:00.0"'
badstamp hour25 1000 '2024-06-01 25:00:00'
badstamp feb30 13000 '"2024-02-30 11:40:00.5"'
badstamp nodate -1 '"11:44:59.9"'
badstamp dots 5 '2024.06.01 11:30:00.5'
set -- $hourly
streams badstamp "$data/$5" "$data/hbad_first.dat" --record 0 --text '"2025-01-01 24:00:00"'
streams badstamp "$data/$9" "$data/hbad_mid.dat" --record 1234 --text '2025/01/01T03:1:00'
streams badstamp "$data/${20}" "$data/hbad_late.dat" --record 100 --text '2025-01-01 13:00:60'
bad_hourly="$(echo $hourly | sed -e "s/$5/hbad_first.dat/" -e "s/$9/hbad_mid.dat/" -e "s/${20}/hbad_late.dat/")"
bad_late="$(echo $hourly | sed -e "s/${20}/hbad_late.dat/")"
# Records dropped before the stop are still told.
streams shift "$data/$1" "$data/hdrop_first.dat" --from 100 --seconds -20
drop_bad="$(echo $hourly | sed -e "s/$1/hdrop_first.dat/" -e "s/$9/hbad_mid.dat/")"
# A logger table, in kelvin, with columns to skip; in pieces, in reverse.
gen tab.dat --seed 34 --hours 1.2 --hz 10 --start "2024-06-01 23:10:00" --table --ts-unit K --press-unit hPa \
    --extra-columns 2 --spike-rate 0.001
streams restamp "$data/tab.dat" "$data/tab_T.dat" --form T --quote mixed
tab_pieces="$("$python" "$streams" cut "$data/tab_T.dat" "$data/tab_p" --minutes 20 > /dev/null &&
    cd "$data" && ls tab_p[0-9]*.dat | sort -r | tr '\n' ' ')"

cases=0
same=0
failed=0

results_files() {  # directory
    (cd "$1" && find . \( -name '*.s1w' -o -name '*.sfw' -o -name '*.partial' \) | sort)
}

# compare_case NAME "FILES TO COPY" ARGS...; with joined=CASE set, the
# engine's results must also be those of case CASE, byte for byte (when
# that case ran: ONLY may leave it out).
joined=""
compare_case() {
    local name="$1" files="$2"; shift 2
    local dir="$work/cases/$name" f rc_cpp rc_ora ok=1
    local join="$joined"
    joined=""
    open_case "$name" "$files" || return
    (cd "$dir/cpp" && "$tool" "$@" --standard > ../cpp.out 2> ../cpp.err)
    rc_cpp=$?
    (cd "$dir/ora" && "$python" "$oracle" "$@" --standard > ../ora.out 2> ../ora.err)
    rc_ora=$?
    if [ "$rc_cpp" != "$rc_ora" ]; then
        ok=0
        echo "DIFF $name: exit status engine $rc_cpp, oracle $rc_ora"
        echo "   engine said: $(tr '\n' '|' < "$dir/cpp.err" | cut -c1-300)"
        echo "   oracle said: $(tr '\n' '|' < "$dir/ora.err" | cut -c1-300)"
    fi
    same_reading_messages "$name" || ok=0
    local list_cpp list_ora
    list_cpp="$(results_files "$dir/cpp")"
    list_ora="$(results_files "$dir/ora")"
    if [ "$list_cpp" != "$list_ora" ]; then
        ok=0
        echo "DIFF $name: results files differ: engine [$(echo $list_cpp)] oracle [$(echo $list_ora)]"
    fi
    for f in $list_ora; do
        [ -f "$dir/cpp/$f" ] || continue
        if ! "$python" "$differ" "$dir/ora/$f" "$dir/cpp/$f" --stats "$stats" > "$dir/diff.txt"; then
            ok=0
            echo "DIFF $name: $f"
            cat "$dir/diff.txt"
        fi
    done
    if [ -n "$join" ] && [ -d "$work/cases/$join" ]; then
        for f in $list_cpp; do
            if ! cmp -s "$dir/cpp/$f" "$work/cases/$join/cpp/$f"; then
                ok=0
                echo "DIFF $name: the engine's $f is not that of $join"
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

# Time stamp forms: the bytes of the plain file.
for rot in dr pf; do
    r=(); [ $rot = pf ] && r=("${PF[@]}")
    for f in form_T form_T_bare_long form_slash_mixed form_whole form_dot; do
        joined="run-$rot-ayear.dat" compare_case "$f-$rot" "$f.dat" run "$f.dat" --output out "${r[@]}"
    done
    joined="run-$rot-a20m.dat" compare_case "form_slash_T-$rot" form_slash_T.dat run form_slash_T.dat \
        --output out "${r[@]}"
done

# A day jump inside a half hour, clocks stepping back inside a file and at
# its end.
for rot in dr pf; do
    r=(); [ $rot = pf ] && r=("${PF[@]}")
    for f in jump_day jump_back_day back_5min back_1s back_end back_last bad_ahead bad_behind; do
        compare_case "$f-$rot" "$f.dat" run "$f.dat" --output out "${r[@]}"
    done
    compare_case "back_end+s2-$rot" "back_end.dat s2.dat" run s2.dat back_end.dat --output out "${r[@]}"
done

# A day in pieces: the bytes of the whole file, in any order, on any number
# of threads, from a list.
for rot in dr pf; do
    r=(); [ $rot = pf ] && r=("${PF[@]}")
    compare_case "day-$rot" day.dat run day.dat --output out "${r[@]}"
    joined="day-$rot" compare_case "day-q15-$rot" "$q15" run $q15 --output out "${r[@]}"
    joined="day-$rot" compare_case "day-hourly-reversed-$rot" "$hourly" run $reversed_hourly --output out "${r[@]}"
    joined="day-$rot" compare_case "day-daily-$rot" "$daily" run $daily --output out "${r[@]}"
    joined="day-$rot" compare_case "day-odd-$rot" "$odd" run $odd --output out "${r[@]}"
    compare_case "day-overlap-$rot" "$overlap" run $overlap --output out "${r[@]}"
done
for jobs in 1 2 5 7; do
    joined=day-dr compare_case "day-q15-jobs$jobs" "$q15 l_q15.txt" run --list l_q15.txt --output out --jobs "$jobs"
    joined=day-dr compare_case "day-hourly-reversed-jobs$jobs" "$hourly l_hourly_reversed.txt" \
        run --list l_hourly_reversed.txt --output out --jobs "$jobs"
    compare_case "day-overlap-jobs$jobs" "$overlap" run $overlap --output out --jobs "$jobs" "${PF[@]}"
done
set -- $hourly
joined=day-dr compare_case day-twice "$hourly" run $hourly "./$3" $7 --output out --jobs 3
joined=day-pf compare_case day-twice-list "$hourly l_hourly.txt" run "$2" "./$5" --list l_hourly.txt --output out \
    --jobs 2 "${PF[@]}"

# Time stamps that do not read: the run stops and writes nothing.
for f in bad_first bad_hour25 bad_feb30 bad_nodate bad_dots; do
    compare_case "$f" "$f.dat" run "$f.dat" --output out
done
compare_case bad-in-stream "s1.dat s2.dat bad_hour25.dat" run s2.dat bad_hour25.dat s1.dat --output out "${PF[@]}"
for jobs in 1 2 7; do
    compare_case "bad-hourly-jobs$jobs" "$bad_hourly" run $bad_hourly --output out --jobs "$jobs"
    compare_case "bad-late-jobs$jobs" "$bad_late" run $bad_late --output out --jobs "$jobs"
    compare_case "bad-after-drop-jobs$jobs" "$drop_bad" run $drop_bad --output out --jobs "$jobs"
done

# A logger table by its header's names.
for rot in dr pf; do
    r=(); [ $rot = pf ] && r=("${PF[@]}")
    compare_case "table-$rot" tab.dat run tab.dat --output out --columns auto "${r[@]}"
    joined="table-$rot" compare_case "table-pieces-$rot" "$tab_pieces" run $tab_pieces --output out --columns auto \
        --jobs 2 "${r[@]}"
done

# Batches of pieces: each its own stream; pieces that share half hours.
compare_case batch-hourly "$hourly l_hourly.txt" batch l_hourly.txt
compare_case batch-odd "$odd l_odd.txt" batch l_odd.txt --jobs 2
compare_case batch-overlap-pf "$overlap l_overlap.txt" batch l_overlap.txt "${PF[@]}"
printf 's1.dat\nbad_hour25.dat\ns2.dat\n' > "$data/l_bad.txt"
compare_case batch-bad "s1.dat s2.dat bad_hour25.dat l_bad.txt" batch l_bad.txt --jobs 1
printf 'tab.dat\ntab_T.dat\n' > "$data/l_tab.txt"
compare_case batch-table "tab.dat tab_T.dat l_tab.txt" batch l_tab.txt --columns auto

# Failures.
compare_case fail-missing-later "s1.dat" run s1.dat nothing.dat --output out
compare_case fail-missing-first "" run nothing.dat --output out
compare_case fail-empty-b "s1.dat" run s1.dat --output out --planar-fit 0.1 "" 0.2
compare_case fail-batch-missing "a10.dat l_gen.txt" batch l_gen.txt
cp "$data/s1.dat" "$data/in.s1w"
compare_case fail-output-is-input "in.s1w" run in.s1w --output in

# Randomly damaged files.
fuzz="${FUZZ:-20}"
if [ "$fuzz" -gt 0 ]; then
    "$python" "$here/fuzz_samples.py" "$data" "$fuzz" 1 || exit 2
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
