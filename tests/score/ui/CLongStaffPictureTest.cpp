#include "score/ui/CLongStaffPicture.h"

#include "score/ChordPlan.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/ReferencePicture.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace harkwell {
namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr PictureRect kPlace{0, 0, 340, 160};

// A staff as the analyze dialog has it: 340 x 160, one 4/4 bar at division 960.
class CLongStaffPictureTest : public ::testing::Test {
protected:
    CLongStaffPictureTest() : host_(new COffScreenPicture(&window_)) {}

    std::unique_ptr<CLongStaffPicture> Make(int lowest = 60, int highest = 96, PictureRect place = kPlace)
    {
        return std::make_unique<CLongStaffPicture>(messages_, host_, place, 3840, lowest, highest);
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

    // How many separate black marks a column of pixels crosses from y0 down to y1.
    int InkRuns(double x, double y0, double y1) const
    {
        int runs = 0;
        bool inInk = false;
        for (int y = static_cast<int>(y0); y < static_cast<int>(y1); ++y) {
            const bool ink = Ink(x, y) > 200;  // darker than the grey staff lines
            if (ink && !inInk) ++runs;
            inInk = ink;
        }
        return runs;
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

// On a staff twice the dialog's size, so that a flag is some pixels thick.
TEST_F(CLongStaffPictureTest, EveryValueDrawsItsOwnFlagsAndDotsSingleAndInChords)
{
    struct Case {
        std::vector<int> pitches;
        int type;
        int flags, dots;
    };
    const Case cases[] = {
        {{64}, 1, 1, 0},        {{60, 64}, 1, 1, 0},      {{60, 64, 67}, 1, 1, 0},  // eighths
        {{64}, 0, 2, 0},        {{60, 64}, 0, 2, 0},      {{62, 65, 69}, 2, 1, 1},  // sixteenths, dotted eighths
        {{64, 67}, 6, 0, 1},    {{62, 65}, 8, 0, 2},      {{64, 67, 71}, 10, 0, 2},
        {{74, 77}, 1, 1, 0},    {{71, 74, 77}, 0, 2, 0},  // down stems
    };
    for (const Case& c : cases) {
        auto staff = Make(60, 96, {0, 0, 680, 320});
        for (int pitch : c.pitches) staff->AddStaffNote(0, pitch, 0, kBlack, c.type, 0);
        const StaffLayout& layout = staff->Layout(0);
        const double s = layout.Spacing();
        const ChordPlan plan = PlanChord(layout, 0, c.pitches);
        const double left = layout.Head(c.pitches.front()).left;
        const double stem = left + plan.stemX;
        const double end = layout.NoteY(plan.stemFrom) + 0.5 * s;
        const std::string what = std::to_string(c.pitches.front()) + " type " + std::to_string(c.type);
        // The flags cross a column just beside the stem once each, beyond the heads.
        const double column = stem + 0.35 * s;
        if (plan.stemDown)
            EXPECT_EQ(InkRuns(column, end + 0.8 * s, end + 4 * s), c.flags) << what;
        else
            EXPECT_EQ(InkRuns(column, end - 4 * s, end - 0.8 * s), c.flags) << what;
        // The dots: one column of them for each, a dot for each head.
        for (int dot = 0; dot < 2; ++dot) {
            const double x = left + plan.dotX + (dot * 0.55 + 0.2) * s;
            const int heads = static_cast<int>(c.pitches.size());
            EXPECT_EQ(InkRuns(x, layout.NoteY(c.pitches.back()) - s, layout.NoteY(c.pitches.front()) + 2 * s),
                      dot < c.dots ? heads : 0)
                << what << " dot " << dot;
        }
    }
}

TEST_F(CLongStaffPictureTest, EveryRestIsDrawnAndADottedOneWithItsDot)
{
    using namespace staff_type;
    const auto drawn = [&](int type) {
        auto staff = Make();
        staff->AddStaffNote(0, CLongStaffPicture::kRestPitch, 1920, kBlack, type, 0);
        return Shown().copy();
    };
    const StaffLayout layout(340, 160, 60, 96);
    const double s = layout.Spacing();
    const double x = layout.XOrigin() - 0.5 * s + layout.XOffset(1920, 3840);
    for (int type : {kSixteenth, kEighth, kQuarter, kHalf, kWhole}) {
        auto staff = Make();
        staff->AddStaffNote(0, CLongStaffPicture::kRestPitch, 1920, kBlack, type, 0);
        EXPECT_GT(InkIn({x, layout.NoteY(77), 3 * s, 4 * s}), 150) << "rest of type " << type;
    }
    // A dotted rest is its rest and a dot right of it, in the space above the middle line.
    const double dotY = layout.NoteY(72) + 0.5 * s;
    for (const auto& [plain, dotted] : {std::pair{kEighth, kDottedEighth}, std::pair{kQuarter, kDottedQuarter},
                                        std::pair{kHalf, kDottedHalf}}) {
        const QImage without = drawn(plain);
        const QImage with = drawn(dotted);
        QRect added;
        for (int py = 0; py < with.height(); ++py)
            for (int px = 0; px < with.width(); ++px)
                if (with.pixel(px, py) != without.pixel(px, py)) added |= QRect(px, py, 1, 1);
        ASSERT_FALSE(added.isEmpty()) << "no dot for type " << dotted;
        EXPECT_LE(added.width(), s) << dotted;
        EXPECT_LE(added.height(), s) << dotted;
        EXPECT_NEAR(added.center().y(), dotY, 0.3 * s) << dotted;
        EXPECT_GT(added.left(), x + 1.2 * s) << dotted;
    }
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

// A chord of every value of the picker, as a picture: whole, double-dotted
// half, dotted half, half, double-dotted quarter, dotted quarter, quarter,
// dotted eighth, eighth and sixteenth, with up and down stems, seconds and
// both staves. Twice the dialog's width, so that the chords stand apart.
TEST_F(CLongStaffPictureTest, AChordOfEveryValueLooksAsItsReferencePicture)
{
    auto staff = Make(60, 96, {0, 0, 680, 160});
    const struct {
        int length;
        std::vector<int> pitches;
    } chords[] = {{16, {60, 64, 67}}, {14, {71, 74}},    {12, {64, 65}},     {8, {72, 76, 79}}, {7, {62, 65, 69}},
                  {6, {67, 71}},      {4, {48, 52, 55}}, {3, {64, 67}},      {2, {74, 77}},     {1, {60, 62}}};
    std::int32_t time = 0;
    for (const auto& chord : chords) {
        for (int pitch : chord.pitches) staff->AddStaffNote(0, pitch, time, kBlack, StaffNoteType(chord.length), 0);
        time += 3840 / 10;
    }
    testing::ExpectLikeReference(Shown(),
                                 QStringLiteral(HARKWELL_TEST_SOURCE_DIR "/score/ui/reference/staff-chords.png"));
}

// Every rest the bar's silences are written with, as a picture.
TEST_F(CLongStaffPictureTest, EveryRestLooksAsItsReferencePicture)
{
    using namespace staff_type;
    auto staff = Make(60, 96, {0, 0, 680, 160});
    std::int32_t time = 0;
    for (int type : {kWhole, kDottedHalf, kHalf, kDottedQuarter, kQuarter, kDottedEighth, kEighth, kSixteenth}) {
        staff->AddStaffNote(0, CLongStaffPicture::kRestPitch, time, kBlack, type, 0);
        time += 3840 / 8;
    }
    testing::ExpectLikeReference(Shown(), QStringLiteral(HARKWELL_TEST_SOURCE_DIR "/score/ui/reference/staff-rests.png"));
}

}  // namespace
}  // namespace harkwell
