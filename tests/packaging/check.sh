#!/usr/bin/env bash
# Checks what a release ships: the files an installation adds beside the
# programs, the Debian package, and the source export without git.
#   check.sh desktop-entry SOURCE_DIR
#   check.sh manual-page   SOURCE_DIR
#   check.sh completion    SOURCE_DIR
#   check.sh cli-options   SOURCE_DIR KELVARA_CLI
#   check.sh manual-synopsis SOURCE_DIR KELVARA_CLI
#   check.sh debian-package SOURCE_DIR BUILD_DIR
#   check.sh source-export SOURCE_DIR
# Exit status 77 (CTest's SKIP_RETURN_CODE) when the tool a check needs is
# not installed.
set -euo pipefail

readonly skipped=77
readonly check=$1 source=$2 cli=${3:-}
readonly desktop_entry=$source/res/kelvara.desktop
readonly manual_page=$source/packaging/kelvara-cli.1
readonly completion=$source/packaging/kelvara-cli.bash-completion

fail() {
    echo "$*" >&2
    exit 1
}

# Any output of desktop-file-validate, hints included, is a fault: a hint
# such as two main categories puts the program twice into menus.
check_desktop_entry() {
    command -v desktop-file-validate >/dev/null || exit $skipped
    local report
    report=$(desktop-file-validate "$desktop_entry" 2>&1) || fail "$report"
    [[ -z $report ]] || fail "$report"
}

check_manual_page() {
    local warnings
    if command -v groff >/dev/null; then
        warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$manual_page" 2>&1) || fail "$warnings"
    elif command -v man >/dev/null; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual_page" 2>&1 >/dev/null) || fail "$warnings"
    else
        exit $skipped
    fi
    [[ -z $warnings ]] || fail "$warnings"
}

check_completion() {
    bash -n "$completion"
    # Loaded into a shell without bash-completion, it completes the subcommands.
    local offered
    offered=$(bash -c 'source "$1"; COMP_WORDS=(kelvara-cli ""); COMP_CWORD=1; _kelvara_cli; echo "${COMPREPLY[*]}"' \
        _ "$completion")
    [[ $offered == "run batch planefit plot range site append" ]] || fail "completion offers '$offered' for the subcommand"
}

# Option names as the program's --help lists them: "-o,--output OUT ..." gives
# -o and --output.
options_in_help() {
    "$@" --help | awk '/^ +-/ { n = split($1, names, ","); for (i = 1; i <= n; ++i) print names[i] }'
}

subcommands_in_help() {
    "$cli" --help | awk '/^Subcommands:/ { listing = 1; next } listing && NF == 0 { exit } listing { print $1 }'
}

