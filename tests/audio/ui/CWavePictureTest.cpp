#include "audio/ui/CWavePicture.h"

#include "audio/WaveformReference.h"
#include "fakes/RecordingMessageSink.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace harkwell {
namespace {

using testing::PerSampleColumns;
using testing::RecordingMessageSink;

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const std::string kError = "CWavePicture::ErrorMsg";

class CWavePictureTest : public ::testing::Test {
protected:
    void SetUp() override { parent_.resize(1000, 400); }

    COffScreenPicture* NewWindow()
    {
        auto* window = new COffScreenPicture(&parent_);
        window->show();
        return window;
    }

    // A picture whose slot 0 is `width` × `height` and reports into presses_ and releases_.
    std::unique_ptr<CWavePicture> MakePicture(int width, int height)
    {
        window_ = NewWindow();
        return std::make_unique<CWavePicture>(
            sink_, window_, PictureRect{0, 0, width, height},
            [this](std::uint32_t frame) { presses_.push_back(frame); },
            [this](std::uint32_t frame) { releases_.push_back(frame); });
    }

    // A move with the left button held; QTest::mouseMove carries no buttons.
    void DragTo(int x, int y)
    {
        const QPoint to(x, y);
        QMouseEvent move(QEvent::MouseMove, to, window_->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_, &move);
    }

    QColor Pixel(int x, int y) const { return window_->Surface().pixelColor(x, y); }

    QWidget parent_;
    COffScreenPicture* window_ = nullptr;
    RecordingMessageSink sink_;
    std::vector<std::uint32_t> presses_;
    std::vector<std::uint32_t> releases_;
};

// The surface painted by the plain rule: white, and each column's line in red.
QImage PerSampleImage(const WaveformView& view, const std::vector<std::int16_t>& samples)
{
    QImage image(view.width, view.height, QImage::Format_RGB32);
    image.fill(kWhite);
    for (const WaveformColumn& column : PerSampleColumns(view, samples))
        for (int y = column.top; y <= column.bottom; ++y) image.setPixelColor(column.x, y, kRed);
    return image;
}

TEST_F(CWavePictureTest, PaintsTheWaveformPixelForPixelAsThePerSampleRule)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    for (int trial = 0; trial < 25; ++trial) {
        const int width = std::uniform_int_distribution<int>(1, 900)(random);
        const int height = std::uniform_int_distribution<int>(1, 120)(random);
        const auto frames = std::uniform_int_distribution<std::uint32_t>(1, 300000)(random);
        std::vector<std::int16_t> samples(frames);
        for (auto& s : samples) s = static_cast<std::int16_t>(sample(random) / (1 + int(random() % 4)));
        const WaveformView view{frames, std::uniform_int_distribution<std::uint32_t>(1, 3000)(random),
                                std::uniform_int_distribution<std::uint32_t>(0, frames)(random), width, height};

        auto picture = MakePicture(width, height);
        picture->SetSamples(0, samples.data(), frames, 1, 16);
        picture->SetZoom(0, view.zoom);
        picture->SetViewStart(0, view.viewStart);

        ASSERT_EQ(window_->Surface(), PerSampleImage(view, samples))
            << trial << ": " << width << "x" << height << " frames " << frames << " zoom " << view.zoom << " start "
            << view.viewStart;
        EXPECT_EQ(window_->Shown(), window_->Surface());
    }
    EXPECT_TRUE(sink_.messages.empty());
}

// 100 silent frames across 100 pixels of 20 rows: frame p at x = p, the
// waveform along row 10. Areas lie under it, lines over it, markers last.
TEST_F(CWavePictureTest, AreasLieBehindTheWaveformAndLinesInFront)
{
    auto picture = MakePicture(100, 20);
    const std::vector<std::int16_t> silence(100, 0);
    picture->SetSamples(0, silence.data(), 100, 1, 16);
    ASSERT_TRUE(picture->AddArea(0, 10, 30, 0x00FF00, "green"));
    ASSERT_TRUE(picture->AddArea(0, 40, 20, 0xFF0000, "blue, given end first"));
    picture->AddSeparator(0, 50);
    picture->AddMarker(0, 60, 0xFFFF00);
    picture->AddSeparator(0, 70);
    picture->AddMarker(0, 70, 0x00FFFF);
    picture->SetBackground(0, 0x808080);
    EXPECT_EQ(Pixel(15, 0), kWhite) << "nothing is painted before the redraw";
    picture->Redraw(0);

    const QColor green(0, 255, 0), blue(0, 0, 255), grey(128, 128, 128);
    EXPECT_EQ(Pixel(9, 0), grey);
    EXPECT_EQ(Pixel(10, 0), green);
    EXPECT_EQ(Pixel(19, 19), green);
    EXPECT_EQ(Pixel(20, 0), blue);  // the later area covers the earlier one
    EXPECT_EQ(Pixel(39, 19), blue);
    EXPECT_EQ(Pixel(40, 0), grey);  // the end's own column is left out
    EXPECT_EQ(Pixel(15, 10), kRed);
    EXPECT_EQ(Pixel(15, 9), green);
    for (const int y : {0, 10, 19}) {
        EXPECT_EQ(Pixel(50, y), kBlack);
        EXPECT_EQ(Pixel(60, y), QColor(0, 255, 255));
        EXPECT_EQ(Pixel(70, y), QColor(255, 255, 0));
    }
    EXPECT_EQ(window_->Shown().pixelColor(15, 10), kBlack) << "Redraw does not show";
    picture->Show(0);
    EXPECT_EQ(window_->Shown().pixelColor(15, 10), kRed);
}

