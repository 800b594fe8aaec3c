#!/usr/bin/env bash
# Writes the reference pictures of the staff anew, after its artwork changed
# on purpose: draws the glyphs, builds, and runs the picture tests in their
# writing mode. Run from the repository root: tools/art/update-references.sh [BUILD]
set -euo pipefail
build=${1:-build}
python3 tools/art/make_staff_glyphs.py
cmake --build "$build" --target harkwell_ui_tests
HARKWELL_WRITE_REFERENCES=1 QT_QPA_PLATFORM=offscreen "$build/tests/harkwell_ui_tests" \
    --gtest_filter='*ReferencePicture*'
git status --short tests resources/staff