# The manual page and the completion are kept by hand: every subcommand and
# option of the program must be in both.
check_cli_options() {
    local commands names name missing=()
    commands=$(subcommands_in_help)
    [[ -n $commands ]] || fail "$cli --help lists no subcommands"
    names=$(
        echo "$commands"
        options_in_help "$cli"
        for command in $commands; do options_in_help "$cli" "$command"; done
    )
    for name in $(echo "$names" | sort -u); do
        grep -qF -- "${name//-/\\-}" "$manual_page" || missing+=("$name (manual page)")
        grep -qE -- "(^|[ \"(|])$name([ \")|]|$)" "$completion" || missing+=("$name (completion)")
    done
    ((${#missing[@]} == 0)) || fail "not described: ${missing[*]}"
}

# The synopses of a subcommand (with the option groups they name, defined
# after the last synopsis), as one text of roff source.
synopsis_of() {
    awk -v command="$1" '
        /^\.SH SYNOPSIS/ { in_synopsis = 1; next }
        /^\.SH / { in_synopsis = 0 }
        !in_synopsis { next }
        /^\.SY / { block = ""; on = 1; next }
        /^\.YS/ { if ((block "\n") ~ ("\n\\.B " command "\n")) print block; on = 0; groups = ""; next }
        on { block = block "\n" $0; next }
        { groups = groups "\n" $0 }
        END { print groups }' "$manual_page"
}

# Each subcommand's synopsis shows every option its --help lists, the files
# of run stand before --standard (not as if they were its arguments), and no
# help text speaks of atof or the Windows directory.
check_manual_synopsis() {
    local commands command name synopsis help missing=()
    commands=$(subcommands_in_help)
    [[ -n $commands ]] || fail "$cli --help lists no subcommands"
    for command in $commands; do
        synopsis=$(synopsis_of "$command")
        for name in $(options_in_help "$cli" "$command" | grep -E '^--' | grep -vx -- '--help'); do
            grep -qF -- "${name//-/\\-}" <<<"$synopsis" || missing+=("$command $name")
        done
        help=$("$cli" "$command" --help)
        for word in atof atoi 'Windows directory'; do
            grep -qi -- "$word" <<<"$help" && missing+=("$command --help says '$word'")
        done
    done
    ((${#missing[@]} == 0)) || fail "not in the manual page's synopsis: ${missing[*]}"
    ! awk 'previous == ".RB [ \\-\\-standard" && /^\.IR FILE/ { found = 1 } { previous = $0 } END { exit !found }' \
        "$manual_page" || fail "the synopsis gives run's files to --standard"
}

# The package made from the build: the licence and the README in its doc
# folder, and one version in the package, the manual page and every program.
check_debian_package() {
    command -v cpack >/dev/null && command -v dpkg-deb >/dev/null || exit $skipped
    local build=$3 deb version
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT  # global: the trap runs after the function
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
        fail "cpack failed: $(cat "$work/cpack.log")"
    deb=$(echo "$work"/*.deb)
    dpkg-deb -x "$deb" "$work/root"
    local doc=$work/root/usr/share/doc/kelvara
    cmp -s "$doc/README.md" "$source/README.md" || fail "the package's README.md is not the project's"
    # Debian's format: a header paragraph, then Files paragraphs each with
    # Copyright and License; the licence text is LICENSE's, indented.
    awk 'BEGIN { RS = ""; FS = "\n" } NR == 1 && $1 !~ /^Format: / { exit 1 }
         /^Files:/ && !(/\nCopyright: / && /\nLicense: /) { exit 1 }' "$doc/copyright" ||
        fail "$doc/copyright is not a machine-readable Debian copyright file"
    local ours
    ours=$(awk '/^License: BSD-3-Clause$/ { on = 1; next } on && !/^ / { exit } on { print }' "$doc/copyright" |
        sed -e 's/^ //' -e 's/^\.$//')
    [[ $ours == "$(sed -n '/^Redistribution/,$p' "$source/LICENSE")" ]] ||
        fail "the package's copyright file does not hold LICENSE's terms"
    grep -qF "$(grep '^Copyright (c)' "$source/LICENSE" | sed 's/^Copyright (c) //')" "$doc/copyright" ||
        fail "the package's copyright file does not name LICENSE's holder"

    version=$(dpkg-deb -f "$deb" Version)
    local shown=(
        "$("$work/root/usr/bin/kelvara-cli" --version)"
        "$("$work/root/usr/bin/Dovrel" --version)"
        "$(grep -o '"Kelvara [^"]*"' "$work/root/usr/share/man/man1/kelvara-cli.1" | tr -d '"')"
    )
    [[ ! -x $work/root/usr/bin/Kelvara ]] || shown+=("$(DISPLAY= "$work/root/usr/bin/Kelvara" --version)")
    if compgen -G "$build/python/kelvara/_kelvara*.so" >/dev/null; then
        local modules=$work/root/usr/lib/python3/dist-packages
        compgen -G "$modules/kelvara/_kelvara*.so" >/dev/null && [[ -f $modules/kelvara/__init__.py ]] ||
            fail "the package lacks the Python module kelvara in ${modules#"$work/root"}"
        # Debian's interpreter finds it there; importing it needs pandas.
        if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then
            shown+=("$(PYTHONPATH=$modules /usr/bin/python3 -c 'import kelvara; print("kelvara", kelvara.__version__)')")
        fi
    fi
    local line
    for line in "${shown[@]}"; do
        [[ $line == *" $version" ]] || fail "package version $version, but a program or page says '$line'"
    done
}

# A release tarball has no git: the format check, which scripts/test.sh
# runs first, must find the same sources there.
check_source_export() {
    git -C "$source" rev-parse --git-dir >/dev/null 2>&1 || exit $skipped
    command -v clang-format-14 >/dev/null || clang-format --version 2>/dev/null | grep -q 'version 14\.' ||
        exit $skipped
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT  # global: the trap runs after the function
    git -C "$source" archive HEAD | tar -x -C "$work"
    local said expected
    said=$(cd "$work" && env -u GIT_DIR -u GIT_WORK_TREE GIT_CEILING_DIRECTORIES="$work" bash scripts/format.sh --check) ||
        fail "the format check fails in a source export: $said"
    expected=$(git -C "$source" ls-tree -r --name-only HEAD | grep -E '\.(cpp|h)$' | grep -cv generated)
    [[ $said == "All $expected C++ sources are formatted." ]] || fail "in a source export: '$said', expected $expected"
}

case $check in
    desktop-entry) check_desktop_entry ;;
    manual-page) check_manual_page ;;
    completion) check_completion ;;
    cli-options) check_cli_options ;;
    manual-synopsis) check_manual_synopsis ;;
    debian-package) check_debian_package "$@" ;;
    source-export) check_source_export ;;
    *) fail "unknown check: $check" ;;
esac
