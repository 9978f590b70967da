#!/usr/bin/env bash
# Differential test of the corrected fluxes: a program with the command line
#   PROGRAM run FILE... --output OUT --site SITE.ini [--planar-fit B0 B1 B2]
#           [--columns auto] [--range-file PATH]
# (kelvara-cli) against the independent Python reference flux_oracle.py,
# over generated files.
#
# Usage: compare_flux.sh [PROGRAM [KELVARA_SAMPLE]]
#   Defaults: the first build*/cli/kelvara-cli and
#   build*/tools/sample_generator/kelvara-sample under the project root.
#   KEEP=1 keeps the work directory; QUICK=1 runs fewer site variants;
#   ONLY=REGEX runs only the cases whose names match.
#
# The exit statuses must be equal, and so must the lines of stderr that the
# reading of a stream tells (compare_common.sh's reading_messages). After a
# finished run both write OUT.flux.csv and flux_diff.py compares them: time
# stamps, N, lags and flags equal, -9999 equal as text, every other number
# within 1e-6 relative; a run stopped by a time stamp leaves no file. A
# joined case (pieces of a file in any order, other time stamp forms, any
# --jobs, --list) must also give the program's bytes of the one-file case
# it names. The trend cases must give flags 1 and 2. Ends with the counts
# of lines, flags and lags, and the largest difference per column.

set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
oracle="$here/flux_oracle.py"
samples="$here/standard_samples.py"
streams="$here/stream_samples.py"
differ="$here/flux_diff.py"
python=/usr/bin/python3  # Debian's, with numpy

# shellcheck source=compare_common.sh
. "$here/compare_common.sh"

tool="${1:-$(find_program kelvara-cli "$root"/build/cli/kelvara-cli "$root"/build*/cli/kelvara-cli)}" || exit 2
sample="${2:-$(find_program kelvara-sample "$root"/build/tools/sample_generator/kelvara-sample "$root"/build*/tools/sample_generator/kelvara-sample)}" || exit 2
tool="$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")"
sample="$(cd "$(dirname "$sample")" && pwd)/$(basename "$sample")"
echo "program:        $tool"
echo "kelvara-sample: $sample"

make_work_dir /tmp/kelvara-compare-flux.XXXXXX
stats="$work/stats.jsonl"
trend_stats="$work/trend.jsonl"

# Planted lags in both gases (the auto window is +-0.3 s without a
# separation: 0.2 s lies inside it, 0.3 s on its edge), day and night,
# stable all day, a half-hourly trend, many gaps, midnight and a year end,
# a logger table in other units.
gen l10.dat --seed 41 --hours 3 --hz 10 --start "2024-06-01 09:40:00" --co2-lag 0.2 --h2o-lag 0.3 \
    --spike-rate 0.001 --gap-rate 0.01 --bad-status-rate 0.001
gen l20.dat --seed 42 --hours 2 --hz 20 --lf --start "2024-06-01 12:10:00" --co2-lag 0.45 --h2o-lag 0.1 \
    --spike-rate 0.001
gen stable.dat --seed 43 --hours 2 --hz 10 --stable --start "2024-06-01 13:00:00" --co2-lag 0.1
gen night.dat --seed 44 --hours 2.5 --hz 20 --start "2024-06-01 22:15:00" --h2o-lag 0.2 --gap-rate 0.005
gen year.dat --seed 45 --hours 1.5 --hz 10 --start "2023-12-31 23:00:00" --co2-lag 0.1
gen trend1.dat --seed 46 --hours 2 --hz 10 --start "2024-06-01 11:00:00" --trend 0.3
gen trend2.dat --seed 47 --hours 2 --hz 10 --start "2024-06-01 11:00:00" --trend 0.45
gen trend3.dat --seed 48 --hours 1.5 --hz 20 --start "2024-06-01 14:00:00" --trend 0.6
gen gaps.dat --seed 49 --hours 1.5 --hz 10 --start "2024-06-01 10:00:00" --gap-rate 0.2 --spike-rate 0.002
gen table.dat --seed 50 --hours 1.5 --hz 20 --start "2024-06-01 10:00:00" --table --ts-unit K --press-unit hPa \
    --extra-columns 2 --co2-lag 0.25 --h2o-lag 0.15
