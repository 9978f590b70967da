#!/usr/bin/env bash
# Joins the months that slurm-months.sbatch wrote into one results file:
#   join-months.sh YEAR LIST DIR OUT [the months' options]
# OUT gets the suffix of the months' results (.s1w, .sfw or .flux.csv) and
# holds, byte for byte, what one `kelvara-cli run --list LIST -o OUT
# [options]` writes. Each month's DIR/YEAR-MM<suffix>.month says what it was
# read with; a month whose files overlap the months before it was read with a
# guess of where they ended, and is run again here with the true end before
# it is joined. Every month of the year must have been run.
set -euo pipefail

refuse() {
    echo "${0##*/}: $*" >&2
    exit 2
}

(($# >= 4)) || refuse "usage: ${0##*/} YEAR LIST DIR OUT --standard|--site SITE.ini [options]"
readonly year=$1 list=$2 dir=$3 out=$4
shift 4
readonly cli=${KELVARA_CLI:-kelvara-cli}

suffix=
for candidate in .s1w .sfw .flux.csv; do
    [[ -f $dir/$year-01$candidate.month ]] && suffix=$candidate
done
[[ -n $suffix ]] || refuse "$dir/$year-01: no month's results (run slurm-months.sbatch for every month first)"
readonly suffix

# The value of one "key value" line of a .month file.
value() {
    local key=$1 file=$2 line
    while read -r line; do
        [[ $line == "$key "* ]] && {
            echo "${line#* }"
            return
        }
    done <"$file"
    refuse "$file has no $key line"
}

# The later of two times ("none" is earlier than any).
later() {
    if [[ $1 == none ]]; then echo "$2"; elif [[ $2 == none ]] || (($1 >= $2)); then echo "$1"; else echo "$2"; fi
}

kept=none # the last record the months so far kept
files=0
for m in 01 02 03 04 05 06 07 08 09 10 11 12; do
    part=$dir/$year-$m$suffix.month
    [[ -f $part && -f $dir/$year-$m$suffix ]] || refuse "$dir/$year-$m$suffix: month $m was not run"
    if [[ $(value files "$part") != 0 && $(value kept-before "$part") != "$kept" ]]; then
        echo "${0##*/}: $year-$m overlaps the months before it; reading it again" >&2
        "$cli" run --list "$list" --month "$year-$m" --kept-before "$kept" -o "$dir/$year-$m" --quiet "$@"
    fi
    files=$((files + $(value files "$part")))
    kept=$(later "$kept" "$(value latest-good "$part")")
done

listed=$(grep -c '[^[:space:]]' "$list" || true)
if ((files < listed)); then
    echo "${0##*/}: warning: $((listed - files)) of the $listed files of $list start in no month of $year" \
        "(other years, no records, or named twice)" >&2
fi

# The first month's header, then every month's half hours, in place at once.
tmp=$(mktemp "$out$suffix.XXXXXX")
trap 'rm -f "$tmp"' EXIT
head -n 1 "$dir/$year-01$suffix" >"$tmp"
for m in 01 02 03 04 05 06 07 08 09 10 11 12; do
    tail -n +2 "$dir/$year-$m$suffix" >>"$tmp"
done
mv -- "$tmp" "$out$suffix"
trap - EXIT
echo "${0##*/}: $out$suffix: the half hours of $files files"
