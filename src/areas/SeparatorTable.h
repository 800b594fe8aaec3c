#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace harkwell {

inline constexpr int kMaxSeparators = 256;
inline constexpr std::int32_t kDefaultBaseLength = 22050;
// A base note shorter than this many frames is refused.
inline constexpr std::int32_t kMinBaseLength = 4410;

struct NoteValue {
    std::string_view name;
    double eighths;  // value in eighth notes
};
inline constexpr std::array<NoteValue, 4> kNoteValueTable{{
    {"Eight Note", 1.0},
    {"Quarter Note", 2.0},
    {"Half Note", 4.0},
    {"Whole Note", 8.0},
}};

struct TimeSignature {
    std::string_view name;
    int beats;  // quarter notes per bar
};
inline constexpr std::array<TimeSignature, 2> kTimeSignatureTable{{
    {"4/4", 4},
    {"3/4", 3},
}};

// Colours of the lines that divide a picture into bars and beats, 0x00BBGGRR.
inline constexpr std::uint32_t kBarLineColour = 0x004000;
inline constexpr std::uint32_t kBeatLineColour = 0x7F7F7F;

struct BarLine {
    std::int32_t position;  // frame in the picture's own origin
    std::uint32_t colour;
};

// The separators that divide a tune into bars: each governs the frames from
// its start up to the next one with its time signature, base note value and
// base note length. Separator 0 always exists and starts at frame 0; starts
// are strictly increasing.
struct SeparatorTable {
    std::array<std::int32_t, kMaxSeparators> baseNote{};       // index into kNoteValueTable
    std::array<std::int32_t, kMaxSeparators> timeSignature{};  // index into kTimeSignatureTable
    std::array<std::int32_t, kMaxSeparators> baseLength{};     // frames of one base note
    std::array<std::int32_t, kMaxSeparators> start{};          // first frame governed
    std::int32_t separatorCount = 1;

    SeparatorTable() { baseLength[0] = kDefaultBaseLength; }

    // Adds a separator at the position with the values of the one before it;
    // nothing when one starts there already, the table is full or the
    // position is negative.
    void InsertSeparator(std::int32_t position);
    // False for separator 0, which cannot go, and for indexes not in use.
    [[nodiscard]] bool DeleteSeparator(int index);
    // False, and nothing changed, below kMinBaseLength frames.
    [[nodiscard]] bool SetBaseLength(int index, std::int32_t frames);
    // The last separator starting at or before the position; 0 when none.
    int SeparatorAt(std::int32_t position) const;
    // Changes the base note value and scales the base length to keep the tempo (one frame at least).
    void ChangeBaseNote(int index, int newBaseNote);

    // Quarter notes per minute of separator i.
    int Tempo(int index, std::uint32_t sampleRate) const;
    // The base note length of separator i in whole milliseconds.
    int LengthMilliseconds(int index, std::uint32_t sampleRate) const;

    // Puts the table right after reading it from a file: a table whose
    // separator 0 is missing or misplaced becomes the default one, separators
    // whose starts do not increase are dropped, and entries outside the note
    // value and time signature tables or with no length take the defaults.
    // True when nothing had to change.
    [[nodiscard]] bool Repair();

    double NoteValueOf(int index) const;
    int BeatsOf(int index) const;
    // Frames of one bar of separator i: the quarter-note length, truncated, times the beats.
    std::int64_t BarLength(int index) const;
};

// The smallest frame count whose length shown in milliseconds is not below `ms` (ms > 0).
std::int32_t FramesFromMilliseconds(int ms, std::uint32_t sampleRate);

// The bar lines of a whole tune of `frames` frames, at most `limit` of them.
std::vector<BarLine> TuneBarLines(const SeparatorTable& table, std::int64_t frames, std::size_t limit);

// The bar lines of the tune's visible frames first .. end - 1 (a tune of
// `frames` frames), drawn `columns` pixels wide. When they are more than
// `limit`, the first line of each pixel column stands for the lines drawn on
// it, so every column with a line shows one at any tune length (columns <= limit).
std::vector<BarLine> VisibleTuneBarLines(const SeparatorTable& table, std::int64_t first, std::int64_t end,
                                         std::int64_t frames, std::int64_t columns, std::size_t limit);

// The bar and beat lines of a stretch of `length` frames that begins at tune
// frame `dataStart`, as positions within the stretch; at most `limit`.
std::vector<BarLine> StretchBarAndBeatLines(const SeparatorTable& table, std::int64_t dataStart, std::int64_t length,
                                            std::size_t limit);

}  // namespace harkwell
