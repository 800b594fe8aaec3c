// Sound files of every everyday format, made here with Debian's encoders,
// loaded as the program loads them and held against the `ffmpeg` program's
// own decode of the same file mixed to the mean of its channels.
#include "audio/AudioFileDecoder.h"
#include "audio/WaveData.h"

#include "fakes/RecordingMessageSink.h"
#include "fakes/TempDir.h"
#include "fakes/WavBuilder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

namespace harkwell {
namespace {

using testing::RecordingMessageSink;
using testing::TempDir;
using Samples = std::vector<std::int16_t>;

void RunTool(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Everything `ffmpeg -i` decodes, mixed as the tune is: the mean of the channels.
Samples ReferenceDecode(const TempDir& dir, const std::string& path, int channels, int rate)
{
    std::string pan = "pan=mono|c0=";
    for (int c = 0; c < channels; ++c)
        pan += (c ? "+" : "") + std::to_string(1.0 / channels) + "*c" + std::to_string(c);
    const std::string raw = dir.File("reference.raw");
    RunTool("ffmpeg -nostdin -v error -y -i " + Quoted(path) + " -af '" + pan + "' -ar " + std::to_string(rate) +
        " -f s16le " + Quoted(raw));
    const auto bytes = testing::ReadBytes(raw);
    Samples samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

Samples TuneSamples(const WaveData& tune)
{
    Samples samples(tune.Frames());
    std::memcpy(samples.data(), tune.Samples().data(), samples.size() * 2);
    return samples;
}

struct Likeness {
    double correlation = 0;
    double relativeRms = 1;  // of the difference, against the reference's
};

// Over the frames [from, to) that both hold.
Likeness Compare(const Samples& tune, const Samples& reference, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    to = std::min({to, tune.size(), reference.size()});
    double ab = 0, aa = 0, bb = 0, dd = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double a = tune[i], b = reference[i];
        ab += a * b;
        aa += a * a;
        bb += b * b;
        dd += (a - b) * (a - b);
    }
    if (aa == 0 || bb == 0) return {};
    return {ab / std::sqrt(aa * bb), std::sqrt(dd / bb)};
}

// The best correlation of 8000 reference frames from `referenceFrom` with
// the tune's frames near `tuneFrom`, shifted by up to `maxShift` either way.
double AlignedCorrelation(const Samples& tune, std::size_t tuneFrom, const Samples& reference,
                          std::size_t referenceFrom, std::size_t maxShift)
{
    constexpr std::size_t kWindow = 8000;
    if (referenceFrom + kWindow > reference.size() || tuneFrom < maxShift || tuneFrom + maxShift + kWindow > tune.size())
        return 0;
    const Samples window(reference.begin() + static_cast<std::ptrdiff_t>(referenceFrom),
                         reference.begin() + static_cast<std::ptrdiff_t>(referenceFrom + kWindow));
    double best = -1;
    for (std::size_t start = tuneFrom - maxShift; start <= tuneFrom + maxShift; ++start) {
        const Samples part(tune.begin() + static_cast<std::ptrdiff_t>(start),
                           tune.begin() + static_cast<std::ptrdiff_t>(start + kWindow));
        best = std::max(best, Compare(part, window).correlation);
    }
    return best;
}

class AudioFileDecoderTest : public ::testing::Test {
protected:
    // Two seconds of two different sweeps, left and right, so that a channel
    // lost or a frame shifted shows.
    static void SetUpTestSuite()
    {
        dir_ = new TempDir;
        RunTool("sox -n -r 44100 -c 2 -b 16 " + Quoted(Source()) + " synth 2 sine 200-2000 sine 3000-300 gain -4");
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string Source() { return dir_->File("source.wav"); }
    static std::string File(const std::string& name) { return dir_->File(name); }

    // Makes `name` with the command, %s standing for the source and %o for the file.
    static std::string Make(const std::string& name, std::string command)
    {
        const std::string out = File(name);
        for (std::size_t at; (at = command.find("%s")) != std::string::npos;) command.replace(at, 2, Quoted(Source()));
        for (std::size_t at; (at = command.find("%o")) != std::string::npos;) command.replace(at, 2, Quoted(out));
        RunTool(command);
        return out;
    }

    static inline TempDir* dir_ = nullptr;
    RecordingMessageSink sink_;
};

TEST_F(AudioFileDecoderTest, EveryFormatLoadsAsTheFfmpegProgramDecodesIt)
{
    const struct {
        const char* name;
        const char* make;
        int channels;      // of the file
        std::uint32_t rate;  // of the tune
        std::size_t frameSlack;  // the codec's priming and padding, for lossy codecs
        const char* codec;
    } cases[] = {
        {"t.mp3", "lame --quiet -b 192 %s %o", 2, 44100, 1152 + 529, "mp3float"},
        {"t.m4a", "ffmpeg -nostdin -v error -i %s -c:a aac -b:a 160k %o", 2, 44100, 2112, "aac"},
        {"t.flac", "flac -s %s -o %o", 2, 44100, 0, "flac"},
        {"t.ogg", "oggenc -Q %s -o %o", 2, 44100, 0, "vorbis"},
        {"t.opus", "opusenc --quiet %s %o", 2, 48000, 312, "opus"},
        {"t.aiff", "sox %s %o", 2, 44100, 0, "pcm_s16be"},
        {"t24.wav", "sox %s -b 24 -t wavpcm %o", 2, 44100, 0, "pcm_s24le"},
        {"tf.wav", "sox %s -e float -b 32 -t wavpcm %o", 2, 44100, 0, "pcm_f32le"},
        {"text.wav", "sox %s -b 24 %o", 2, 44100, 0, "pcm_s24le"},
        {"t6.wav", "sox -M %s %s %s -b 16 %o", 6, 44100, 0, "pcm_s16le"},
        {"trf.wav", "ffmpeg -nostdin -v error -i %s -rf64 always %o", 2, 44100, 0, "pcm_s16le"},
        {"tv.mp4",
         "ffmpeg -nostdin -v error -f lavfi -i testsrc=size=64x48:rate=10 -i %s -shortest -c:v mpeg4 -c:a aac %o",
         2, 44100, 2112, "aac"},
        {"t22.flac", "sox %s -r 22050 %o", 2, 44100, 0, "flac"},
        {"t96.wav", "sox %s -r 96000 -b 24 -c 1 %o", 1, 48000, 0, "pcm_s24le"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Make(c.name, c.make);
        sink_.messages.clear();
        const auto tune = WaveData::LoadMono(path, sink_);
        ASSERT_TRUE(tune);
        EXPECT_TRUE(sink_.messages.empty()) << sink_.messages.front().text;
        EXPECT_EQ(tune->Format(), (WaveFormat{kWaveFormatPcm, 1, c.rate, c.rate * 2, 2, 16}));
        EXPECT_EQ(tune->Source().codec, c.codec);
        EXPECT_EQ(tune->Source().channels, static_cast<std::uint32_t>(c.channels));

        const Samples reference = ReferenceDecode(*dir_, path, c.channels, static_cast<int>(c.rate));
        const Samples samples = TuneSamples(*tune);
        ASSERT_GT(reference.size(), c.rate) << "the reference holds a second at least";
        EXPECT_LE(std::max(samples.size(), reference.size()) - std::min(samples.size(), reference.size()), c.frameSlack)
            << samples.size() << " frames, the reference " << reference.size();
        const Likeness likeness = Compare(samples, reference);
        EXPECT_GT(likeness.correlation, 0.9999);
        EXPECT_LT(likeness.relativeRms, 0.005);
    }
}

// Three channels in a plain PCM WAV name no speaker layout: every channel
// still weighs a third, each sample the mean rounded to the nearest.
TEST_F(AudioFileDecoderTest, ChannelsWithoutALayoutAreMixedToTheirMean)
{
    const std::vector<std::array<std::int16_t, 3>> frames = {
        {300, 600, -900}, {3, 4, 5}, {0, 0, 3000}, {-30000, 0, 0}, {32767, 32767, 32767}, {-32768, -32768, -32768},
    };
    std::vector<std::int16_t> interleaved;
    for (const auto& frame : frames) interleaved.insert(interleaved.end(), frame.begin(), frame.end());
    const std::string path = File("three.wav");
    testing::WriteBytes(path, testing::WavBuilder()
                                  .Riff()
                                  .Format(3, 44100, 16)
                                  .Chunk("data", testing::WavBuilder::Samples16(interleaved))
                                  .Build());
    const auto tune = WaveData::LoadMono(path, sink_);
    ASSERT_TRUE(tune);
    EXPECT_EQ(tune->Source().channels, 3u);
    const Samples samples = TuneSamples(*tune);
    ASSERT_EQ(samples.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(samples[i], std::lround((frames[i][0] + frames[i][1] + frames[i][2]) / 3.0)) << "frame " << i;
}

TEST_F(AudioFileDecoderTest, TheSameFileGivesTheSameFramesOnEveryLoad)
{
    const std::string path = Make("again.mp3", "lame --quiet %s %o");
    const auto first = WaveData::LoadMono(path, sink_);
    const auto second = WaveData::LoadMono(path, sink_);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(TuneSamples(*first), TuneSamples(*second));
}

// A chained stream changes rate and channels where its second part begins:
// a stereo second at 44100 Hz, then a mono second at 22050 Hz.
TEST_F(AudioFileDecoderTest, AStreamThatChangesRateAndChannelsMidwayKeepsEachPartInTune)
{
    const std::string first = File("first.wav"), second = File("second.wav");
    RunTool("sox -n -r 44100 -c 2 -b 16 " + Quoted(first) + " synth 1 sine 300-900 sine 1200-400 gain -4");
    RunTool("sox -n -r 22050 -c 1 -b 16 " + Quoted(second) + " synth 1 sine 500-1500 gain -4");
    const struct {
        const char* name;
        const char* encode;
    } cases[] = {{"chain.ogg", "oggenc -Q %i -o %o"}, {"chain.mp3", "lame --quiet %i %o"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string parts;
        for (const std::string& part : {first, second}) {
            std::string command = c.encode;
            const std::string out = part + std::filesystem::path(c.name).extension().string();
            command.replace(command.find("%i"), 2, Quoted(part));
            command.replace(command.find("%o"), 2, Quoted(out));
            RunTool(command);
            parts += " " + Quoted(out);
        }
        const std::string path = File(c.name);
        RunTool("cat" + parts + " > " + Quoted(path));

        const auto tune = WaveData::LoadMono(path, sink_);
        ASSERT_TRUE(tune);
        EXPECT_TRUE(sink_.messages.empty());
        EXPECT_EQ(tune->Format().samplesPerSec, 44100u);
        const Samples samples = TuneSamples(*tune);
        EXPECT_NEAR(static_cast<double>(samples.size()), 2 * 44100.0, 4000);
        // Each part against its own file decoded alone: a part decoded at
        // the other's rate or channels would match nowhere near its place.
        const Samples firstAlone = ReferenceDecode(*dir_, first, 2, 44100);
        const Samples secondAlone = ReferenceDecode(*dir_, second, 1, 44100);
        EXPECT_GT(AlignedCorrelation(samples, 10000, firstAlone, 10000, 3000), 0.99) << "the stereo part";
        EXPECT_GT(AlignedCorrelation(samples, 44100 + 10000, secondAlone, 10000, 3000), 0.99) << "the mono part";
    }
}

TEST_F(AudioFileDecoderTest, AFileWithoutSoundItCanReadIsRefusedSayingWhy)
{
    const std::string empty = File("empty.mp3");
    testing::WriteBytes(empty, {});
    const std::string text = File("notes.mp3");
    testing::WriteBytes(text, {'j', 'u', 's', 't', ' ', 'w', 'o', 'r', 'd', 's', '\n'});
    const std::string picture =
        Make("picture.mp4", "ffmpeg -nostdin -v error -f lavfi -i testsrc=size=64x48:rate=10 -t 1 -c:v mpeg4 -an %o");
    // A WAV whose samples are of a kind no decoder knows.
    const std::string unknown = File("unknown.wav");
    testing::WriteBytes(unknown, {'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                                  0x34, 0x12, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0,
                                  'd', 'a', 't', 'a', 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {empty, "the file is empty"},
        {text, "not a sound file this program can read"},
        {picture, "no sound in this file"},
        {unknown, "not a sound file this program can read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        sink_.messages.clear();
        EXPECT_FALSE(WaveData::LoadMono(c.path, sink_));
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_EQ(sink_.messages[0].text, c.message + " [" + c.path + "]");
        EXPECT_EQ(sink_.messages[0].kind, MessageKind::Plain);
    }
}

TEST_F(AudioFileDecoderTest, ACutOffFileLoadsWhatDecodesAndSaysOnceThatItEndsEarly)
{
    // Long enough that most of its pages lie after the headers.
    const std::string source = File("long.wav");
    RunTool("sox -n -r 44100 -c 2 -b 16 " + Quoted(source) + " synth 8 sine 200-2000 sine 3000-300 gain -4");
    const struct {
        const char* name;
        const char* make;
    } cases[] = {
        {"cut.mp3", "lame --quiet %l %o"},
        {"cut.flac", "flac -s %l -o %o"},
        {"cut.ogg", "oggenc -Q %l -o %o"},
        {"cut.opus", "opusenc --quiet %l %o"},
        {"cut.m4a", "ffmpeg -nostdin -v error -i %l -c:a aac -movflags +faststart %o"},
        {"cut24.wav", "sox %l -b 24 %o"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string make = c.make;
        make.replace(make.find("%l"), 2, Quoted(source));
        const std::string path = Make(c.name, make);
        sink_.messages.clear();
        const auto whole = WaveData::LoadMono(path, sink_);
        ASSERT_TRUE(whole);
        EXPECT_TRUE(sink_.messages.empty()) << "the whole file ends where it should";
        std::filesystem::resize_file(path, std::filesystem::file_size(path) * 6 / 10);

        const auto cut = WaveData::LoadMono(path, sink_);
        ASSERT_TRUE(cut);
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_EQ(sink_.messages[0].text, "the file ends early; the sound up to there is loaded [" + path + "]");
        EXPECT_LT(cut->Frames(), whole->Frames() * 8 / 10);
        EXPECT_GT(cut->Frames(), whole->Frames() * 3 / 10);
        EXPECT_GT(Compare(TuneSamples(*cut), TuneSamples(*whole), 0, whole->Frames() * 3 / 10).correlation, 0.9999)
            << "what was loaded is the start of the tune";
    }
}

// A loopback port that counts the connections made to it.
class Listener {
public:
    Listener()
    {
        socket_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(socket_, 4) != 0 ||
            getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no loopback port");
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { close(socket_); }
    std::string Url(const std::string& name) const { return "http://127.0.0.1:" + std::to_string(port_) + "/" + name; }
    bool Reached() const
    {
        const int connection = accept(socket_, nullptr, nullptr);
        if (connection >= 0) close(connection);
        return connection >= 0;
    }

private:
    int socket_ = -1;
    int port_ = 0;
};

// Tells whether a file was opened since the watch began.
class OpenWatch {
public:
    explicit OpenWatch(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK))
    {
        if (fd_ < 0 || inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0) throw std::runtime_error("no inotify");
    }
    ~OpenWatch() { close(fd_); }
    bool Opened() const
    {
        alignas(inotify_event) char events[4096];
        return read(fd_, events, sizeof events) > 0;
    }

private:
    int fd_;
};

// A playlist or a concatenation script names other files and addresses;
// the load refuses it and opens none of them.
TEST_F(AudioFileDecoderTest, APlaylistOrAConcatenationScriptIsRefusedAndWhatItNamesIsNeverRead)
{
    const std::string segment = Make("segment.ts", "ffmpeg -nostdin -v error -i %s -c:a aac -f mpegts %o");
    Listener server;
    const std::string playlist = File("list.m3u8");
    std::ofstream(playlist) << "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2.0,\nsegment.ts\n#EXTINF:2.0,\n"
                            << server.Url("more.ts") << "\n#EXT-X-ENDLIST\n";
    const std::string script = File("list.ffconcat");
    std::ofstream(script) << "ffconcat version 1.0\nfile 'segment.ts'\nfile '" << server.Url("more.wav") << "'\n";

    {
        // The ffmpeg program follows the playlist to the segment: the watch sees it.
        OpenWatch watch(segment);
        RunTool("ffmpeg -nostdin -v quiet -i " + Quoted(playlist) + " -f null - || true");
        ASSERT_TRUE(watch.Opened()) << "the playlist is one the demuxer follows";
    }
    for (const std::string& path : {playlist, script}) {
        SCOPED_TRACE(path);
        OpenWatch watch(segment);
        sink_.messages.clear();
        EXPECT_FALSE(WaveData::LoadMono(path, sink_));
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_EQ(sink_.messages[0].text, "not a sound file this program can read [" + path + "]");
        EXPECT_FALSE(watch.Opened()) << "the segment it names was opened";
        EXPECT_FALSE(server.Reached()) << "the address it names was reached";
    }
    EXPECT_TRUE(WaveData::LoadMono(segment, sink_)) << "the segment itself is sound the program reads";
}

}  // namespace
}  // namespace harkwell
