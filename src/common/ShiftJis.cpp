#include "common/ShiftJis.h"

#include <cerrno>
#include <iconv.h>

namespace harkwell {

namespace {

constexpr const char* kShiftJis = "CP932";

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Bytes of the UTF-8 character that starts with this byte (1 for a stray byte).
std::size_t Utf8Length(unsigned char lead)
{
    if (lead >= 0xF5) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    return 1;
}

// Converts with iconv; a sequence it cannot take is replaced by '?' and
// stepped over by `skip(first byte)` bytes.
template <typename Skip>
std::string Convert(const char* to, const char* from, std::string_view text, Skip skip)
{
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ or EINVAL: an unconvertible or cut-off character.
        out.push_back('?');
        const std::size_t step = std::min(inLeft, skip(static_cast<unsigned char>(*in)));
        in += step;
        inLeft -= step;
    }
    iconv_close(converter);
    return out;
}

}  // namespace

std::string Utf8ToShiftJis(std::string_view utf8)
{
    return Convert(kShiftJis, "UTF-8", utf8, Utf8Length);
}

std::string ShiftJisToUtf8(std::string_view shiftJis)
{
    return Convert("UTF-8", kShiftJis, shiftJis, [](unsigned char) { return std::size_t{1}; });
}

std::string_view CutShiftJis(std::string_view shiftJis, std::size_t maxBytes)
{
    std::size_t used = 0;
    while (used < shiftJis.size()) {
        const std::size_t length = IsLeadByte(static_cast<unsigned char>(shiftJis[used])) ? 2 : 1;
        if (used + length > maxBytes || used + length > shiftJis.size()) break;
        used += length;
    }
    return shiftJis.substr(0, used);
}

std::string FitToShiftJisBytes(std::string_view utf8, std::size_t maxBytes)
{
    std::size_t used = 0;
    std::size_t shiftJisBytes = 0;
    while (used < utf8.size()) {
        const std::size_t length = std::min(Utf8Length(static_cast<unsigned char>(utf8[used])), utf8.size() - used);
        const std::size_t encoded = Utf8ToShiftJis(utf8.substr(used, length)).size();
        if (shiftJisBytes + encoded > maxBytes) break;
        shiftJisBytes += encoded;
        used += length;
    }
    return std::string(utf8.substr(0, used));
}

}  // namespace harkwell
