#!/usr/bin/env bash
# The Debian package of a build: it is made with CPack into a folder of its
# own, passes lintian, desktop-file-validate and appstreamcli, and unpacked
# into a temporary root it starts there and finds its manual and SoundFont.
#   tests/package/package-test.sh BUILD-FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/harkwell-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is missing (tools/install-deps.sh installs it)"
    exit 77
  fi
done

fail() { echo "FAILED: $*"; exit 1; }

echo "== cpack"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/harkwell_*.deb)
dpkg-deb -I "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in timgm6mb-soundfont fonts-ipafont-gothic libqt6widgets6 libportaudio2 libfluidsynth3 libasound2; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

echo "== lintian"
# Errors and warnings fail; what remains (info, pedantic) is listed for the record.
lintian --fail-on error,warning --display-info --pedantic "$deb" | tee "$work/lintian.log" || fail "lintian"

echo "== contents"
root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/harkwell usr/bin/harkwell-cli usr/share/harkwell/manual/index.htm \
  usr/share/harkwell/product/index.html usr/share/applications/harkwell.desktop \
  usr/share/metainfo/io.github.harkwell.Harkwell.metainfo.xml usr/share/icons/hicolor/scalable/apps/harkwell.svg \
  usr/share/doc/harkwell/copyright usr/share/man/man1/harkwell.1.gz; do
  [ -e "$root/$file" ] || fail "the package lacks /$file"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/harkwell.png" ] || fail "no ${size}x${size} icon"
done
# Every picture the manual shows is in the package.
for picture in $(grep -oh 'images/[a-z-]*\.png' "$root"/usr/share/harkwell/manual/*.htm | sort -u); do
  [ -f "$root/usr/share/harkwell/manual/$picture" ] || fail "the manual shows $picture, which is not there"
done
desktop-file-validate "$root/usr/share/applications/harkwell.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.harkwell.Harkwell.metainfo.xml" ||
  fail "appstreamcli validate"
grep -qx 'Exec=harkwell --data-home' "$root/usr/share/applications/harkwell.desktop" || fail "the desktop entry's Exec"
# Free software under the GPL, version 3 or later, wherever the package says what it is.
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$root/usr/share/metainfo/io.github.harkwell.Harkwell.metainfo.xml" || fail "the AppStream licence is not GPL-3.0-or-later"
grep -qx 'License: GPL-3+' "$root/usr/share/doc/harkwell/copyright" || fail "the copyright file does not name GPL-3+"

echo "== start from the unpacked root"
check=$(cd "$work" && QT_QPA_PLATFORM=offscreen "$root/usr/bin/harkwell" --self-check) ||
  { echo "$check"; fail "harkwell --self-check"; }
echo "$check"
grep -qx "manual: $root/usr/share/harkwell/manual/index.htm" <<<"$check" || fail "the manual is not found in the package"
grep -q '^soundfont: /' <<<"$check" || fail "the SoundFont is not found"
set +e
"$root/usr/bin/harkwell-cli" >/dev/null 2>&1
status=$?
set -e
[ "$status" -eq 2 ] || fail "harkwell-cli without a command ended with $status, not 2 (usage)"
echo "PASSED"
