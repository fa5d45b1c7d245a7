#!/usr/bin/env bash
# make_sounds.sh OUTDIR: makes the demo's sounds with sox and oggenc into OUTDIR/menu/:
# three sound effects (move.wav, decide.wav, back.wav; 16-bit mono) and the title music, an
# intro of 2 s (intro.ogg) that leads into a loop of 8 s (loop.ogg). The music is in F major
# at 120 beats a minute: the intro climbs over C, the loop walks F, Dm, B-flat and C, one bar
# each, with a soft pad, plucked arpeggios in eighths and a bass on the beats.
# sox runs in repeatable mode and oggenc with fixed stream serials, so every build makes the
# same files. The music peaks at -8 dBFS and the effects below -6 dBFS, so an effect over the
# music never clips.
set -euo pipefail
out="$1/menu"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
# Every sox call runs in repeatable mode, so its dither noise is the same in every build.
sx() { sox -R "$@"; }
sox_new() { sx -n -r "$rate" -c 1 -b 16 "$@"; }
# The frequency of a MIDI note number.
hz() { awk -v n="$1" 'BEGIN { printf "%.3f", 440 * 2 ^ ((n - 69) / 12) }'; }

# --- sound effects -------------------------------------------------------------------------
sox_new "$out/move.wav" synth 0.07 sine "$(hz 84)" fade 0 0.07 0.05 gain -10
sox_new "$work/d1.wav" synth 0.09 sine "$(hz 81)" fade 0 0.09 0.02 gain -9
sox_new "$work/d2.wav" synth 0.30 pluck "$(hz 88)" fade 0 0.30 0.25 gain -7
sx "$work/d1.wav" "$work/d2.wav" "$out/decide.wav"
sox_new "$out/back.wav" synth 0.16 square "$(hz 76)-$(hz 64)" fade 0 0.16 0.10 gain -16

# --- music ---------------------------------------------------------------------------------
eighth=0.25
# note FILE MIDI DURATION: one plucked note that rings for its whole length.
note() { sox_new "$1" synth "$3" pluck "$(hz "$2")" fade 0 "$3" 0.05 gain -6; }
# pad FILE DURATION MIDI...: a soft sustained chord of sine tones with a slow swell.
pad() {
    local file=$1 length=$2
    shift 2
    local parts=()
    for n in "$@"; do
        sox_new "$work/pad-$n.wav" synth "$length" sine "$(hz "$n")" tremolo 3 20
        parts+=("$work/pad-$n.wav")
    done
    sx -m "${parts[@]}" "$file" fade 0.15 "$length" 0.15 gain -14
}
# bass FILE MIDI: four beats of a triangle-wave root note.
bass() {
    local beats=()
    for i in 1 2 3 4; do
        sox_new "$work/bass-$i.wav" synth 0.5 triangle "$(hz "$2")" fade 0 0.5 0.2 gain -9
        beats+=("$work/bass-$i.wav")
    done
    sx "${beats[@]}" "$1"
}
# sequence FILE MIDI...: plucked eighths one after another.
sequence() {
    local file=$1 i=0 parts=()
    shift
    for n in "$@"; do
        note "$work/seq-$i.wav" "$n" "$eighth"
        parts+=("$work/seq-$i.wav")
        i=$((i + 1))
    done
    sx "${parts[@]}" "$file"
}
# bar FILE ROOT THIRD FIFTH: pad, bass and the arpeggio up and down over one chord.
bar() {
    local file=$1 r=$2 t=$3 f=$4
    pad "$work/bar-pad.wav" 2 "$r" "$t" "$f"
    bass "$work/bar-bass.wav" $((r - 12))
    sequence "$work/bar-arp.wav" $((r + 12)) $((t + 12)) $((f + 12)) $((r + 24)) \
        $((t + 24)) $((r + 24)) $((f + 12)) $((t + 12))
    sx -m -v 1 "$work/bar-pad.wav" -v 1 "$work/bar-bass.wav" -v 1 "$work/bar-arp.wav" "$file"
}
# Both music files share one format (44.1 kHz stereo), as the stream joins them.
to_ogg() { oggenc -Q -q 3 -s "$3" -o "$2" "$1"; }

pad "$work/intro-pad.wav" 2 48 52 55
sequence "$work/intro-arp.wav" 60 64 67 70 72 76 79 84
sx -m "$work/intro-pad.wav" "$work/intro-arp.wav" -c 2 "$work/intro.wav" gain -n -8
to_ogg "$work/intro.wav" "$out/intro.ogg" 1

bar "$work/bar1.wav" 53 57 60  # F
bar "$work/bar2.wav" 50 53 57  # D minor
bar "$work/bar3.wav" 46 50 53  # B-flat
bar "$work/bar4.wav" 48 52 55  # C
sx "$work/bar1.wav" "$work/bar2.wav" "$work/bar3.wav" "$work/bar4.wav" -c 2 \
    "$work/loop.wav" gain -n -8
to_ogg "$work/loop.wav" "$out/loop.ogg" 2
