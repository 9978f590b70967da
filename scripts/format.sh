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

# The C++ sources: in a git checkout the tracked ones; in a source export
# without git (a release tarball) every one in the tree but the build
# folders. Generated files are not ours to lay out.
in_own_repository() {
    command -v git >/dev/null 2>&1 &&
        [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$(pwd -P)" ]]
}
if in_own_repository; then
    mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' ':!:*generated*')
else
    mapfile -d '' files < <(find . \( -path ./.git -o -path './build*' -o -path ./out \) -prune -o \
        -type f \( -name '*.cpp' -o -name '*.h' \) ! -path '*generated*' -printf '%P\0' | sort -z)
fi
if ((${#files[@]} == 0)); then
    echo "scripts/format.sh: no C++ sources found in $(pwd -P)" >&2
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
