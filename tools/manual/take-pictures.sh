#!/usr/bin/env bash
# Takes the manual's pictures of the windows anew from the real windows, so
# that they never show an old look: builds the picture taker and runs it
# offscreen into resources/manual/images/. Run from the repository root:
#   tools/manual/take-pictures.sh [BUILD-FOLDER]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target harkwell-manual-pictures
QT_QPA_PLATFORM=offscreen "$build/tools/manual/harkwell-manual-pictures" resources/manual/images
ls resources/manual/images
