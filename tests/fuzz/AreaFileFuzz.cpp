// line.dat: parse, write, parse again must give the same lists, intact, and
// writing them again the same bytes.
#include "FuzzCheck.h"

#include "app/AreaFile.h"
#include "common/ShiftJis.h"

#include <cstdint>

namespace harkwell::fuzz {
namespace {

std::array<const WaveformAreas*, kAreaListCount> Pointers(const AreaLists& lists)
{
    return {&lists[0], &lists[1], &lists[2]};
}

bool SameLists(const AreaLists& a, const AreaLists& b)
{
    for (std::size_t l = 0; l < kAreaListCount; ++l)
        if (!std::equal(a[l].begin(), a[l].end(), b[l].begin(), b[l].end())) return false;
    return true;
}

}  // namespace
}  // namespace harkwell::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace harkwell;
    using namespace harkwell::fuzz;
    AreaLists first;
    // Whether it was intact does not matter: what was taken must be stable.
    (void)ParseAreaLists({data, size}, first);
    for (const WaveformAreas& list : first) {
        Require(list.size() <= WaveformAreas::kMaxAreas, "a list keeps its capacity");
        for (const WaveformArea& area : list) {
            Require(area.start <= area.end && area.end <= 0x7FFFFFFFu, "areas run forward from a frame");
            Require(Utf8ToShiftJis(area.name).size() <= WaveformAreas::kMaxNameBytes, "names fit the name field");
        }
    }
    const std::vector<std::uint8_t> written = SerializeAreaLists(Pointers(first));

    AreaLists second;
    Require(ParseAreaLists(written, second), "written lists read back intact");
    Require(SameLists(first, second), "parse, write, parse is a fixpoint");
    Require(SerializeAreaLists(Pointers(second)) == written, "lists read back are written the same");
    return 0;
}
