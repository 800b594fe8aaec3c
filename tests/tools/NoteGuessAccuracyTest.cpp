#include "GuessMaterial.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace harkwell {
namespace {

// The guess on a sampled piano of the General MIDI SoundFont the program
// ships with: every single note from C2 to C7, and three-note chords.
constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kPiano = 0;

TEST(NoteGuessAccuracy, HearsTheNotesOfARenderedPiano)
{
    if (!std::filesystem::exists(kSoundFont)) GTEST_SKIP() << "no SoundFont at " << kSoundFont;
    GuessMaterial material(kSoundFont, 44100);
    int singlesRight = 0, singles = 0;
    for (int note = 36; note <= 96; ++note) {
        TestPiece piece;
        const int notes[] = {note};
        ASSERT_TRUE(material.Render(kPiano, notes, piece));
        const NoteGuess guess = GuessNotes(piece.Tune(), HeldRange(piece, 1.0));
        singlesRight += FirstGuessIs(guess, note) ? 1 : 0;
        ++singles;
    }
    int chordsRight = 0, chords = 0;
    for (const auto& chord : ThreeNoteChords(24, 11, 36, 96)) {
        TestPiece piece;
        ASSERT_TRUE(material.Render(kPiano, chord, piece));
        chordsRight += AllAmongFirstGuesses(GuessNotes(piece.Tune(), HeldRange(piece, 1.0)), chord) ? 1 : 0;
        ++chords;
    }
    EXPECT_GE(singlesRight * 100, 95 * singles) << singlesRight << " of " << singles << " single notes";
    EXPECT_GE(chordsRight * 100, 80 * chords) << chordsRight << " of " << chords << " chords";
}

}  // namespace
}  // namespace harkwell