gen s1.dat --seed 51 --hours 0.75 --hz 10 --start "2024-06-01 11:30:00" --co2-lag 0.1
gen s2.dat --seed 52 --hours 1 --hz 10 --start "2024-06-01 12:15:00" --co2-lag 0.1
gen base.dat --seed 53 --hours 1 --hz 10 --start "2024-06-01 10:00:00"

# The wind from several sides, and a sonic tilted on a known plane.
PLANE=(0.03 0.08 -0.05)
for deg in 0 90 135 270; do
    python3 "$samples" turn "$data/base.dat" "$data/yaw$deg.dat" --yaw "$deg" || exit 2
done
python3 "$samples" turn "$data/l10.dat" "$data/tilt.dat" --yaw 200 --plane "${PLANE[@]}" || exit 2
# A half hour whose CO2 lies outside the range limits throughout: rejected.
python3 - "$data/l10.dat" "$data/rejected.dat" <<'EOF' || exit 2
import sys
lines = open(sys.argv[1], 'rb').read().split(b'\n')
for i in range(4, len(lines)):
    fields = lines[i].split(b',')
    if len(fields) >= 9 and fields[0][12:15] == b'10:' and int(fields[0][15:17]) < 30:
        fields[4] = b'2000.00'
        lines[i] = b','.join(fields)
open(sys.argv[2], 'wb').write(b'\n'.join(lines))
EOF

# Streams: l10.dat cut every 15 minutes and every hour with overlapping
# records, in other time stamp forms, with a time stamp that does not read;
# the logger table in pieces.
streams() { "$python" "$streams" "$@" > /dev/null || exit 2; }
pieces() {  # in, prefix, cut options: the pieces' names in reverse
    local in="$1" prefix="$2"; shift 2
    "$python" "$streams" cut "$data/$in" "$data/$prefix" "$@" > /dev/null || exit 2
    (cd "$data" && ls "$prefix"[0-9]*.dat | sort -r | tr '\n' ' ')
}
streams restamp "$data/l10.dat" "$data/l10_T.dat" --form T --quote mixed --fraction long
streams restamp "$data/l10.dat" "$data/l10_slash.dat" --form slash --quote no
l10_q15="$(pieces l10_T.dat q15_ --minutes 15)"
l10_ov="$(pieces l10.dat ov_ --minutes 60 --overlap 300)"
printf '%s\n' $l10_q15 > "$data/l_q15.txt"
streams badstamp "$data/l10.dat" "$data/l10_bad.dat" --record 50000 --text '"2024-06-01 10:83:20.0"'
streams badstamp "$data/q15_005.dat" "$data/qbad_005.dat" --record 100 --text '2024-06-01T11:1:00'
table_pieces="$(pieces table.dat tab_ --minutes 20 --offset 7)"

# Site files: the defaults, and each switch the other way.
site() {  # name, more [site] lines, then the other sections' lines
    local name="$1" more="$2"; shift 2
    {
        printf '[site]\nmeasurement_height = 3.5\ncanopy_height = 0.6\nlatitude = 47.5\n%s' "$more"
        printf '%s\n' "$@"
    } > "$data/$name.ini"
}
site s_default ''
site s_sep '' '[sonic]' 'azimuth = 135' 'declination = 3' \
    '[irga]' 'sep_north = 0.1' 'sep_east = 0.15' 'sep_vertical = 0.05' 'path_length = 0.15' 'time_constant = 0.15'
site s_peer '' '[processing]' 'hp_transfer = product' 'correction_order = peer' 'obukhov_flux = sensible' \
    'von_karman = 0.41'
site s_order '' '[processing]' 'correction_order = peer'
site s_product '' '[processing]' 'hp_transfer = product'
site s_window '' '[lag]' 'co2_min = 0' 'co2_max = 0.5' 'h2o_min = -0.2' 'h2o_max = 0.2' 'co2_default = 0.1' \
    'h2o_default = 0.05'
site s_maxcov '' '[lag]' 'method = maxcov' 'co2_max = 1' 'h2o_min = -0.5'
site s_constant '' '[lag]' 'method = constant' 'co2_default = 0.2' 'h2o_default = 0.3'
site s_none '' '[lag]' 'method = none' '[processing]' 'spectral = none'
site s_misc $'displacement_height = 1\n' '[sonic]' 'u_positive = toward' 'azimuth = 20' \
    '[processing]' 'obukhov_temperature = potential' 'wind_direction = unit' 'ru_max_lag_s = 5' \
    'min_coverage = 95'
