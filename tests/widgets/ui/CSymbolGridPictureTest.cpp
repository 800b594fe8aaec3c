#include "widgets/ui/CSymbolGridPicture.h"

#include "fakes/MouseActions.h"
#include "fakes/RecordingMessageSink.h"
#include "widgets/ui/CBitmapResources.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace harkwell {
namespace {

// The note-value picker: 16 ids per row, the first five used.
std::vector<int> PickerIds()
{
    const int rows[3][5] = {{140, 143, 142, 141, 146}, {145, 144, 148, 147, 149}, {150, 151, 152, 153, 154}};
    std::vector<int> ids(3 * kSymbolIdsPerRow, 0);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 5; ++column) ids[static_cast<std::size_t>(row * kSymbolIdsPerRow + column)] = rows[row][column];
    return ids;
}

constexpr QRgb kRgbMask = 0xFFFFFF;
// 0x202000 as 0x00BBGGRR is red 0, green 0x20, blue 0x20.
constexpr QRgb kChosenTint = qRgb(0x00, 0x20, 0x20) & kRgbMask;

class CSymbolGridPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent_.resize(600, 500);
        parent_.show();
    }

    void CreatePicker()
    {
        grid_.CreateGrid({360, 330, 510, 420}, 3, 5, ids_, Recorder("press"), Recorder("release"));
    }

    CSymbolGridPicture::CellHandler Recorder(const std::string& name)
    {
        return [this, name](int row, int column) {
            events_.push_back(name + "(" + std::to_string(row) + "," + std::to_string(column) + ")");
        };
    }

    QRgb SurfaceRgb(int x, int y) const { return host_->Surface().pixel(x, y) & kRgbMask; }

    QWidget parent_;
    COffScreenPicture* host_ = new COffScreenPicture(&parent_);  // owned by parent_
    testing::RecordingMessageSink messages_;
    CSymbolGridPicture grid_{*host_, messages_};
    std::vector<int> ids_ = PickerIds();
    std::vector<std::string> events_;
};

TEST_F(CSymbolGridPictureTest, ReportsTheCellUnderPressAndRelease)
{
    CreatePicker();
    EXPECT_EQ(host_->geometry(), QRect(360, 330, 150, 90));
    EXPECT_EQ(host_->Tag(), CSymbolGridPicture::kIndex);
    QTest::mousePress(host_, Qt::LeftButton, {}, {45, 40});
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {45, 40});
    // x = 30 is the edge shared by columns 0 and 1: the first match wins.
    QTest::mousePress(host_, Qt::LeftButton, {}, {30, 10});
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {149, 89});
    EXPECT_EQ(events_, (std::vector<std::string>{"press(1,1)", "release(1,1)", "press(0,0)", "release(2,4)"}));
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CSymbolGridPictureTest, APointerThatLeftWhilePressedReleasesNoCell)
{
    CreatePicker();
    QTest::mousePress(host_, Qt::LeftButton, {}, {45, 40});
    testing::MoveHeld(host_, {200, 40});
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {200, 40});
    EXPECT_EQ(events_, std::vector<std::string>{"press(1,1)"});
}

