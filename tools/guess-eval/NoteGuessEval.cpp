// Measures the note guess on rendered notes and chords and prints its
// accuracy table: per octave, the share of single notes guessed first, and
// the share of three-note chords whose notes are all among the first three
// guesses.
//
//   harkwell-guess-eval [--soundfont FILE]... [--programs 0,24,...] [--chords N]
//                       [--seconds S] [--rate R] [--keep-ratio X] [--alpha A] [--beta B]
//                       [--partials M] [--detune D] [--misses]
#include "GuessMaterial.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace harkwell;

namespace {

struct Tally {
    int right = 0;
    int all = 0;
    void Add(bool ok) { right += ok ? 1 : 0; ++all; }
    double Percent() const { return all == 0 ? 0.0 : 100.0 * right / all; }
};

struct Table {
    std::map<int, Tally> singles;  // by octave, C4 = 4
    std::map<int, Tally> chords;   // by the lowest note's octave
    Tally singlesAll, chordsAll, singleCount, chordCount;
};

std::string GuessText(const NoteGuess& guess)
{
    std::string text;
    for (const NoteSalience& n : guess.notes) text += GuessLine(n.note) + ", ";
    return text;
}

// Guesses the piece once and counts the result in every table given.
void Measure(std::initializer_list<Table*> tables, const TestPiece& piece, std::span<const int> notes, double seconds,
             const SalienceSettings& settings, bool misses, const std::string& label)
{
    const NoteGuess guess = GuessNotes(piece.Tune(), HeldRange(piece, seconds), settings);
    const int octave = notes.front() / 12 - 1;
    const bool single = notes.size() == 1;
    const bool ok = single ? FirstGuessIs(guess, notes.front()) : AllAmongFirstGuesses(guess, notes);
    const bool countRight = guess.notes.size() == notes.size();
    for (Table* table : tables) {
        (single ? table->singles : table->chords)[octave].Add(ok);
        (single ? table->singlesAll : table->chordsAll).Add(ok);
        (single ? table->singleCount : table->chordCount).Add(countRight);
    }
    if (ok || !misses) return;
    std::string played;
    for (int n : notes) played += GuessLine(n) + " ";
    std::printf("miss %s %s: %s\n", label.c_str(), played.c_str(), GuessText(guess).c_str());
}

void Print(const std::string& title, const Table& table)
{
    std::printf("\n%s\n| octave | singles first | chords all in first 3 |\n|---|---|---|\n", title.c_str());
    for (int octave = 2; octave <= 7; ++octave) {
        const auto s = table.singles.find(octave);
        const auto c = table.chords.find(octave);
        std::printf("| %d | %s | %s |\n", octave,
                    s == table.singles.end() ? "-" : (std::to_string(s->second.right) + "/" + std::to_string(s->second.all) + " (" + std::to_string(int(s->second.Percent() + 0.5)) + " %)").c_str(),
                    c == table.chords.end() ? "-" : (std::to_string(c->second.right) + "/" + std::to_string(c->second.all) + " (" + std::to_string(int(c->second.Percent() + 0.5)) + " %)").c_str());
    }
    std::printf("| all | %d/%d (%.1f %%) | %d/%d (%.1f %%) |\n", table.singlesAll.right, table.singlesAll.all,
                table.singlesAll.Percent(), table.chordsAll.right, table.chordsAll.all, table.chordsAll.Percent());
    std::printf("guessed count right: singles %.1f %%, chords %.1f %%\n", table.singleCount.Percent(), table.chordCount.Percent());
}

std::vector<int> Numbers(std::string_view text)
{
    std::vector<int> numbers;
    std::stringstream stream{std::string(text)};
    std::string item;
    while (std::getline(stream, item, ',')) numbers.push_back(std::atoi(item.c_str()));
    return numbers;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> soundFonts;
    std::vector<int> programs{0, 1, 4, 11, 19, 24, 46, 48};
    std::size_t chordCount = 40;
    double seconds = 1.0;
    std::uint32_t rate = 44100;
    bool misses = false;
    SalienceSettings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--misses") { misses = true; continue; }
        if (value == nullptr) { std::fprintf(stderr, "%s needs a value\n", argv[i]); return 2; }
        ++i;
        if (option == "--soundfont") soundFonts.emplace_back(value);
        else if (option == "--programs") programs = Numbers(value);
        else if (option == "--chords") chordCount = std::strtoul(value, nullptr, 10);
        else if (option == "--seconds") seconds = std::atof(value);
        else if (option == "--rate") rate = static_cast<std::uint32_t>(std::atoi(value));
        else if (option == "--keep-ratio") settings.keepRatio = std::atof(value);
        else if (option == "--alpha") settings.alpha = std::atof(value);
        else if (option == "--beta") settings.beta = std::atof(value);
        else if (option == "--partials") settings.partials = std::atoi(value);
        else if (option == "--detune") settings.detune = std::atof(value);
        else { std::fprintf(stderr, "unknown option %s\n", argv[i - 1]); return 2; }
    }
    if (soundFonts.empty()) soundFonts.emplace_back("/usr/share/sounds/sf2/TimGM6mb.sf2");

    const auto chords = ThreeNoteChords(chordCount, 7, 36, 96);
    Table overall;
    for (const std::string& soundFont : soundFonts) {
        GuessMaterial material(soundFont, rate);
        Table table;
        for (int program : programs) {
            Table own;
            const std::string label = soundFont.substr(soundFont.find_last_of('/') + 1) + " program " + std::to_string(program);
            for (int note = 36; note <= 96; ++note) {
                TestPiece piece;
                const int notes[] = {note};
                if (!material.Render(program, notes, piece)) { std::fprintf(stderr, "cannot render with %s\n", soundFont.c_str()); return 1; }
                Measure({&table, &overall, &own}, piece, notes, seconds, settings, misses, label);
            }
            for (const auto& chord : chords) {
                TestPiece piece;
                if (!material.Render(program, chord, piece)) return 1;
                Measure({&table, &overall, &own}, piece, chord, seconds, settings, misses, label);
            }
            std::printf("%s: singles %.1f %%, chords %.1f %%\n", label.c_str(), own.singlesAll.Percent(),
                        own.chordsAll.Percent());
        }
        Print(soundFont, table);
    }
    // Synthetic tones whose partials run sharp, as a stiff string's do.
    Table synthetic;
    for (double stiffness : {0.0, 0.0001, 0.0004}) {
        const std::string label = "stiffness " + std::to_string(stiffness);
        for (int note = 36; note <= 96; ++note) {
            const int notes[] = {note};
            Measure({&synthetic}, InharmonicTone(notes, stiffness, rate, static_cast<std::uint32_t>(note)), notes, seconds, settings, misses, label);
        }
        std::uint32_t seed = 100;
        for (const auto& chord : chords) Measure({&synthetic}, InharmonicTone(chord, stiffness, rate, seed++), chord, seconds, settings, misses, label);
    }
    Print("synthetic tones, stiffness 0, 1e-4, 4e-4", synthetic);
    Print("all SoundFonts", overall);
    return 0;
}