site s_fs '' '[processing]' 'fs = 20' 'obukhov_flux = sensible' 'obukhov_temperature = potential'
# Range limits of the user's own.
printf 'U_Min\t-50\nU_Max\t50\nV_Min\t-50\nV_Max\t50\nW_Min\t-50\nW_Max\t50\nCO2_Min\t0\nCO2_Max\t693\n'\
'H2O_Min\t-20\nH2O_Max\t100\nTs_Min\t-50\nTs_Max\t50\nP_Min\t30\nP_Max\t150\n' > "$data/r_co2.ini"

cases=0
same=0
failed=0

# compare_case NAME "FILES TO COPY" ARGS...; with joined=CASE set, the
# program's results must also be those of case CASE, byte for byte (when
# that case ran: ONLY may leave it out).
joined=""
compare_case() {
    local name="$1" files="$2"; shift 2
    local dir="$work/cases/$name" rc_cpp rc_ora ok=1
    local join="$joined"
    joined=""
    open_case "$name" "$files" || return
    (cd "$dir/cpp" && "$tool" "$@" > ../cpp.out 2> ../cpp.err)
    rc_cpp=$?
    (cd "$dir/ora" && "$python" "$oracle" "$@" > ../ora.out 2> ../ora.err)
    rc_ora=$?
    if [ "$rc_cpp" != "$rc_ora" ]; then
        ok=0
        echo "DIFF $name: exit status program $rc_cpp, oracle $rc_ora"
        echo "   program said: $(tr '\n' '|' < "$dir/cpp.err" | cut -c1-300)"
        echo "   oracle said:  $(tr '\n' '|' < "$dir/ora.err" | tail -c 300)"
    fi
    same_reading_messages "$name" || ok=0
    if [ "$rc_cpp" = 0 ] && [ "$rc_ora" = 0 ]; then
        if ! "$python" "$differ" "$dir/ora/out.flux.csv" "$dir/cpp/out.flux.csv" --stats "$stats" \
            > "$dir/diff.txt"; then
            ok=0
            echo "DIFF $name"
            cat "$dir/diff.txt"
        else
            [[ "$name" == trend* ]] && tail -n 1 "$stats" >> "$trend_stats"
        fi
        if [ -n "$join" ] && [ -d "$work/cases/$join" ] && ! cmp -s "$dir/cpp/out.flux.csv" "$work/cases/$join/cpp/out.flux.csv"; then
            ok=0
            echo "DIFF $name: the program's out.flux.csv is not that of $join"
        fi
    elif [ "$rc_cpp" = 0 ] || [ -e "$dir/cpp/out.flux.csv" ] || [ -e "$dir/ora/out.flux.csv" ]; then
        ok=0
        echo "DIFF $name: a failed run left results (program $rc_cpp, oracle $rc_ora)"
    fi
    if [ $ok = 1 ]; then
        same=$((same + 1))
        if [ "$rc_cpp" = 0 ]; then
            echo "same $name ($(($(wc -l < "$dir/cpp/out.flux.csv") - 1)) half hours)"
        else
            echo "same $name (exit $rc_cpp, no results)"
        fi
    else
        failed=$((failed + 1))
    fi
}

PF=(--planar-fit 0.05 0.02 -0.03)
run() {  # name, site, files, more options
    local name="$1" site="$2" files="$3"; shift 3
    # shellcheck disable=SC2086
    compare_case "$name" "$files $site.ini" run $files --output out --site "$site.ini" "$@"
}

# Lags inside the window and on its edge, both rotations, each switch.
run l10-dr s_default l10.dat
run l10-pf s_default l10.dat "${PF[@]}"
run l10-window s_window l10.dat
run l10-peer s_peer l10.dat
run l20-sep-dr s_sep l20.dat
run l20-sep-pf s_sep l20.dat "${PF[@]}"
run l20-edge s_default l20.dat
if [ "${QUICK:-0}" != 1 ]; then
    run l10-maxcov s_maxcov l10.dat "${PF[@]}"
    run l10-constant s_constant l10.dat
    run l10-none s_none l10.dat
    run l10-order s_order l10.dat "${PF[@]}"
    run l10-product s_product l10.dat
    run l20-peer-pf s_peer l20.dat "${PF[@]}"
    run l20-fs s_fs l20.dat
fi

