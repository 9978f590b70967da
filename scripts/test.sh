#!/usr/bin/env bash
# Checks the C++ layout, builds everything with warnings as errors and runs
# every test, then does the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each fuzz target briefly when clang is
# installed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/ensure-packages.sh

echo "== Format check"
bash scripts/format.sh --check

# Each build is a preset of CMakePresets.json. The desktop program's tests
# need a display: one virtual X server serves the whole run. They open
# windows, so the test presets run one test at a time.
build_and_test() {
    cmake --preset "$1"
    cmake --build --preset "$1" -j2
    xvfb-run -a ctest --preset "$1"
}

echo "== Release build in build/"
build_and_test release

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

build_and_test asan

echo "== Fuzz smoke run in build-fuzz/"
# Each libFuzzer target for a short time (the raw reader's 60 s, the others
# 25 s); a finding fails its test, and its input is kept in
# build-fuzz/fuzz-findings/. Only where clang can build a fuzzer: Debian's
# clang brings libFuzzer through a recommended package (libclang-rt-14-dev).
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$probe_dir/fuzzer.cpp"
if command -v clang++ >/dev/null 2>&1 &&
    clang++ -fsanitize=fuzzer,address,undefined "$probe_dir/fuzzer.cpp" -o "$probe_dir/fuzzer" 2>/dev/null; then
    cmake --preset fuzz
    cmake --build --preset fuzz -j2
    ctest --preset fuzz
else
    echo "clang++ with libFuzzer is not installed; skipping the fuzz smoke run."
fi

echo "== All tests passed"
