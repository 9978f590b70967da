# Shared by the compare scripts (sourced, not run): finding
# the programs, the work directory and the generated raw files.

first_match() {
    local pattern
    for pattern in "$@"; do
        if [ -x "$pattern" ]; then echo "$pattern"; return; fi
    done
}

# Waits (up to WAIT_SECONDS, default 0) for one of the candidates to be built.
find_program() {  # label, candidates...
    local label="$1" waited=0 limit="${WAIT_SECONDS:-0}" found
    shift
    while found="$(first_match "$@")"; [ -z "$found" ]; do
        if [ "$waited" -ge "$limit" ]; then echo "$label not found" >&2; exit 2; fi
        sleep 10
        waited=$((waited + 10))
    done
    echo "$(cd "$(dirname "$found")" && pwd)/$(basename "$found")"
}

# Sets work and data; an empty Windows directory, so that without
# --range-file both sides use the built-in limits.
make_work_dir() {  # mktemp template
    work="$(mktemp -d "$1")"
    if [ "${KEEP:-0}" != 1 ]; then trap 'rm -rf "$work"' EXIT; else echo "work: $work"; fi
    data="$work/data"
    mkdir -p "$data" "$work/windir"
    export WINDIR="$work/windir"
    export PYTHONDONTWRITEBYTECODE=1
    unset XDG_CONFIG_HOME
}

gen() {  # name, then kelvara-sample options
    local name="$1"; shift
    "$sample" "$data/$name" "$@" || { echo "kelvara-sample failed for $name" >&2; exit 2; }
}

# Counts a case and gives both sides, cpp and ora, a copy of its inputs in
# $work/cases/NAME; false, with nothing done, for a case ONLY leaves out.
open_case() {  # name, "files to copy"
    local name="$1" files="$2" side f
    if [ -n "${ONLY:-}" ] && ! [[ "$name" =~ $ONLY ]]; then return 1; fi
    cases=$((cases + 1))
    for side in cpp ora; do
        mkdir -p "$work/cases/$name/$side"
        for f in $files; do cp "$data/$f" "$work/cases/$name/$side/"; done
    done
}

# The lines of a program's stderr that the references must write alike:
# what the reading of a stream tells (a file named twice, a changed order,
# records dropped as earlier, listed files sharing a half hour) and a time
# stamp that stops the run. Of the latter only the title and the file and
# line it names are compared, and of the files sharing a half hour only that
# it is said; the rest of their wording is the program's own.
reading_messages() {  # stderr file
    grep -a -E "named more than once|earlier than the records? before|in the order of their first time stamps|is no time stamp|Can't Read Time Stamp|share the half hour" "$1" |
        sed -E -e 's/^(kelvara-cli: .*: line [0-9]+): .* is no time stamp.*/\1: (a time stamp that does not read)/' \
            -e "s/^.*(Can't Read Time Stamp).*$/\1/" \
            -e 's/^.* share the half hour .*$/(listed files share a half hour)/'
}

# Compares reading_messages of $dir/cpp.err and $dir/ora.err; prints the
# difference and fails when they differ.
same_reading_messages() {  # case name
    reading_messages "$dir/cpp.err" > "$dir/cpp.msg"
    reading_messages "$dir/ora.err" > "$dir/ora.msg"
    cmp -s "$dir/cpp.msg" "$dir/ora.msg" && return 0
    echo "DIFF $1: messages (< engine, > oracle)"
    diff "$dir/cpp.msg" "$dir/ora.msg" | cut -c1-300 | head -n 8
    return 1
}
