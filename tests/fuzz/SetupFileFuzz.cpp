// setup.ini: parse (which repairs), write, parse again must give the same
// record, intact. Bytes past the record drive the separator table through its
// edits; whatever they leave must survive a write and a read too.
#include "FuzzCheck.h"

#include "app/SetupData.h"
#include "areas/SeparatorTable.h"

#include <cstdint>
#include <cstring>

namespace harkwell::fuzz {
namespace {

bool SameUsed(const SeparatorTable& a, const SeparatorTable& b)
{
    if (a.separatorCount != b.separatorCount) return false;
    for (std::size_t i = 0; i < static_cast<std::size_t>(a.separatorCount); ++i)
        if (a.baseNote[i] != b.baseNote[i] || a.timeSignature[i] != b.timeSignature[i] ||
            a.baseLength[i] != b.baseLength[i] || a.start[i] != b.start[i])
            return false;
    return true;
}

bool Same(const SetupData& a, const SetupData& b)
{
    return SameUsed(a.separators, b.separators) && a.instrument == b.instrument && a.tunePath == b.tunePath &&
           a.includeHarmonics == b.includeHarmonics && std::memcmp(&a.playSpeed, &b.playSpeed, sizeof(double)) == 0;
}

// The lookup check costs a scan per separator, so edits check the order only.
void CheckTable(const SeparatorTable& table, bool withLookups = true)
{
    Require(table.separatorCount >= 1 && table.separatorCount <= kMaxSeparators, "separator count in range");
    Require(table.start[0] == 0, "separator 0 starts at frame 0");
    for (int i = 0; i < table.separatorCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        Require(i == 0 || table.start[at] > table.start[at - 1], "starts increase");
        Require(table.baseLength[at] > 0, "base lengths are positive");
        Require(!withLookups || table.SeparatorAt(table.start[at]) == i, "a separator governs its own start");
    }
}

// Everything the program computes from a table, with a tune of `frames` frames.
void Use(const SeparatorTable& table, std::int64_t frames, std::int64_t dataStart)
{
    for (int i = 0; i < table.separatorCount; ++i) {
        (void)table.Tempo(i, 44100);
        (void)table.LengthMilliseconds(i, 8000);
        Require(table.BarLength(i) >= 0, "bar lengths are not negative");
    }
    const auto bars = TuneBarLines(table, frames, 1024);
    for (std::size_t i = 0; i < bars.size(); ++i)
        Require(bars[i].position < frames && (i == 0 || bars[i].position > bars[i - 1].position), "bar lines increase");
    const std::int64_t length = frames - dataStart;
    const auto lines = StretchBarAndBeatLines(table, dataStart, length, 1024);
    for (std::size_t i = 0; i < lines.size(); ++i)
        Require(lines[i].position > 0 && lines[i].position < length && (i == 0 || lines[i].position > lines[i - 1].position),
                "stretch lines lie inside the stretch, increasing");
}

std::int32_t Le32(const std::uint8_t* bytes)
{
    return static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                     std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
}

// Each edit is 6 bytes: what, which separator, a 32-bit value.
void Edit(SeparatorTable& table, const std::uint8_t* script, std::size_t size)
{
    for (std::size_t at = 0; at + 6 <= size; at += 6) {
        const int index = script[at + 1] % (table.separatorCount + 1);
        const std::int32_t value = Le32(script + at + 2);
        switch (script[at] % 5) {
        case 0: table.InsertSeparator(value); break;
        case 1: (void)table.DeleteSeparator(index); break;
        case 2: (void)table.SetBaseLength(index, value); break;
        case 3:
            if (index < table.separatorCount) table.ChangeBaseNote(index, value % 5);
            break;
        case 4:
            if (index < table.separatorCount) table.timeSignature[static_cast<std::size_t>(index)] = value & 1;
            break;
        }
        CheckTable(table, false);
    }
    CheckTable(table);
}

}  // namespace
}  // namespace harkwell::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace harkwell;
    using namespace harkwell::fuzz;
    const std::span<const std::uint8_t> bytes(data, size);

    SetupData first;
    // Whether it was intact does not matter: a repaired record must be stable.
    (void)SetupData::Parse(bytes.first(std::min(size, SetupData::kFileSize)), first);
    CheckTable(first.separators);
    const SetupData::Bytes written = first.Serialize();

    SetupData second;
    Require(SetupData::Parse(written, second), "a written record reads back intact");
    Require(Same(first, second), "parse, write, parse is a fixpoint");
    Require(second.Serialize() == written, "a record read back is written the same");
    Use(second.separators, 0x7FFFFFFF, 0);

    if (size > SetupData::kFileSize) {
        Edit(first.separators, data + SetupData::kFileSize, size - SetupData::kFileSize);
        SetupData edited;
        Require(SetupData::Parse(first.Serialize(), edited), "an edited table reads back intact");
        Require(Same(first, edited), "an edited table reads back as it was");
        const std::int64_t frames = Le32(data + size - 4) & 0x7FFFFFFF;
        Use(edited.separators, frames, frames == 0 ? 0 : (data[size - 1] * std::int64_t{frames}) / 256);
    }
    return 0;
}