TEST_F(CSymbolGridPictureTest, DrawsSymbolsAsTheyAreAndTheChosenCellTinted)
{
    CreatePicker();
    EXPECT_EQ(grid_.GetChoice(), (GridPosition{-1, -1}));
    grid_.Choose(1, 1, true);
    grid_.Choose(3, 0, true);  // outside the grid: ignored
    EXPECT_EQ(grid_.GetChoice(), (GridPosition{1, 1}));

    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 5; ++column) {
            const QImage symbol = LoadBitmapResource(ids_[static_cast<std::size_t>(row * kSymbolIdsPerRow + column)]);
            ASSERT_FALSE(symbol.isNull());
            const QRgb tint = (row == 1 && column == 1) ? kChosenTint : 0;
            const int left = column * 30;
            const int top = row * 30;
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 30; ++x) {
                    const bool frame = x == 0 || y == 0 || x == 29 || y == 29;
                    const QRgb expected = frame ? 0 : ((symbol.pixel(x, y) & kRgbMask) ^ tint);
                    ASSERT_EQ(SurfaceRgb(left + x, top + y), expected)
                        << "cell " << row << "," << column << " pixel " << x << "," << y;
                }
            }
        }
    }
    // Drawing stays off-screen until shown.
    EXPECT_EQ(host_->Shown().pixel(45, 45) & kRgbMask, 0u);
    grid_.ShowAll();
    EXPECT_EQ(host_->Shown().pixel(45, 45) & kRgbMask, kChosenTint);

    grid_.Choose(2, 3, true);
    EXPECT_EQ(grid_.GetChoice(), (GridPosition{1, 1}));  // the first in row order
    grid_.ClearChoice();
    EXPECT_EQ(grid_.GetChoice(), (GridPosition{-1, -1}));
}

TEST_F(CSymbolGridPictureTest, RefusedSizesShowErrorAndFitTheGrid)
{
    struct Case {
        int rows, columns;
        int fittedRows, fittedColumns;
    };
    for (const Case& c : {Case{11, 5, 10, 16}, Case{3, 17, 10, 16}, Case{0, 5, 0, 0}}) {
        messages_.messages.clear();
        events_.clear();
        grid_.CreateGrid({0, 0, 160, 100}, c.rows, c.columns, ids_, Recorder("press"), nullptr);
        ASSERT_EQ(messages_.Texts(), std::vector<std::string>{"error"}) << c.rows << "x" << c.columns;
        EXPECT_EQ(messages_.messages[0].kind, MessageKind::Plain);
        EXPECT_EQ(grid_.Rows(), c.fittedRows);
        EXPECT_EQ(grid_.Columns(), c.fittedColumns);
        QTest::mousePress(host_, Qt::LeftButton, {}, {15, 15});
        QTest::mouseRelease(host_, Qt::LeftButton, {}, {15, 15});
        const std::vector<std::string> expected = c.fittedRows ? std::vector<std::string>{"press(1,1)"} : std::vector<std::string>{};
        EXPECT_EQ(events_, expected) << c.rows << "x" << c.columns;
    }
    // Rows past the three the list holds have no symbol: their cells stay black.
    grid_.CreateGrid({0, 0, 160, 100}, 11, 5, ids_, nullptr, nullptr);
    for (int y = 30; y < 100; ++y)
        for (int x = 0; x < 160; ++x) ASSERT_EQ(SurfaceRgb(x, y), 0u) << x << "," << y;
}

TEST_F(CSymbolGridPictureTest, DestroyReleasesTheSurfaceAndEndsReports)
{
    CreatePicker();
    grid_.Destroy();
    EXPECT_TRUE(host_->Surface().isNull());
    EXPECT_EQ(grid_.Rows(), 0);
    QTest::mousePress(host_, Qt::LeftButton, {}, {45, 40});
    QTest::mouseRelease(host_, Qt::LeftButton, {}, {45, 40});
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(grid_.GetChoice(), (GridPosition{-1, -1}));
}

TEST(NoteAndRestSymbols, AreDistinctLightGlyphsInsideTheFrame)
{
    std::vector<QImage> symbols;
    for (int id = 140; id <= 154; ++id) {
        const QImage symbol = LoadBitmapResource(id);
        ASSERT_EQ(symbol.size(), QSize(30, 30)) << id;
        int ink = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                const bool frame = x == 0 || y == 0 || x == 29 || y == 29;
                const int level = qGray(symbol.pixel(x, y));
                if (frame) {
                    EXPECT_EQ(symbol.pixel(x, y) & kRgbMask, 0u) << id << " at " << x << "," << y;
                }
                if (level > 200) ++ink;
            }
        }
        EXPECT_GT(ink, 20) << id;
        for (const QImage& other : symbols) EXPECT_NE(symbol, other) << id;
        symbols.push_back(symbol);
    }
}

}  // namespace
}  // namespace harkwell