# Stable and unstable, midnight and a year end, gaps below the coverage.
run stable-dr s_default stable.dat
run stable-peer s_peer stable.dat
run stable-misc-pf s_misc stable.dat "${PF[@]}"
run night-dr s_default night.dat
run night-misc s_misc night.dat
run year-dr s_default year.dat
run gaps-dr s_default gaps.dat
run gaps-misc s_misc gaps.dat

# Trends: flags 1 and 2.
run trend1-dr s_default trend1.dat
run trend2-pf s_default trend2.dat "${PF[@]}"
run trend3-dr s_default trend3.dat

# A logger table by its header's names, converted units.
run table-auto s_default table.dat --columns auto
run table-auto-pf s_peer table.dat --columns auto "${PF[@]}"

# A tilted sonic; the wind from several sides; two files as one stream;
# a half hour the screening rejects; a range file.
run tilt-pf s_sep tilt.dat --planar-fit "${PLANE[@]}"
run tilt-dr s_default tilt.dat
for deg in 0 90 135 270; do
    run "yaw$deg" s_sep "yaw$deg.dat"
    run "yaw$deg-misc" s_misc "yaw$deg.dat"
done
run stream s_default "s1.dat s2.dat"

# One stream over pieces: the bytes of the whole file, in reverse order, in
# other time stamp forms, from a list, on several threads; overlapping
# pieces; a time stamp that does not read.
joined=l10-dr run l10-T s_default l10_T.dat
joined=l10-pf run l10-slash-pf s_default l10_slash.dat "${PF[@]}"
joined=l10-dr run l10-q15-reversed s_default "$l10_q15" --jobs 1
joined=l10-dr compare_case l10-q15-list "$l10_q15 l_q15.txt s_default.ini" run --list l_q15.txt --output out \
    --site s_default.ini --jobs 3
run l10-overlap s_default "$l10_ov" --jobs 2
run l10-overlap-misc s_misc "$l10_ov" "${PF[@]}"
run l10-bad s_default "l10_bad.dat"
run l10-bad-pieces s_default "$(echo $l10_q15 | sed 's/q15_005/qbad_005/')" --jobs 2
joined=table-auto run table-pieces s_default "$table_pieces" --columns auto --jobs 2
run rejected s_default rejected.dat
compare_case range-file "l10.dat s_default.ini r_co2.ini" run l10.dat --output out --site s_default.ini \
    --range-file r_co2.ini

echo
echo "$cases cases: $same agree, $failed differ"
trend_ok=1
if [ -z "${ONLY:-}" ]; then
    "$python" - "$trend_stats" <<'EOF' || trend_ok=0
import json, sys
flags = {}
for row in map(json.loads, open(sys.argv[1])):
    for k, v in row['flags'].items():
        flags[k] = flags.get(k, 0) + v
print('trend cases: flags 0: %d, 1: %d, 2: %d' % (flags.get('0', 0), flags.get('1', 0), flags.get('2', 0)))
sys.exit(0 if flags.get('1', 0) > 0 and flags.get('2', 0) > 0 else 1)
EOF
    [ $trend_ok = 1 ] || echo "the trend cases did not give both flags 1 and 2"
fi
if [ -s "$stats" ]; then
    "$python" - "$stats" <<'EOF'
import json, sys
lines = fields = same = rejected = defaults = nonzero = 0
flags = {}
worst = {}
for row in map(json.loads, open(sys.argv[1])):
    lines += row['lines']; fields += row['fields']; same += row['same_text']
    rejected += row['rejected']; defaults += row['lag_default']; nonzero += row['lag_nonzero']
    for k, v in row['flags'].items():
        flags[k] = flags.get(k, 0) + v
    for name, rel in row['max_rel'].items():
        worst[name] = max(worst.get(name, 0.0), rel)
print('%d half hours (%d rejected), %d fields: %d identical as text' % (lines, rejected, fields, same))
print('flags: 0: %d, 1: %d, 2: %d; lags found off 0: %d, defaults used: %d'
      % (flags.get('0', 0), flags.get('1', 0), flags.get('2', 0), nonzero, defaults))
if worst:
    print('largest relative difference: ' +
          ', '.join('%s %.2g' % kv for kv in sorted(worst.items(), key=lambda kv: -kv[1])[:12]))
EOF
fi
[ "$failed" = 0 ] && [ $trend_ok = 1 ]
