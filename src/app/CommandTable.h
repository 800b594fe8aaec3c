#pragma once

#include "widgets/PictureRect.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace harkwell {

// The windows that carry command buttons.
enum class CommandWindow { Main, AreaPanel, AnalyzeDialog };

struct CommandButton {
    std::uint32_t command;
    std::string_view caption;  // leading blanks are part of the look
    CommandWindow window;
    PictureRect place;         // client pixels of its window
};

namespace command {
inline constexpr std::uint32_t kClose = 0;
inline constexpr std::uint32_t kLoadWav = 1;
inline constexpr std::uint32_t kPlay = 2;
inline constexpr std::uint32_t kLoadCd = 3;
inline constexpr std::uint32_t kCopyDown = 4;
inline constexpr std::uint32_t kHelp = 5;
inline constexpr std::uint32_t kAreaList = 6;
inline constexpr std::uint32_t kClosePanel = 7;
inline constexpr std::uint32_t kPlayPanel = 8;
inline constexpr std::uint32_t kBarInfo = 9;
inline constexpr std::uint32_t kAnalyze = 10;
inline constexpr std::uint32_t kAnalyzeList = 11;
inline constexpr std::uint32_t kCloseAnalyze = 12;
inline constexpr std::uint32_t kLowPart = 13;
inline constexpr std::uint32_t kMidPart = 14;
inline constexpr std::uint32_t kHighPart = 15;
inline constexpr std::uint32_t kPlayAnalyze = 16;
inline constexpr std::uint32_t kInputScore = 17;
inline constexpr std::uint32_t kPowerSpectre = 18;
inline constexpr std::uint32_t kAnalyzeSetting = 19;
inline constexpr std::uint32_t kBaseWidth = 20;
inline constexpr std::uint32_t kAddSeparator = 21;
inline constexpr std::uint32_t kPlayScore = 22;
inline constexpr std::uint32_t kSyncPlay = 23;
inline constexpr std::uint32_t kPlaySetting = 24;
inline constexpr std::uint32_t kCount = 25;
}  // namespace command

// Every command button of the main window and its two panels, by command number.
inline constexpr std::array<CommandButton, command::kCount> kCommandButtons{{
    {0, "  Close", CommandWindow::Main, {800, 220, 888, 247}},
    {1, "  Load Wav", CommandWindow::Main, {10, 5, 98, 32}},
    {2, "  Play", CommandWindow::Main, {10, 220, 98, 247}},
    {3, "  Load CD", CommandWindow::Main, {110, 5, 198, 32}},
    {4, " Copy Down", CommandWindow::Main, {110, 220, 198, 247}},
    {5, "  Help", CommandWindow::Main, {710, 220, 798, 247}},
    {6, " Area List", CommandWindow::Main, {800, 5, 888, 32}},
    {7, "  Close", CommandWindow::AreaPanel, {800, 200, 888, 227}},
    {8, "  Play", CommandWindow::AreaPanel, {10, 200, 98, 227}},
    {9, " Bar Info", CommandWindow::AreaPanel, {10, 5, 98, 32}},
    {10, "  Analyze", CommandWindow::AreaPanel, {110, 200, 198, 227}},
    {11, "Analyze List", CommandWindow::AreaPanel, {800, 5, 888, 32}},
    {12, "  Close", CommandWindow::AnalyzeDialog, {410, 500, 498, 527}},
    {13, " Low Part", CommandWindow::AnalyzeDialog, {110, 140, 198, 167}},
    {14, " Mid Part", CommandWindow::AnalyzeDialog, {210, 140, 298, 167}},
    {15, " High Part", CommandWindow::AnalyzeDialog, {310, 140, 398, 167}},
    {16, "  Play", CommandWindow::AnalyzeDialog, {10, 140, 98, 167}},
    {17, "Input Score", CommandWindow::AnalyzeDialog, {410, 10, 498, 37}},
    {18, "Power Spectre", CommandWindow::AnalyzeDialog, {410, 140, 498, 167}},
    {19, "Analyze Setting", CommandWindow::AnalyzeDialog, {410, 180, 498, 207}},
    {20, "Base Width", CommandWindow::AnalyzeDialog, {110, 10, 198, 37}},
    {21, "Add Separator", CommandWindow::AnalyzeDialog, {10, 10, 98, 37}},
    {22, "Play Score", CommandWindow::AnalyzeDialog, {10, 500, 98, 527}},
    {23, "Sync Play", CommandWindow::AnalyzeDialog, {110, 500, 198, 527}},
    {24, "Play Setting", CommandWindow::AnalyzeDialog, {310, 10, 398, 37}},
}};

}  // namespace harkwell
