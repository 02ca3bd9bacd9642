// Linear timecode recorded from the engine's JACK port and read back with libltc's own
// decoder: every frame from the start on, each on the sample the song's position gives it,
// on a channel that carries nothing else.
#include "EngineTestSupport.h"
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/JackDevice.h"

#include <gtest/gtest.h>
#include <ltc.h>

#include <unistd.h>

#include <cmath>
#include <memory>
#include <string>

using namespace vl::engine;

namespace {

struct LtcCase {
    int rate;          // the JACK server's
    int fpsCode;       // 24, 25, 2997, 30
    int startPerMille; // where in the 8 s song playing starts
    SMPTETimecode label; // the song's timecode start
};

std::ostream& operator<<(std::ostream& os, const LtcCase& c) {
    return os << c.rate << " Hz, " << c.fpsCode << " fps, from " << c.startPerMille << " per mille";
}

class TimecodeLtc : public testing::TestWithParam<LtcCase> {};

LTC_TV_STANDARD standardOf(int fpsCode) {
    return fpsCode == 25 ? LTC_TV_625_50 : fpsCode == 24 ? LTC_TV_FILM_24 : LTC_TV_525_60;
}

} // namespace

TEST_P(TimecodeLtc, DecodedFramesFollowTheSongPositionToTheSample) {
    const LtcCase c = GetParam();
    vl::test::ScopedEnv rateEnv("VL_JACK_RATE", std::to_string(c.rate));
    vl::test::PrivateJackServer server("vltest-ltc-" + std::to_string(getpid()));
    ASSERT_TRUE(server.start());
    vl::test::ScopedEnv env("JACK_DEFAULT_SERVER", server.name());
    vl::test::TempFolder dir;
    constexpr double kSongSeconds = 8.0;
    vl::test::writeTone(dir / "tone.wav", 44100, 2, kSongSeconds, 441.0, 0.5f);

    Engine e;
    ASSERT_TRUE(e.openDevice(std::make_unique<JackDevice>()));
    ASSERT_EQ(e.device()->sampleRate(), c.rate);
    vl::test::loadTracks(e, dir.path(), {{"tone.wav", 0}});
    timecode::TimecodeSettings settings;
    settings.rateCode = c.fpsCode;
    settings.start = {c.label.hours, c.label.mins, c.label.secs, c.label.frame};
    settings.ltcChannel = 2; // beside the tone's left channel, on its pair
    e.setTimecode(settings);
    e.setStartPerMille(static_cast<uint32_t>(c.startPerMille));

    const auto frames = static_cast<std::size_t>(3 * c.rate);
    vl::test::JackRecorder recorder(frames);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom(static_cast<JackDevice*>(e.device())->clientName()));
    const int lateBefore = recorder.xruns();
    recorder.start();
    ASSERT_EQ(e.play(false, true, nullptr), 1);
    ASSERT_TRUE(recorder.waitFor(frames));
    const uint64_t underruns = e.counters().underruns.load();
    e.quit();
    // A loaded machine leaves gaps: a starved decoding thread in every track, the code's too,
    // and a late cycle in the recording.
    const int late = recorder.xruns() - lateBefore;
    if (underruns > 0 || late > 0)
        GTEST_SKIP() << underruns << " underruns, " << late << " late cycles: the machine did not keep up";

    // The graph's first sample is the first one that is not silent.
    std::vector<float> ltc = recorder.channel(1);
    std::size_t onset = 0;
    while (onset < ltc.size() && ltc[onset] == 0.0f)
        ++onset;
    ASSERT_LT(onset, ltc.size() / 2) << "no timecode";
    const float level = std::pow(10.0f, -18.0f / 20.0f);
    std::size_t foreign = 0;
    for (std::size_t i = onset; i < ltc.size(); ++i)
        foreign += std::fabs(std::fabs(ltc[i]) - level) > 1e-6f;
    EXPECT_EQ(foreign, 0u) << "samples that are not the timecode's two levels at -18 dBFS";
    EXPECT_GT(vl::test::rms(recorder.channel(0), onset), 0.1) << "the tone on the pair's other channel";

    // Song time 0 is the start label; playing starts at the engine's start position.
    const uint64_t songBytes = static_cast<uint64_t>(kSongSeconds * 176400);
    const uint64_t startFrame = uint64_t(c.startPerMille) * songBytes / 1000 / 4;
    const double fps = c.fpsCode == 2997 ? 30000.0 / 1001.0 : c.fpsCode;
    const int nominal = c.fpsCode == 2997 ? 30 : c.fpsCode;
    const double startSeconds = double(startFrame) / 44100.0;
    auto firstFrame = static_cast<int64_t>(std::ceil(startSeconds * fps - 1e-9));

    std::unique_ptr<LTCDecoder, int (*)(LTCDecoder*)> owned(ltc_decoder_create(static_cast<int>(c.rate / fps), 64),
                                                              &ltc_decoder_free);
    LTCDecoder* decoder = owned.get();
    LTCFrame expected;
    std::size_t checked = 0;
    int misplaced = 0;
    for (std::size_t at = onset; at < ltc.size(); at += 1024) {
        const std::size_t n = std::min<std::size_t>(1024, ltc.size() - at);
        ltc_decoder_write_float(decoder, ltc.data() + at, n, static_cast<ltc_off_t>(at - onset));
        LTCFrameExt got;
        while (ltc_decoder_read(decoder, &got)) {
            // libltc marks a frame by the last sample before its first transition, and needs
            // one transition before it to lock: the frame on the very first sample may go
            // unread, at most that one.
            const double first = (double(got.off_start + 1) / c.rate + startSeconds) * fps;
            if (checked == 0) {
                if (got.off_start < 0 || std::fabs(first - std::round(first)) * c.rate / fps > 1.0) continue;
                const auto k = static_cast<int64_t>(std::round(first));
                EXPECT_LE(k - firstFrame, 1) << "frames lost at the start";
                firstFrame = k;
                ltc_frame_reset(&expected);
                expected.dfbit = c.fpsCode == 2997;
                SMPTETimecode label = c.label;
                ltc_time_to_frame(&expected, &label, standardOf(c.fpsCode), 0);
                for (int64_t i = 0; i < firstFrame; ++i)
                    ltc_frame_increment(&expected, nominal, standardOf(c.fpsCode), 0);
            }
            SMPTETimecode want, heard;
            ltc_frame_to_time(&want, &expected, 0);
            ltc_frame_to_time(&heard, &got.ltc, 0);
            const double due = (double(firstFrame + int64_t(checked)) / fps - startSeconds) * c.rate;
            ASSERT_EQ(std::vector<int>({heard.hours, heard.mins, heard.secs, heard.frame}),
                      std::vector<int>({want.hours, want.mins, want.secs, want.frame}))
                << "frame " << checked;
            if (std::fabs(double(got.off_start + 1) - std::ceil(due - 1e-6)) > 1.0 && misplaced++ < 5)
                ADD_FAILURE() << "frame " << checked << " starts at " << got.off_start << ", due at " << due;
            ++checked;
            ltc_frame_increment(&expected, nominal, standardOf(c.fpsCode), 0);
        }
    }
    EXPECT_GE(double(checked), (double(ltc.size() - onset) / c.rate - 0.1) * fps);
}

INSTANTIATE_TEST_SUITE_P(Rates, TimecodeLtc,
                         testing::Values(LtcCase{44100, 25, 0, {"+0000", 0, 0, 0, 1, 0, 0, 0}},
                                         LtcCase{48000, 30, 0, {"+0000", 0, 0, 0, 10, 20, 30, 12}},
                                         // The middle of the song, across a minute drop frame skips.
                                         LtcCase{48000, 2997, 375, {"+0000", 0, 0, 0, 0, 0, 57, 0}},
                                         LtcCase{44100, 24, 615, {"+0000", 0, 0, 0, 23, 59, 55, 3}}));
