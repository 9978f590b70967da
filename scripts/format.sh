#!/usr/bin/env bash
# Formats the project's C++ sources with clang-format 14 (Debian 12's) and
# the repository's .clang-format. With --check, changes nothing and fails
# when a file differs from its formatted text (scripts/test.sh runs this).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

check=0
case "${1:-}" in
    "") ;;
    --check) check=1 ;;
    *)
        echo "usage: scripts/format.sh [--check]" >&2
        exit 2
        ;;
esac

# Another major version lays some constructs out differently, so the check
# would fail on code that 14 accepts.
find_clang_format() {
    local candidate
    for candidate in clang-format-14 clang-format; do
        if command -v "$candidate" >/dev/null 2>&1 &&
            "$candidate" --version | grep -q 'version 14\.'; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}
if ! clang_format=$(find_clang_format); then
    echo "scripts/format.sh needs clang-format 14 (Debian 12: apt-get install clang-format)." >&2
    exit 1
fi

# Tracked C++ sources; generated files and image data are not ours to lay out.
mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' ':!:*.xpm' ':!:*generated*')
if ((${#files[@]} == 0)); then
    echo "scripts/format.sh: no C++ sources found (is this a git checkout?)" >&2
    exit 1
fi

if ((check)); then
    # One line per file that differs, with the first place it does.
    if ! report=$("$clang_format" --style=file --dry-run -Werror "${files[@]}" 2>&1); then
        grep -E '^[^ ].*: error: ' <<<"$report" | awk -F: '!seen[$1]++ { print $1 ":" $2 ":" $3 }' >&2 || true
        echo "These C++ sources are not formatted. Run scripts/format.sh to fix them." >&2
        exit 1
    fi
    echo "All ${#files[@]} C++ sources are formatted."
else
    "$clang_format" --style=file -i "${files[@]}"
fi
