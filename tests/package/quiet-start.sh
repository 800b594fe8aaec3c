#!/usr/bin/env bash
# A start with no sound server within reach: stderr holds none of the sound
# libraries' probing noise (JACK, ALSA, PortAudio), but holds the program's
# own plain note that no sound output can be used. Started with --data-home,
# the work folder is made under XDG_DATA_HOME and the program works there.
#   tests/package/quiet-start.sh PATH-TO-HARKWELL
set -euo pipefail
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/harkwell-quiet-XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; echo "--- stderr:"; cat "$work/stderr"; exit 1; }

# No PulseAudio or PipeWire socket and no JACK server, so that every backend
# is probed; on a machine without sound hardware none answers.
mkdir -m 700 "$work/runtime" "$work/home"
cd "$work"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
  XDG_DATA_HOME="$work/data" PULSE_SERVER="unix:$work/nothing" \
  "$program" --data-home >/dev/null 2>"$work/stderr" &
pid=$!
note='harkwell: no sound output can be used'
# The note follows the probing; a machine with a sound card plays through it
# directly and has no note to give.
for _ in $(seq 1 150); do
  grep -q "$note" "$work/stderr" && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended at start"
  sleep 0.1
done
if ! grep -q "$note" "$work/stderr"; then
  if grep -q '^card' /proc/asound/cards 2>/dev/null || [ -n "$(ls /dev/snd/pcm* 2>/dev/null)" ]; then
    echo "a sound card answered: no note expected"
  else
    fail "no plain note that sound cannot be used"
  fi
fi
sleep 0.5
noise=$(grep -iE 'jack|alsa lib|cannot connect|PaAlsa|Expression .* failed|pa_linux' "$work/stderr" || true)
[ -z "$noise" ] || fail "probing noise on stderr: $noise"
[ -d "$work/data/harkwell" ] || fail "--data-home did not make \$XDG_DATA_HOME/harkwell"
[ "$(readlink "/proc/$pid/cwd")" = "$work/data/harkwell" ] || fail "--data-home did not change into the folder"
cat "$work/stderr"
echo "PASSED"
