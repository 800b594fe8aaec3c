#include "AnalyzeCommand.h"

#include "analysis/NoteAnalysis.h"
#include "analysis/NoteGuess.h"
#include "audio/WaveData.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

namespace harkwell::cli {

namespace {

constexpr int kRefused = 1;
constexpr int kUsageError = 2;

int Usage(std::FILE* err)
{
    std::fputs("usage: harkwell-cli analyze FILE.wav START END [--part low|mid|high | --harmonics on|off | --guess]\n", err);
    return kUsageError;
}

std::optional<std::int64_t> Frame(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

int PrintGuess(const TuneSamples& samples, const AnalysisRange& range, MessageSink& sink, std::FILE* out)
{
    const NoteGuess guess = GuessNotes(samples, range);
    switch (guess.outcome) {
    case NoteGuess::Outcome::Guessed:
        for (const NoteSalience& note : guess.notes) std::fprintf(out, "%s\n", GuessLine(note.note).c_str());
        return 0;
    case NoteGuess::Outcome::TooShort:
        sink.Show("selection too short for a note guess: at least " + std::to_string(ShortestGuessedFrames(samples.sampleRate)) +
                      " frames are needed",
                  MessageKind::Plain);
        return kRefused;
    case NoteGuess::Outcome::Unreadable:
        break;
    }
    sink.Show("the note guess cannot read this tune's format", MessageKind::Plain);
    return kRefused;
}

}  // namespace

int RunAnalyze(std::span<char* const> arguments, MessageSink& sink, std::FILE* out, std::FILE* err)
{
    const auto count = static_cast<int>(arguments.size());
    if (count < 3) return Usage(err);
    const std::string path = arguments[0];
    const auto start = Frame(arguments[1]);
    const auto end = Frame(arguments[2]);
    if (!start || !end || *end < *start) return Usage(err);

    std::optional<PartRange> part;
    std::optional<bool> harmonics;
    bool guess = false;
    for (int i = 3; i < count; i += 2) {
        const std::string_view option = arguments[static_cast<std::size_t>(i)];
        if (option == "--guess" && !guess) {
            guess = true;
            --i;  // a flag without a value
            continue;
        }
        if (i + 1 >= count) return Usage(err);
        const std::string_view value = arguments[static_cast<std::size_t>(i) + 1];
        if (option == "--part" && !part) {
            if (value == "low") part = kLowPart;
            else if (value == "mid") part = kMidPart;
            else if (value == "high") part = kHighPart;
            else return Usage(err);
        } else if (option == "--harmonics" && !harmonics) {
            if (value == "on") harmonics = true;
            else if (value == "off") harmonics = false;
            else return Usage(err);
        } else {
            return Usage(err);
        }
    }
    // The keyboard always weighs in the harmonics; the guess is printed alone.
    if ((part && harmonics) || (guess && (part || harmonics))) return Usage(err);

    std::optional<WaveData> tune = WaveData::LoadMono(path, sink);
    if (!tune) return kRefused;
    // As in the program, a selection ends at the tune's last frame at the latest.
    if (*end >= std::int64_t{tune->Frames()}) {
        std::string text = "selection ";
        text += std::to_string(*start) + ".." + std::to_string(*end);
        text += " lies beyond the tune's last frame ";
        text += std::to_string(std::int64_t{tune->Frames()} - 1);
        sink.Show(text, MessageKind::Plain);
        return kRefused;
    }

    const WaveFormat& format = tune->Format();
    const TuneSamples samples{tune->Samples().data(), tune->Samples().size(),
                              static_cast<std::int32_t>(format.samplesPerSec), format.channels, format.bitsPerSample};
    const AnalysisRange range{0, *start, *end};
    if (guess) return PrintGuess(samples, range, sink, out);
    if (part) {
        const auto values = PartKeyValues(sink, samples, range, *part);
        for (int note = 0; note < kNoteCount; ++note) std::fprintf(out, "%d %d\n", note, values[static_cast<std::size_t>(note)]);
    } else {
        for (const std::string& line : FrequencyListLines(FrequencyListValues(sink, samples, range, harmonics.value_or(true))))
            std::fprintf(out, "%s\n", line.c_str());
    }
    return 0;
}

}  // namespace harkwell::cli
