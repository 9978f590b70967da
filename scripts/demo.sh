#!/usr/bin/env bash
# Builds Kelvara, writes a two-hour synthetic raw data file and turns it into
# half-hourly fluxes with kelvara-cli; then does what a flux scientist does
# first: the field's standard methods on a logger table (as a datalogger
# writes it, here generated). Afterwards `cmake --install build` installs the
# programs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/ensure-packages.sh

echo "== Building (Release) in build/"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
# The programs that `cmake --install build` installs, and the sample generator.
cmake --build build -j2 --target kelvara-sample kelvara-cli Dovrel Kelvara
# The Python module, when pybind11 was found.
python_module=0
if cmake --build build --target help | grep -q '^kelvara_python:'; then
    cmake --build build -j2 --target kelvara_python
    python_module=1
fi

raw=sample/tower_20240601.dat
results=sample/tower_20240601
mkdir -p sample

echo "== Writing two hours of 10 Hz tower data to $raw"
build/tools/sample_generator/kelvara-sample --seed 1 --start "2024-06-01 10:00:00" --hours 2 "$raw"
head -n 6 "$raw"

echo "== Processing with kelvara-cli"
build/cli/kelvara-cli run "$raw" --output "$results"

echo "== $results.r1w"
head -n 5 "$results.r1w"

table=sample/TOA5_tower_20240601.dat
table_results=sample/TOA5_tower_20240601

echo "== Writing the same two hours as a logger table to $table"
build/tools/sample_generator/kelvara-sample --seed 1 --start "2024-06-01 10:00:00" --hours 2 --table "$table"
head -n 5 "$table"

echo "== The default processing of the table (its header names the columns)"
build/cli/kelvara-cli run "$table" --output "$table_results"
head -n 3 "$table_results.r1w"

echo "== The standard methods on the table, as a scientist runs them on logger files"
build/cli/kelvara-cli run "$table" --standard --good-status 0 --output "$table_results"

echo "== $table_results.s1w"
head -n 5 "$table_results.s1w"

if ((python_module)); then
    echo "== The same from Python"
    PYTHONPATH=build/python /usr/bin/python3 -c "import kelvara
df = kelvara.process('$raw', method='default')
print(df[['Time', 'ustar', 'Hs', 'LE_leuning', 'Fc_leuning']].head())"
fi
