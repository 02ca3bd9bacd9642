// Tracks made by real encoders (FFmpeg's AAC, ALAC, LAME and Opus encoders; lame itself
// where installed) played through the engine: lengths to the sample with the encoder's delay
// and padding removed, and a start in the middle that lands on its sample.
#include "EngineTestSupport.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"
#include "engine/playback/TrackDecoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace vl::engine;
using vl::test::Outputs;

namespace {

// Not a whole number of codec frames of any encoder.
constexpr int64_t kFrames = 300007;

float tone(int64_t frame, int channel) {
    const double t = double(frame) / 44100.0;
    return static_cast<float>(0.5 * std::sin(2.0 * M_PI * (channel ? 1000.0 : 700.0) * t));
}

std::string box(const char* type, const std::string& body) {
    const auto size = static_cast<uint32_t>(body.size() + 8);
    const char head[8] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size), type[0], type[1], type[2], type[3]};
    return std::string(head, 8) + body;
}

// The file's user data replaced by iTunes' gapless text, as iTunes writes it; the movie box
// must come after the sound data, so that no offset moves.
void addItunesGapless(const std::string& path, const std::string& text) {
    const std::string file = vl::test::readFile(path);
    auto size = [](const std::string& d, std::size_t at) {
        return std::size_t(uint8_t(d[at])) << 24 | std::size_t(uint8_t(d[at + 1])) << 16 |
               std::size_t(uint8_t(d[at + 2])) << 8 | uint8_t(d[at + 3]);
    };
    std::string out;
    for (std::size_t at = 0; at + 8 <= file.size(); at += size(file, at)) {
        if (file.compare(at + 4, 4, "moov") != 0) {
            out += file.substr(at, size(file, at));
            continue;
        }
        std::string moov;
        for (std::size_t in = at + 8; in < at + size(file, at); in += size(file, in))
            if (file.compare(in + 4, 4, "udta") != 0) moov += file.substr(in, size(file, in));
        const std::string item = box("----", box("mean", std::string(4, '\0') + "com.apple.iTunes") +
                                                 box("name", std::string(4, '\0') + "iTunSMPB") +
                                                 box("data", std::string("\0\0\0\1\0\0\0\0", 8) + text));
        const std::string hdlr = box("hdlr", std::string(8, '\0') + "mdirappl" + std::string(9, '\0'));
        out += box("moov", moov + box("udta", box("meta", std::string(4, '\0') + hdlr + box("ilst", item))));
    }
    vl::test::writeFile(path, out);
}

class EncodedTracks : public ::testing::Test {
protected:
    static void SetUpTestSuite() { vl::test::writeAudio(source(), 44100, 2, kFrames, tone); }
    static std::filesystem::path source() {
        static vl::test::TempFolder folder;
        return folder / "source.wav";
    }
    // The source encoded by `command` ("ffmpeg ... IN ... OUT"), into `name`.
    std::string encode(const std::string& name, const std::string& command) {
        std::string line = command;
        line.replace(line.find("IN"), 2, "'" + source().string() + "'");
        line.replace(line.find("OUT"), 3, "'" + (dir / name).string() + "'");
        EXPECT_EQ(std::system((line + " 2>/dev/null").c_str()), 0) << line;
        return (dir / name).string();
    }
    uint32_t measure(const std::string& path) {
        for (int i = 1; i <= 8; ++i)
            engine.setTrackFile(i, 0, 1.0f, 0, (dir / "none").c_str());
        engine.setTrackFile(1, 0, 1.0f, 0, path.c_str());
        return static_cast<uint32_t>(engine.play(true, true, nullptr));
    }
    // FFmpeg's own decoding of the whole file, delay and all, as the reference.
    std::vector<float> reference(const std::string& path) {
        const std::string wav = path + ".ref.wav";
        EXPECT_EQ(std::system(("ffmpeg -v error -y -i '" + path + "' -c:a pcm_f32le '" + wav + "'").c_str()), 0);
        SF_INFO info{};
        SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
        std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
        if (file) sf_readf_float(file, samples.data(), info.frames);
        if (file) sf_close(file);
        return samples;
    }

    vl::test::TempFolder dir;
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
};

} // namespace

