#include "score/ui/CLongStaffPicture.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/ReferencePicture.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace harkwell {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr PictureRect kPlace{0, 0, 340, 160};

// A staff as the analyze dialog has it: 340 x 160, one 4/4 bar at division 960.
class CLongStaffPictureTest : public ::testing::Test {
protected:
    CLongStaffPictureTest() : host_(new COffScreenPicture(&window_)) {}

    std::unique_ptr<CLongStaffPicture> Make(int lowest = 60, int highest = 96)
    {
        return std::make_unique<CLongStaffPicture>(messages_, host_, kPlace, 3840, lowest, highest);
    }

    const QImage& Shown() const { return host_->Shown(); }

    // How much darker than white a pixel is, 0..255.
    int Ink(double x, double y) const
    {
        const QColor c = Shown().pixelColor(static_cast<int>(x), static_cast<int>(y));
        return 255 - (c.red() + c.green() + c.blue()) / 3;
    }

    // The darkest pixel in a rectangle.
    int InkIn(QRectF area) const
    {
        int most = 0;
        for (int y = static_cast<int>(area.top()); y < static_cast<int>(area.bottom()); ++y)
            for (int x = static_cast<int>(area.left()); x < static_cast<int>(area.right()); ++x)
                if (x >= 0 && y >= 0 && x < Shown().width() && y < Shown().height()) most = std::max(most, Ink(x, y));
        return most;
    }

    QWidget window_;
    COffScreenPicture* host_;
    testing::RecordingMessageSink messages_;
};

TEST_F(CLongStaffPictureTest, LinesClefsHeadsAndSignsWhereTheLayoutPutsThem)
{
    auto staff = Make();
    const StaffLayout& layout = staff->Layout(0);
    const double s = layout.Spacing();
    // The staff lines are grey across the width; middle C's row is not drawn.
    for (int row : layout.StaffLineRows())
        EXPECT_EQ(Shown().pixelColor(300, static_cast<int>(layout.RowY(row))), QColor(100, 100, 100)) << row;
    const int middleCRow = 1 + static_cast<int>(std::find(layout.RowPitches().begin(), layout.RowPitches().end(), 60) -
                                                 layout.RowPitches().begin());
    EXPECT_EQ(Ink(300, layout.RowY(middleCRow)), 0);
    EXPECT_GT(InkIn({0, layout.NoteY(77) - 0.5 * s, 4 * s, 6 * s}), 200) << "a treble clef";
    EXPECT_GT(InkIn({0, layout.NoteY(57) - 0.5 * s, 4 * s, 6 * s}), 200) << "a bass clef";

    // F#4, F4, F#4 across the bar: sharp, natural, sharp before the heads.
    staff->AddStaffNote(0, 66, 0, kBlack, 5, 0);
    staff->AddStaffNote(0, 65, 960, kBlack, 5, 0);
    staff->AddStaffNote(0, 66, 1920, kBlack, 5, 0);
    for (int i = 0; i < 3; ++i) {
        const HeadBox head = layout.Head(i == 1 ? 65 : 66);
        const double dx = layout.XOffset(960 * i, 3840);
        EXPECT_GT(Ink(dx + (head.left + head.right) / 2, (head.top + head.bottom) / 2), 200) << "head " << i;
        EXPECT_GT(InkIn({dx + head.left - 1.2 * s, head.top, 0.9 * s, s}), 120) << "sign " << i;
    }
    // An up stem rises from the right of 66's head; 71 would hang down.
    const HeadBox f = layout.Head(66);
    EXPECT_GT(InkIn({f.right - 2, f.top - 3 * s, 4, 2 * s}), 150);
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(CLongStaffPictureTest, MarksFillTheirColumnsAndOverfillingIsRefused)
{
    auto staff = Make();
    for (int i = 0; i < CLongStaffPicture::kMaxMarks; ++i) staff->AddMark(0, 100 + 10 * i, 105 + 10 * i, 0x00FFFF);
    staff->Repaint();
    EXPECT_EQ(Shown().pixelColor(102, 3), QColor(255, 255, 0)) << "0x00BBGGRR yellow";
    EXPECT_EQ(Shown().pixelColor(107, 3), QColor(Qt::white));
    EXPECT_TRUE(messages_.messages.empty());

    staff->AddMark(0, 0, 10, 0x0000FF);
    staff->AddStaffNote(1, 60, 0, kBlack, 5, 0);
    EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{"CLongStaffPicture::error", "CLongStaffPicture::error"}));
    staff->Repaint();
    EXPECT_NE(Shown().pixelColor(5, 3), QColor(255, 0, 0)) << "the ninth mark is not kept";

    for (int i = 0; i < CLongStaffPicture::kMaxNotes; ++i) staff->AddStaffNote(0, 60, 0, kBlack, 5, 0);
    staff->AddStaffNote(0, 60, 0, kBlack, 5, 0);
    EXPECT_EQ(staff->Notes(0).size(), 64u) << "nothing past the table";
}

TEST_F(CLongStaffPictureTest, RestsAndLedgerLines)
{
    auto staff = Make();
    const StaffLayout& layout = staff->Layout(0);
    const double s = layout.Spacing();
    staff->AddStaffNote(0, CLongStaffPicture::kRestPitch, 0, kBlack, 5, 0);  // a quarter rest
    staff->AddStaffNote(0, 88, 1920, kBlack, 5, 0);                          // two ledger lines above
    const double restX = layout.XOrigin() - 0.5 * s;
    EXPECT_GT(InkIn({restX, layout.NoteY(76), 4 * s, 4 * s}), 150);
    const double x = layout.Head(88).left + layout.XOffset(1920, 3840);
    for (int pitch : {81, 84}) {
        const double y = layout.NoteY(pitch) + 0.5 * s;
        EXPECT_GT(Ink(x + s + 4, y), 200) << "ledger line of " << pitch;
    }
    EXPECT_EQ(Ink(x + s + 4, layout.NoteY(77) - 2 * s + 0.5 * s - 0.5 * s), 0) << "none between the ledger rows";
}

// The whole look of a written bar, kept as a picture: set
// HARKWELL_WRITE_REFERENCES=1 to write it anew after changing the artwork.
TEST_F(CLongStaffPictureTest, ABarLooksAsItsReferencePicture)
{
    auto staff = Make();
    staff->AddMark(0, 83, 98, 0xFFE0C0);
    const struct {
        int pitch, time, type;
    } bar[] = {{60, 0, 5}, {64, 0, 5}, {67, 0, 5}, {66, 960, 1}, {65, 1440, 2}, {71, 1920, 7},
               {74, 1920, 7}, {-1, 2880, 5}, {45, 3360, 0}, {86, 3600, 0}};
    for (const auto& note : bar) staff->AddStaffNote(0, note.pitch, note.time, kBlack, note.type, 0);

    testing::ExpectLikeReference(Shown(), QStringLiteral(HARKWELL_TEST_SOURCE_DIR "/score/ui/reference/staff-bar.png"));
}

}  // namespace
}  // namespace harkwell
