#!/usr/bin/env bash
# Checks the C++ layout, builds everything with warnings as errors and runs
# every test, then does the same under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/ensure-packages.sh

echo "== Format check"
bash scripts/format.sh --check

# The desktop program's tests need a display: one virtual X server serves
# the whole run. They open windows, so tests run one at a time.
run_tests() {
    xvfb-run -a ctest --test-dir "$1" --output-on-failure -j1
}

echo "== Release build in build/"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARA_WERROR=ON
cmake --build build -j2
run_tests build

echo "== Benchmark smoke run"
build/bench/kelvara-bench --hours 0.5 --repeat 1 --cli build/cli/kelvara-cli

echo "== Sanitizer build in build-asan/"
# LeakSanitizer cannot run under ptrace (some containers and CI runners).
# Find out with a throw-away sanitized program, before the build, since the
# build already runs the test programs to list their tests.
detect_leaks=1
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
echo 'int main() { return 0; }' >"$probe_dir/probe.cpp"
c++ -fsanitize=address "$probe_dir/probe.cpp" -o "$probe_dir/probe"
if ! probe_output=$(ASAN_OPTIONS=detect_leaks=1 "$probe_dir/probe" 2>&1); then
    if grep -q 'LeakSanitizer' <<<"$probe_output"; then
        echo "LeakSanitizer does not work here; running without leak checks."
        detect_leaks=0
    else
        echo "$probe_output" >&2
        exit 1
    fi
fi
# The GUI toolkit's libraries keep process-lifetime allocations that are not
# ours to fix.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=$detect_leaks:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVARA_SANITIZE=ON -DKELVARA_WERROR=ON -DKELVARA_BUILD_BENCH=OFF
cmake --build build-asan -j2
run_tests build-asan

echo "== All tests passed"
