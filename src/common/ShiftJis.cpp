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

// One converter per direction and thread: opening one loads the code page's
// tables, and a full line.dat converts hundreds of names.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (IsOpen()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    // Back in the initial state, whatever the last conversion left.
    iconv_t Reset()
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        return handle_;
    }

private:
    iconv_t handle_;
};

// Converts with iconv; a sequence it cannot take is replaced by '?' and
// stepped over by `skip(first byte)` bytes.
template <typename Skip>
std::string Convert(Converter& cached, std::string_view text, Skip skip)
{
    if (!cached.IsOpen()) return std::string(text);
    iconv_t converter = cached.Reset();
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
    return out;
}

}  // namespace

std::string Utf8ToShiftJis(std::string_view utf8)
{
    thread_local Converter converter(kShiftJis, "UTF-8");
    return Convert(converter, utf8, Utf8Length);
}

std::string ShiftJisToUtf8(std::string_view shiftJis)
{
    thread_local Converter converter("UTF-8", kShiftJis);
    return Convert(converter, shiftJis, [](unsigned char) { return std::size_t{1}; });
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