TEST_F(CWavePictureTest, ASeparatorAtTheLastOfTenMillionFramesIsInTheLastColumn)
{
    auto picture = MakePicture(800, 30);
    const std::vector<std::int16_t> samples(10000000, -32768);
    picture->SetSamples(0, samples.data(), 10000000, 1, 16);
    picture->AddSeparator(0, 9999999);
    picture->Redraw(0);
    for (int y = 1; y < 30; ++y) ASSERT_EQ(Pixel(799, y), kBlack) << y;
    EXPECT_EQ(Pixel(798, 1), kWhite);
    EXPECT_EQ(Pixel(798, 0), kRed);
}

TEST_F(CWavePictureTest, ZoomsBelowOneAreOneAndZoomsBeyondTheFramesShowNothing)
{
    auto picture = MakePicture(50, 10);
    const std::vector<std::int16_t> samples(100, 0);
    picture->SetSamples(0, samples.data(), 100, 1, 16);
    picture->AddSeparator(0, 10);
    for (const std::int64_t zoom : std::initializer_list<std::int64_t>{0, -1, -5000000000LL}) {
        picture->SetZoom(0, 7);
        picture->SetZoom(0, zoom);
        EXPECT_EQ(picture->Zoom(0), 1u) << zoom;
    }
    picture->SetZoom(0, 101);
    EXPECT_EQ(picture->Zoom(0), 101u);
    EXPECT_EQ(window_->Shown().pixelColor(5, 5), kWhite);
    EXPECT_EQ(window_->Shown().pixelColor(0, 0), kWhite);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(CWavePictureTest, KeepsAtMost1024SeparatorsAndMarkers)
{
    auto picture = MakePicture(50, 10);
    for (std::uint32_t i = 0; i < 1025; ++i) {
        picture->AddSeparator(0, i);
        picture->AddMarker(0, i, 0xFF);
    }
    ASSERT_EQ(picture->Separators(0).size(), 1024u);
    ASSERT_EQ(picture->Markers(0).size(), 1024u);
    EXPECT_EQ(picture->Separators(0).back(), 1023u);
    EXPECT_EQ(picture->Markers(0).back().frame, 1023u);
    picture->ClearSeparators(0);
    picture->ClearMarkers(0);
    EXPECT_TRUE(picture->Separators(0).empty());
    EXPECT_TRUE(picture->Markers(0).empty());
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(CWavePictureTest, RefusesWhatItCannotHoldWithItsMessage)
{
    auto picture = MakePicture(50, 10);
    for (int slot = 1; slot < 5; ++slot) EXPECT_EQ(picture->AddSlot(NewWindow(), {0, 0, 10, 10}, {}, {}), slot);
    COffScreenPicture* sixth = NewWindow();
    EXPECT_EQ(picture->AddSlot(sixth, {0, 0, 10, 10}, {}, {}), -1);
    EXPECT_EQ(picture->SlotCount(), 5);
    EXPECT_TRUE(sixth->Surface().isNull());
    EXPECT_EQ(sink_.Texts(), std::vector<std::string>{kError});

    for (std::uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(picture->AddArea(4, i, i + 1, 0xFF));
    EXPECT_FALSE(picture->AddArea(4, 200, 300, 0xFF));
    EXPECT_EQ(picture->Areas(4)->size(), 100u);
    picture->RemoveAreaAt(4, 100);
    picture->RemoveAreaAt(4, -1);
    EXPECT_EQ(picture->Areas(4)->size(), 100u);
    picture->SetZoom(5, 3);
    picture->AddSeparator(-1, 3);
    EXPECT_EQ(sink_.Texts(), std::vector<std::string>(6, kError));
    EXPECT_EQ(sink_.messages.back().kind, MessageKind::Plain);
}

TEST_F(CWavePictureTest, PressesAndReleasesArriveAsFrames)
{
    auto picture = MakePicture(500, 40);
    const std::vector<std::int16_t> samples(1000, 0);
    picture->SetSamples(0, samples.data(), 1000, 1, 16);

    QTest::mousePress(window_, Qt::LeftButton, {}, {100, 5});
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {300, 5});
    picture->SetZoom(0, 4);
    picture->SetViewStart(0, 600);
    QTest::mousePress(window_, Qt::LeftButton, {}, {499, 5});
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {2, 5});
    // Past the end of the samples the release is the last frame.
    picture->SetZoom(0, 1);
    picture->SetViewStart(0, 500);
    QTest::mousePress(window_, Qt::LeftButton, {}, {10, 5});
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {400, 5});

    EXPECT_EQ(presses_, (std::vector<std::uint32_t>{200, 600 + 249, 520}));
    EXPECT_EQ(releases_, (std::vector<std::uint32_t>{600, 601, 999}));
}

