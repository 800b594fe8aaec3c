// The Shift-JIS conversions and cuts of area names. Input: a byte limit, then
// a text taken once as Shift-JIS and once as UTF-8.
#include "FuzzCheck.h"

#include "audio/WaveformAreas.h"
#include "common/ShiftJis.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace harkwell::fuzz {
namespace {

std::size_t ShiftJisCharLength(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 2 : 1;
}

// The length of the well-formed UTF-8 character at the start, 0 when there is none.
std::size_t Utf8CharLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                         : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    if (length == 3 && ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0))) return 0;
    if (length == 4 && ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))) return 0;
    return length;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharLength(text.substr(at));
        if (length == 0) return false;
        at += length;
    }
    return true;
}

void CheckCut(std::string_view shiftJis, std::size_t limit)
{
    const std::string_view cut = CutShiftJis(shiftJis, limit);
    Require(cut.size() <= limit && shiftJis.substr(0, cut.size()) == cut, "a cut is a start within the limit");
    std::size_t at = 0;
    while (at < cut.size()) at += ShiftJisCharLength(static_cast<unsigned char>(cut[at]));
    Require(at == cut.size(), "a cut never ends in half a character");
    if (cut.size() < shiftJis.size()) {
        const std::size_t next = ShiftJisCharLength(static_cast<unsigned char>(shiftJis[cut.size()]));
        Require(cut.size() + next > limit || cut.size() + next > shiftJis.size(), "a cut keeps every whole character that fits");
    }
}

void CheckFit(std::string_view utf8, std::size_t limit)
{
    const std::string fitted = FitToShiftJisBytes(utf8, limit);
    Require(utf8.substr(0, fitted.size()) == fitted, "a fit is a start of the text");
    Require(Utf8ToShiftJis(fitted).size() <= limit, "a fit fits the limit");
    if (!IsUtf8(utf8)) return;
    Require(IsUtf8(fitted), "a fit of UTF-8 ends between characters");
    if (fitted.size() < utf8.size()) {
        const std::size_t next = Utf8CharLength(std::string_view(utf8).substr(fitted.size()));
        Require(Utf8ToShiftJis(utf8.substr(0, fitted.size() + next)).size() > limit,
                "a fit keeps every whole character that fits");
    }
}

}  // namespace
}  // namespace harkwell::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace harkwell;
    using namespace harkwell::fuzz;
    if (size < 1) return -1;
    const std::size_t limit = data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    // As Shift-JIS: what it decodes to is UTF-8 and comes back through a round trip.
    CheckCut(text, limit);
    const std::string utf8 = ShiftJisToUtf8(text);
    Require(IsUtf8(utf8), "Shift-JIS decodes to UTF-8");
    const std::string encoded = Utf8ToShiftJis(utf8);
    Require(ShiftJisToUtf8(encoded) == utf8, "decoded Shift-JIS survives a round trip");
    Require(Utf8ToShiftJis(ShiftJisToUtf8(encoded)) == encoded, "encoded Shift-JIS is stable");
    CheckCut(encoded, limit);
    CheckFit(utf8, limit);

    // As UTF-8, also ill-formed: conversions and fits hold their limits.
    (void)ShiftJisToUtf8(Utf8ToShiftJis(text));
    CheckFit(text, limit);

    // An area keeps a name that its file's name field can hold whole.
    WaveformAreas areas;
    Require(areas.Add(0, 1, 0, utf8), "an area is added to an empty list");
    const std::string saved = Utf8ToShiftJis(areas[0].name);
    Require(saved.size() <= WaveformAreas::kMaxNameBytes && CutShiftJis(saved, WaveformAreas::kMaxNameBytes) == saved,
            "a kept name is saved whole");
    Require(ShiftJisToUtf8(saved) == areas[0].name, "a kept name reads back as kept");
    return 0;
}
