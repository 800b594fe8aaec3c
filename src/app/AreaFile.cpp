#include "app/AreaFile.h"

#include "common/Files.h"
#include "common/LittleEndian.h"
#include "common/ShiftJis.h"

#include <algorithm>

namespace harkwell {

namespace {

constexpr std::size_t kRecordSize = 44;
constexpr std::size_t kNameField = 32;

}  // namespace

std::vector<std::uint8_t> SerializeAreaLists(const std::array<const WaveformAreas*, kAreaListCount>& lists)
{
    std::vector<std::uint8_t> bytes;
    for (const WaveformAreas* list : lists) {
        const std::size_t count = list ? list->size() : 0;
        AppendLe32(bytes, static_cast<std::uint32_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            const WaveformArea& area = (*list)[i];
            AppendLe32(bytes, area.start);
            AppendLe32(bytes, area.end);
            AppendLe32(bytes, area.colour);
            const std::string name = Utf8ToShiftJis(area.name);
            const std::string_view cut = CutShiftJis(name, kNameField - 1);
            const std::size_t at = bytes.size();
            bytes.resize(at + kNameField, 0);
            std::copy(cut.begin(), cut.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    return bytes;
}

bool ParseAreaLists(std::span<const std::uint8_t> bytes, AreaLists& lists)
{
    bool intact = true;
    std::size_t at = 0;
    for (WaveformAreas& list : lists) {
        list.Clear();
        if (bytes.size() - at < 4) return false;
        auto count = static_cast<std::int32_t>(ReadLe32(&bytes[at]));
        at += 4;
        if (count < 0) {
            intact = false;
            count = 0;
        }
        for (std::int32_t i = 0; i < count; ++i) {
            if (bytes.size() - at < kRecordSize) return false;
            const std::uint8_t* record = &bytes[at];
            at += kRecordSize;
            const auto start = static_cast<std::int32_t>(ReadLe32(record));
            const auto end = static_cast<std::int32_t>(ReadLe32(record + 4));
            const auto* name = reinterpret_cast<const char*>(record + 12);
            const std::string_view field(name, static_cast<std::size_t>(std::find(name, name + kNameField, '\0') - name));
            const std::string_view shiftJis = CutShiftJis(field, kNameField - 1);
            const bool usable = start >= 0 && end >= start && list.size() < WaveformAreas::kMaxAreas;
            if (!usable || shiftJis.size() != field.size()) intact = false;
            // A usable area always fits: the list's capacity was checked.
            if (usable)
                (void)list.Add(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end), ReadLe32(record + 8),
                         ShiftJisToUtf8(shiftJis));
        }
    }
    return intact;
}

AreaLists LoadAreaFile(MessageSink& sink, const std::string& path)
{
    AreaLists lists;
    // A missing file means no areas; something that is not a file is reported by the reader.
    if (!CanOpenFile(path) && NotRegularFileCause(path).empty()) return lists;
    std::vector<std::uint8_t> buffer(kWorkBufferSize);
    std::size_t count = 0;
    // Whatever could be taken from a damaged file is kept; the rest stays empty.
    if (ReadFileUpTo(sink, path, buffer, count)) (void)ParseAreaLists(std::span(buffer.data(), count), lists);
    return lists;
}

bool SaveAreaFile(MessageSink& sink, const std::string& path,
                  const std::array<const WaveformAreas*, kAreaListCount>& lists)
{
    return WriteWholeFile(sink, path, SerializeAreaLists(lists));
}

}  // namespace harkwell
