#pragma once

#include <array>
#include <string_view>

namespace harkwell {

// The names of the 128 General MIDI programs, in program order, as the
// instrument list shows them.
inline constexpr std::array<std::string_view, 128> kProgramNames{
    "Acoustic Grand Piano", "Bright Grand Piano", "Electric Grand Piano", "Honky-Tonk Piano", "Electric Piano 1",
    "Electric Piano 2", "Harpsichord", "Clav", "Celeste", "Glockenspiel", "Music Box", "Vibraphone", "Marimba",
    "Xylophone", "Tubular Bells", "Santur", "Full Organ", "Percussive Organ", "Rock Organ", "Church Organ",
    "Reed Organ", "Accordion", "Harmonica", "Bandoneon", "Nylon String Guitar", "Steel String Guitar",
    "Jazz Guitar", "Clean Guitar", "Muted Guitar", "Overdrive Guitar", "Distortion Guitar", "Guitar Harmonics",
    "Acoustic Bass", "Fingerd Electric Bass", "Picked Electric Bass", "Fretless Bass", "Slap Bass 1",
    "Slap Bass 2", "Synth Bass 1", "Synth Bass 2", "Violin", "Viola", "Cello", "Contrabass", "Tremolo Strings",
    "Pizzicato Strings", "Harp", "Timpani", "Ensamble Strings", "Slow Attack Strings", "Synth Strings 1",
    "Synth Strings 2", "Choir Aahs", "Choir Oohs", "Synth Vox", "Orchestra Hit", "Trumpet", "Trombone", "Tuba",
    "Muted Trumpet", "French Horn", "Brass", "Synth Brass 1", "Synth Brass 2", "Soprano Sax", "Alto Sax",
    "Tenor Sax", "Baritone Sax", "Oboe", "English Horn", "Bassoon", "Clarinet", "Piccolo", "Flute", "Recorder",
    "Pan Flute", "Bottle Blow", "Shakuhachi", "Whistle", "Ocarina", "Square Wave", "Saw Wave", "Synth Calliop",
    "Chiffer lead", "Charang", "Solo Vox", "Fifth Saw Wav", "Bass and Lea", "Fantasia", "Warm Pad", "Polysynth",
    "Space Voice", "Bowed Glass", "Metal Pad", "Halo Pad", "Sweep Pad", "Ice Rain", "Soundtrack", "Crystal",
    "Atmosphere", "Brightness", "Goblin", "Echo Drops", "Star Theme", "Sitar", "Banjo", "Shamisen", "Koto",
    "Kalimba", "Bagpipes", "Fiddle", "Shanai", "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock", "Taiko",
    "Melodic Tom Tom", "Synth Drum", "Reverse Cymbal", "Gt.FretNoise", "Breath Noise", "Seashore", "Bird",
    "Telephone1", "Helicopter", "Applause", "Gun Shot",
};

// Channel messages of the score and the keys.
constexpr int kNoteOnStatus = 0x90;
constexpr int kNoteOffStatus = 0x80;
constexpr int kProgramChangeStatus = 0xC0;

}  // namespace harkwell
