#!/usr/bin/env bash
# Remakes the seed corpora: the program's own writers (MakeSeeds from the fuzz
# build), WAV files of other formats made by sox, and command lines.
# usage: tests/fuzz/make-seeds.sh BUILD_FUZZ_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: make-seeds.sh BUILD_FUZZ_DIR}
corpus=$here/corpus
for target in WaveFileFuzz SetupFileFuzz AreaFileFuzz ShiftJisFuzz CliFuzz; do mkdir -p "$corpus/$target"; done

"$build/tests/fuzz/MakeSeeds" "$corpus"

# sox's files carry what our writer never writes: a LIST chunk, WAVE_FORMAT_EXTENSIBLE,
# 24-bit and float samples, a rate that is no CD rate. The 8 parameter bytes go first.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
sox_seed() {
  local name=$1 parameters=$2; shift 2
  sox -n "$@" "$scratch/$name.wav" synth 0.02 sine 440 vol 0.5
  { printf "$parameters"; cat "$scratch/$name.wav"; } >"$corpus/WaveFileFuzz/sox-$name"
}
sox_seed s16-stereo-comment '\x02\x00\x00\x08\x01\x01\x01\x01' --comment "take one" -r 8000 -c 2 -b 16 -e signed
sox_seed u8-mono '\x04\x00\x00\x01\x02\x02\x02\x02' -r 11025 -c 1 -b 8 -e unsigned
sox_seed s24-mono '\x00\x00\x00\x08\x03\x03\x03\x03' -r 8000 -c 1 -b 24 -e signed
sox_seed float-mono '\x00\x00\x00\x08\x04\x04\x04\x04' -r 8000 -c 1 -b 32 -e float
sox_seed s16-four-channels '\x00\x00\x00\x08\x05\x05\x05\x05' -r 8000 -c 4 -b 16 -e signed
sox_seed s16-mono-7350 '\xff\x80\x00\x03\x06\x06\x06\x06' -r 7350 -c 1 -b 16 -e signed

# Command lines, one argument a line, over the target's own small tunes.
cli=$corpus/CliFuzz
printf 'info\na.wav' >"$cli/info"
printf 'info\nc.wav' >"$cli/info-not-a-tune"
printf 'analyze\na.wav\n0\n2047' >"$cli/analyze"
printf 'analyze\na.wav\n100\n1800\n--part\nlow' >"$cli/analyze-part"
printf 'analyze\nb.wav\n0\n499\n--harmonics\noff' >"$cli/analyze-harmonics"
printf 'stretch\na.wav\n1.5\nout.wav' >"$cli/stretch"
printf 'stretch\nb.wav\n0.5\nout.wav' >"$cli/stretch-8-bit"
printf 'play\na.wav' >"$cli/unknown"
