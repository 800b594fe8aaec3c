// Writes seed inputs for the fuzz targets with the program's own writers:
// MakeSeeds CORPUS_FOLDER (one subfolder per target, made beforehand).
#include "app/AreaFile.h"
#include "app/SetupData.h"
#include "audio/WaveFileWriter.h"
#include "common/ShiftJis.h"
#include "common/StderrMessageSink.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace harkwell {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Save(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A tune as the stretch command writes it, behind the wave target's 8 parameter bytes.
void WaveSeed(const std::string& folder, const std::string& name, Bytes parameters, std::uint32_t rate,
              std::uint16_t bits, std::uint16_t channels, std::uint32_t frames)
{
    StderrMessageSink sink;
    const std::string scratch = folder + "/" + name + ".tmp";
    {
        WaveFileWriter writer(sink);
        if (writer.Open(scratch, rate, bits, channels) != WaveFileStatus::Done) return;
        Bytes samples;
        for (std::uint32_t i = 0; i < frames * channels; ++i) {
            const double wave = std::sin(i * 0.05) * 9000.0 + std::sin(i * 0.31) * 3000.0;
            if (bits == 8) {
                samples.push_back(static_cast<std::uint8_t>(128 + wave / 256));
            } else {
                const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(wave));
                samples.push_back(static_cast<std::uint8_t>(sample));
                samples.push_back(static_cast<std::uint8_t>(sample >> 8));
            }
        }
        (void)writer.Write(samples.data(), samples.size());
        (void)writer.Close();
    }
    Bytes seed = std::move(parameters);
    const Bytes file = Load(scratch);
    seed.insert(seed.end(), file.begin(), file.end());
    std::remove(scratch.c_str());
    Save(folder + "/" + name, seed);
}

void AppendEdit(Bytes& script, std::uint8_t what, std::uint8_t index, std::int32_t value)
{
    script.push_back(what);
    script.push_back(index);
    for (int shift = 0; shift < 32; shift += 8) script.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
}

void SetupSeeds(const std::string& folder)
{
    const auto save = [&](const std::string& name, const SetupData& setup, const Bytes& edits) {
        const SetupData::Bytes record = setup.Serialize();
        Bytes seed(record.begin(), record.end());
        seed.insert(seed.end(), edits.begin(), edits.end());
        Save(folder + "/" + name, seed);
    };
    save("default.ini", SetupData(), {});

    SetupData setup;
    setup.tunePath = "/home/user/tunes/" + Utf8ToShiftJis("\xe6\x9b\xb2") + ".wav";
    setup.instrument = 40;
    setup.includeHarmonics = 0;
    setup.playSpeed = 0.5;
    setup.separators.InsertSeparator(44100);
    setup.separators.InsertSeparator(88200);
    (void)setup.separators.SetBaseLength(1, 11025);
    setup.separators.ChangeBaseNote(2, 3);
    setup.separators.timeSignature[1] = 1;
    save("three-separators.ini", setup, {});

    Bytes edits;
    AppendEdit(edits, 0, 0, 1000);    // insert
    AppendEdit(edits, 0, 0, 500);     // insert before it
    AppendEdit(edits, 2, 1, 4410);    // the shortest base length
    AppendEdit(edits, 3, 1, 0);       // eighth notes
    AppendEdit(edits, 4, 2, 1);       // 3/4
    AppendEdit(edits, 1, 1, 0);       // delete
    save("with-edits.ini", setup, edits);

    SetupData full;
    for (int i = 1; i < kMaxSeparators; ++i) full.separators.InsertSeparator(i * 4410);
    save("full-table.ini", full, {});
}

void AreaSeeds(const std::string& folder)
{
    AreaLists lists;
    (void)lists[0].Add(0, 44100, 0x0000FF, "intro");
    (void)lists[0].Add(44100, 88200, 0x00FF00, "\xe3\x82\xb5\xe3\x83\x93");  // Japanese
    (void)lists[1].Add(100, 200, 0xFF0000, "a name far too long for the thirty-one byte field");
    (void)lists[2].Add(5, 5, 0, "");
    const std::array<const WaveformAreas*, kAreaListCount> pointers{&lists[0], &lists[1], &lists[2]};
    Save(folder + "/three-lists.dat", SerializeAreaLists(pointers));
    const std::array<const WaveformAreas*, kAreaListCount> none{nullptr, nullptr, nullptr};
    Save(folder + "/empty.dat", SerializeAreaLists(none));

    AreaLists full;
    for (std::uint32_t i = 0; i < WaveformAreas::kMaxAreas; ++i)
        (void)full[1].Add(i * 10, i * 10 + 9, i, "\xe5\x8c\xba\xe9\x96\x93" + std::to_string(i));
    Save(folder + "/full-list.dat", SerializeAreaLists({nullptr, &full[1], nullptr}));
}

void ShiftJisSeeds(const std::string& folder)
{
    const auto save = [&](const std::string& name, std::uint8_t limit, const std::string& utf8) {
        Bytes seed{limit};
        const std::string text = Utf8ToShiftJis(utf8);
        seed.insert(seed.end(), text.begin(), text.end());
        Save(folder + "/" + name, seed);
    };
    save("ascii", 31, "verse one");
    save("kanji", 31, "\xe7\xac\xac\xe4\xb8\x80\xe6\xa5\xbd\xe7\xab\xa0\xe3\x81\xae\xe4\xb8\xbb\xe9\xa1\x8c");
    save("half-width-kana", 7, "\xef\xbd\xb1\xef\xbd\xb2\xef\xbd\xb3 ABC");
    save("cut-inside", 4, "a\xe3\x81\x82\xe3\x81\x84");
}

}  // namespace
}  // namespace harkwell

int main(int argc, char** argv)
{
    using namespace harkwell;
    if (argc != 2) {
        std::fputs("usage: MakeSeeds CORPUS_FOLDER\n", stderr);
        return 2;
    }
    const std::string corpus = argv[1];
    const std::string wave = corpus + "/WaveFileFuzz";
    WaveSeed(wave, "writer-16-mono", {0, 0, 0, 8, 1, 2, 3, 4}, 44100, 16, 1, 600);
    WaveSeed(wave, "writer-16-stereo", {3, 0, 0, 8, 9, 8, 7, 6}, 22050, 16, 2, 400);
    WaveSeed(wave, "writer-8-stereo", {1, 0, 0, 4, 5, 5, 5, 5}, 8000, 8, 2, 300);
    WaveSeed(wave, "writer-slow", {250, 0x40, 0x10, 2, 7, 1, 7, 1}, 11025, 16, 1, 900);
    SetupSeeds(corpus + "/SetupFileFuzz");
    AreaSeeds(corpus + "/AreaFileFuzz");
    ShiftJisSeeds(corpus + "/ShiftJisFuzz");
    return 0;
}