// A drag that leaves the picture ends at the column it left by, not at the
// end of the tune.
TEST_F(CWavePictureTest, ADragThatLeavesEndsAtTheLastColumnItCrossed)
{
    auto picture = MakePicture(500, 40);
    const std::vector<std::int16_t> samples(1000, 0);
    picture->SetSamples(0, samples.data(), 1000, 1, 16);

    QTest::mousePress(window_, Qt::LeftButton, {}, {200, 5});
    DragTo(120, 5);
    DragTo(3, 5);
    DragTo(-30, 5);  // out to the left
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {-30, 5});

    QTest::mousePress(window_, Qt::LeftButton, {}, {300, 5});
    DragTo(499, 39);
    DragTo(520, 39);  // out to the right
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {520, 39});

    QTest::mousePress(window_, Qt::LeftButton, {}, {250, 5});
    DragTo(250, -4);  // straight out of the top
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {250, -4});

    EXPECT_EQ(presses_, (std::vector<std::uint32_t>{400, 600, 500}));
    EXPECT_EQ(releases_, (std::vector<std::uint32_t>{6, 998, 500}));
}

TEST_F(CWavePictureTest, AReleaseRedrawsEverySlotBeforeTheOwnerHearsOfIt)
{
    COffScreenPicture* second = NewWindow();
    QColor seen;
    window_ = NewWindow();
    CWavePicture picture(sink_, window_, {0, 0, 100, 20}, nullptr,
                         [&](std::uint32_t) { seen = second->Surface().pixelColor(5, 0); });
    ASSERT_EQ(picture.AddSlot(second, {0, 100, 100, 120}, {}, {}), 1);
    const std::vector<std::int16_t> samples(100, 0);
    picture.SetSamples(1, samples.data(), 100, 1, 16);
    ASSERT_TRUE(picture.AddArea(1, 0, 50, 0x00FF00));
    EXPECT_EQ(second->Surface().pixelColor(5, 0), kWhite);
    QTest::mousePress(window_, Qt::LeftButton, {}, {10, 5});
    QTest::mouseRelease(window_, Qt::LeftButton, {}, {10, 5});
    EXPECT_EQ(seen, QColor(0, 255, 0));
}

// Samples that are not 16-bit mono are kept but not drawn; the message comes
// once for each SetSamples, not at every redraw.
TEST_F(CWavePictureTest, OtherFormatsAreReportedOncePerSetSamples)
{
    struct Format {
        int channels;
        int bitsPerSample;
    };
    for (const Format format : {Format{1, 8}, Format{2, 16}}) {
        sink_.messages.clear();
        auto picture = MakePicture(100, 20);
        const std::vector<std::uint8_t> bytes(400, 0);
        ASSERT_TRUE(picture->AddArea(0, 10, 20, 0x00FF00));
        picture->SetSamples(0, bytes.data(), 100, format.channels, format.bitsPerSample);
        picture->Redraw(0);
        picture->SetZoom(0, 2);
        picture->RedrawAll();
        EXPECT_EQ(sink_.Texts(), std::vector<std::string>{kError}) << format.channels << "/" << format.bitsPerSample;
        EXPECT_EQ(Pixel(25, 10), QColor(0, 255, 0));  // frames 10 .. 20 at zoom 2
        EXPECT_EQ(Pixel(50, 10), kWhite) << "no waveform";

        picture->SetSamples(0, bytes.data(), 100, format.channels, format.bitsPerSample);
        picture->Redraw(0);
        EXPECT_EQ(sink_.Texts(), std::vector<std::string>(2, kError));
    }
}

TEST_F(CWavePictureTest, WindowsOutliveThePictureSafely)
{
    auto picture = MakePicture(100, 20);
    COffScreenPicture* first = window_;
    picture = nullptr;
    EXPECT_TRUE(first->Surface().isNull());
    QTest::mousePress(first, Qt::LeftButton, {}, {10, 5});
    QTest::mouseRelease(first, Qt::LeftButton, {}, {10, 5});
    EXPECT_TRUE(presses_.empty());
    EXPECT_TRUE(releases_.empty());

    // And a window may go first.
    picture = MakePicture(100, 20);
    delete window_;
    picture->RedrawAll();
    picture->ShowAll();
    picture = nullptr;
}

}  // namespace
}  // namespace harkwell
