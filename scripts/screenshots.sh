#!/bin/sh
# Saves PNG pictures of Kelvara's main window, of each dialog (the job
# dialogs also as they open again after a run) and of the message boxes,
# drawn on a virtual X display, into the folder given (default:
# ./screenshots).
# Usage: scripts/screenshots.sh [build-dir] [folder]
set -eu
build=${1:-build}
folder=${2:-screenshots}
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    "$build/tools/screenshots/kelvara-screenshots" "$folder"
ls "$folder"/*.png
