#!/usr/bin/env bash
# Runs a batch list through GNU parallel (Debian package `parallel`): one
# `kelvara-cli run` per raw file, writing the same results files as
# `kelvara-cli batch LIST` with the same options. With --sshlogin or
# --sshloginfile (passed to parallel) the runs spread over several machines
# that see the files under the same paths; kelvara-cli must be installed on
# each.
#
#   parallel-batch.sh LIST [--jobs N] [--keep-going] [--output-dir DIR]
#                          [--sshlogin LOGIN | --sshloginfile FILE]
#                          [--standard] [--planar-fit B0 B1 B2 | auto] [--range-file PATH]
#                          [--columns auto|MAP] [--good-status LIST] [--no-unit-check]
#
# The program is $KELVARA_CLI when set, else kelvara-cli on the PATH. The
# whole list is checked first, as the batch checks it (kelvara-cli batch
# --check-only): nothing runs when a results file would replace an input, a
# raw file cannot be read, or two files would write one results file.
# Without --keep-going no new run starts after one has failed; the exit
# status is 0 when every run finished, 1 when some failed, 2 for a usage
# error.
set -euo pipefail

usage() {
    echo "usage: ${0##*/} LIST [--jobs N] [--keep-going] [--output-dir DIR]" \
        "[--sshlogin LOGIN | --sshloginfile FILE] [kelvara-cli run options]" >&2
    exit 2
}

(($# >= 1)) || usage
readonly list=$1
shift
[[ -r $list ]] || {
    echo "${0##*/}: $list: cannot be read" >&2
    exit 2
}
readonly cli=${KELVARA_CLI:-kelvara-cli}
command -v parallel >/dev/null || {
    echo "${0##*/}: GNU parallel is not installed (Debian: apt-get install parallel)" >&2
    exit 2
}

parallel_options=(--will-cite)
run_options=()
fit_options=()   # what the plane's fit shares with the runs
check_options=() # what the batch's check of the whole list needs
planar_auto=0
output_dir=
keep_going=0
remote=0
while (($#)); do
    case $1 in
        -S | --sshlogin | --slf | --sshloginfile)
            (($# >= 2)) || usage
            parallel_options+=("$1" "$2")
            remote=1
            shift 2
            ;;
        --sshlogin=* | --sshloginfile=*)
            parallel_options+=("$1")
            remote=1
            shift
            ;;
        -j | --jobs)
            (($# >= 2)) || usage
            parallel_options+=(--jobs "$2")
            shift 2
            ;;
        --jobs=*)
            parallel_options+=("$1")
            shift
            ;;
        --keep-going)
            keep_going=1
            check_options+=("$1")
            shift
            ;;
        --output-dir)
            (($# >= 2)) || usage
            output_dir=$2
            check_options+=("$1" "$2")
            shift 2
            ;;
        --output-dir=*)
            output_dir=${1#*=}
            check_options+=("$1")
            shift
            ;;
        --planar-fit)
            if [[ ${2-} == auto ]]; then
                planar_auto=1
                check_options+=("$1" "$2")
                shift 2
                continue
            fi
            (($# >= 4)) || usage
            run_options+=("$1" "$2" "$3" "$4")
            check_options+=("$1" "$2" "$3" "$4")
            shift 4
            ;;
        --range-file | --columns | --good-status)
            (($# >= 2)) || usage
            run_options+=("$1" "$2")
            fit_options+=("$1" "$2")
            check_options+=("$1" "$2")
            shift 2
            ;;
        --no-unit-check)
            run_options+=("$1")
            fit_options+=("$1")
            check_options+=("$1")
            shift
            ;;
        --standard)
            run_options+=("$1")
            check_options+=("$1")
            shift
            ;;
        --shard* | -o | --output | --second)
            echo "${0##*/}: $1 is not for this script; parallel spreads the list itself" >&2
            exit 2
            ;;
        *)
            run_options+=("$1")
            shift
            ;;
    esac
done

# The list as kelvara-cli reads it: a CR before the line end is no part of
# the name.
names() { sed 's/\r$//' "$list"; }

# Every check the batch makes, on the whole list, before any run writes: a
# results file that would replace an input, a raw file that cannot be read,
# two raw files for one results file (a usage error, exit 2).
status=0
"$cli" batch "$list" --check-only --quiet "${check_options[@]}" || status=$?
((status == 0)) || exit $((status == 2 ? 2 : 1))

output='{}'
if [[ -n $output_dir ]]; then
    mkdir -p -- "$output_dir"
    output="$(printf '%q' "$output_dir")/{/}"
fi
# --planar-fit auto: one plane over the whole list, as the batch fits it,
# handed to every run with all its digits.
if ((planar_auto)); then
    fit=$("$cli" planefit --list "$list" --json "${fit_options[@]}") || exit 1
    coefficient() { grep -o "\"$1\":[^,]*" <<<"$fit" | cut -d: -f2; }
    run_options+=(--planar-fit "$(coefficient b0)" "$(coefficient b1)" "$(coefficient b2)")
fi

((keep_going)) || parallel_options+=(--halt soon,fail=1)
# Remote runs start in the login's home folder: run them where this one runs.
((remote == 0)) || parallel_options+=(--workdir .)

# A file without a single half hour of fluxes still has its results file
# (kelvara-cli exits 3 for it), as in the batch.
# The raw file goes last, after "--", and the output as --output=NAME, so
# that a name that starts with "-" is no option.
run=$(printf '%q ' "$cli" run)
run+="--output=$output"
((${#run_options[@]} == 0)) || run+=" $(printf '%q ' "${run_options[@]}")"
run+=" --quiet -- {} || test \$? -eq 3"

names | parallel "${parallel_options[@]}" "$run" || exit 1