TEST_F(EncodedTracks, LengthIsTheSourceToTheSampleWhereTheFileSaysSo) {
    const auto exact = static_cast<uint32_t>(kFrames * 4);
    EXPECT_EQ(measure(encode("aac.m4a", "ffmpeg -v error -y -i IN -c:a aac -b:a 160k OUT")), exact);
    EXPECT_EQ(measure(encode("alac.m4a", "ffmpeg -v error -y -i IN -c:a alac OUT")), exact);
    // No edit list, but iTunes' gapless text: 1024 frames of delay, then the source's count.
    const std::string itunes = encode("itunes.m4a", "ffmpeg -v error -y -i IN -c:a aac -use_editlist 0 OUT");
    addItunesGapless(itunes, " 00000000 00000400 00000019 00000000000493E7 00000000 00000000 00000000");
    EXPECT_EQ(measure(itunes), exact);
    EXPECT_EQ(measure(encode("lame.mp3", "ffmpeg -v error -y -i IN -c:a libmp3lame -b:a 192k OUT")), exact);
    if (std::system("command -v lame >/dev/null") == 0) {
        EXPECT_EQ(measure(encode("cli.mp3", "lame --quiet IN OUT")), exact);
    }
    // Raw AAC says nothing of its delay: all it holds, whole codec frames of 1024.
    const uint32_t adts = measure(encode("raw.aac", "ffmpeg -v error -y -i IN -c:a aac OUT"));
    EXPECT_EQ(adts % (1024 * 4), 0u);
    EXPECT_GE(adts, exact);
    EXPECT_LT(adts, exact + 3 * 1024 * 4);
    // Matroska stamps are in milliseconds, and FFmpeg's WMA encoder drops the last block.
    EXPECT_NEAR(measure(encode("opus.webm", "ffmpeg -v error -y -i IN -c:a libopus OUT")), exact, 2 * 176.4);
    EXPECT_NEAR(measure(encode("opus.mka", "ffmpeg -v error -y -i IN -c:a libopus OUT")), exact, 2 * 176.4);
    EXPECT_NEAR(measure(encode("wma.wma", "ffmpeg -v error -y -i IN -c:a wmav2 OUT")), exact, 4096 * 4);

    // A file cut short is as long as what it still holds, not what its header promised.
    const std::string cut = encode("cut.m4a", "ffmpeg -v error -y -i IN -c:a aac -movflags +faststart OUT");
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    const uint32_t half = measure(cut);
    EXPECT_GT(half, exact / 3);
    EXPECT_LT(half, exact * 2 / 3);

    // What nothing decodes is refused with a reason to show.
    std::string why;
    vl::test::writeFile(dir / "notes.m4a", "not sound at all, only words");
    EXPECT_EQ(TrackDecoder::open((dir / "notes.m4a").string(), 44100, &why), nullptr);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i color=s=64x64:d=1 -c:v mpeg4 '" +
                           (dir / "picture.mp4").string() + "'").c_str()), 0);
    why.clear();
    EXPECT_EQ(TrackDecoder::open((dir / "picture.mp4").string(), 44100, &why), nullptr);
    EXPECT_EQ(why, "holds no sound");
}

TEST_F(EncodedTracks, AStartInTheMiddleLandsOnItsSample) {
    const std::string aac = encode("aac.m4a", "ffmpeg -v error -y -i IN -c:a aac -b:a 192k OUT");
    const std::string alac = encode("alac.m4a", "ffmpeg -v error -y -i IN -c:a alac OUT");
    const std::string itunes = encode("itunes.m4a", "ffmpeg -v error -y -i IN -c:a aac -use_editlist 0 OUT");
    addItunesGapless(itunes, " 00000000 00000400 00000019 00000000000493E7 00000000 00000000 00000000");
    const std::vector<float> decoded = reference(aac), itunesDecoded = reference(itunes);
    for (int i = 1; i <= 8; ++i)
        engine.setTrackFile(i, 0, 1.0f, 0, (dir / "none").c_str());
    engine.setTrackFile(1, 0, 1.0f, 0, aac.c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, alac.c_str());
    engine.setTrackFile(3, 2, 1.0f, 0, itunes.c_str());
    for (uint32_t perMille : {0u, 1u, 417u, 950u}) {
        engine.setStartPerMille(perMille);
        ASSERT_EQ(engine.play(false, true, nullptr), 1);
        const int64_t first = engine.songPosition() / 4;
        ASSERT_EQ(first, int64_t{perMille} * kFrames * 4 / 1000 / 4); // the song is as long as the source
        const int frames = static_cast<int>(std::min<int64_t>(8192, kFrames - first));
        const Outputs out = vl::test::renderFrames(engine, device, frames, 441);
        for (int f = 0; f < frames; ++f) {
            // ALAC is lossless: the source, sample for sample (16-bit steps).
            ASSERT_NEAR(out[2][f], tone(first + f, 0) * kTrackLevel, 1.0 / 32768) << perMille << " " << f;
            ASSERT_NEAR(out[3][f], tone(first + f, 1) * kTrackLevel, 1.0 / 32768) << perMille << " " << f;
            // AAC: what FFmpeg decodes from the start, at the same sample.
            const auto at = static_cast<std::size_t>(first + f) * 2;
            ASSERT_NEAR(out[0][f], decoded[at] * kTrackLevel, 2e-3) << perMille << " " << f;
            ASSERT_NEAR(out[1][f], decoded[at + 1] * kTrackLevel, 2e-3) << perMille << " " << f;
            ASSERT_NEAR(out[4][f], itunesDecoded[at] * kTrackLevel, 2e-3) << perMille << " " << f;
        }
        EXPECT_NEAR(vl::test::rms(out[1], 0), 0.5 * kTrackLevel / std::sqrt(2.0), 0.005) << perMille;
    }
}
