#include "app/StartupReport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace harkwell {
namespace {

TEST(StartupReportTest, OnlyWhatCannotBeUsedIsTold)
{
    std::ostringstream quiet;
    ReportSoundAtStart({true, "", true, "/sf2/gm.sf2"}, quiet);
    EXPECT_EQ(quiet.str(), "");

    std::ostringstream both;
    ReportSoundAtStart({false, "no output device", false, "/sf2/gm.sf2"}, both);
    EXPECT_EQ(both.str(),
              "harkwell: no sound output can be used (no output device): tunes will not play\n"
              "harkwell: no General MIDI SoundFont at /sf2/gm.sf2: the score and the keys will not sound "
              "(install timgm6mb-soundfont or fluid-soundfont-gm)\n");
}

TEST(StartupReportTest, TheSelfCheckFailsWhenAnythingIsMissing)
{
    std::ostringstream out;
    EXPECT_EQ(ReportSelfCheck({{"manual", true, "/usr/share/harkwell/manual/index.htm"}, {"soundfont", true, "/gm.sf2"}},
                              out),
              0);
    EXPECT_EQ(out.str(), "manual: /usr/share/harkwell/manual/index.htm\nsoundfont: /gm.sf2\n");

    std::ostringstream missing;
    EXPECT_EQ(ReportSelfCheck({{"manual", false, "looked in /a /b"}, {"soundfont", true, "/gm.sf2"}}, missing), 1);
    EXPECT_EQ(missing.str(), "manual: not found (looked in /a /b)\nsoundfont: /gm.sf2\n");
}

}  // namespace
}  // namespace harkwell
