// The video track on the manual device: the picture handed to the window is the one due at
// the song position, from the start and from the middle, while the audio plays as before.
#include "EngineTestSupport.h"
#include "VideoTestSink.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"
#include "engine/devices/ManualDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

using namespace vl::engine;
using vl::test::Outputs;
using vl::test::VideoTestSink;

namespace {

constexpr int kFps = 25;
constexpr uint32_t kSongBytesPerPicture = 176400 / kFps;

class Video : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Key pictures every 40 frames, so that a start in the middle decodes up to its picture.
        ASSERT_TRUE(vl::test::counterVideo(shared() / "counter.avi", 10.0, kFps, "160x96",
                                           "-c:v mpeg4 -q:v 2 -g 40 -sc_threshold 1000000000 -c:a pcm_s16le"));
    }
    static std::filesystem::path shared() {
        static vl::test::TempFolder folder;
        return folder.path();
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
    void clearSlots() {
        for (int i = 1; i <= 8; ++i)
            engine.setTrackFile(i, 0, 1.0f, 0, path("none").c_str());
    }
    void playToneAndVideo(const std::string& video, VideoTestSink& sink) {
        clearSlots();
        vl::test::writeTone(dir.path() / "tone.wav", 44100, 2, 10.0, 440, 0.5f);
        engine.setTrackFile(1, 0, 1.0f, 0, path("tone.wav").c_str());
        engine.setTrackFile(3, 1, 1.0f, 0, video.c_str());
        ASSERT_EQ(engine.play(false, true, sink.sink()), 1);
        EXPECT_EQ(sink.shows(), 1);
        ASSERT_NE(engine.videoPlayer(), nullptr);
    }
    Outputs renderTo(double seconds) {
        const auto target = static_cast<uint32_t>(seconds * 176400);
        const uint32_t now = engine.songPosition();
        return vl::test::renderFrames(engine, device, static_cast<int>((target - now) / 4), 512);
    }
    // Plays on to each of `seconds` and checks the pictures shown on the way: never one due
    // after the position, never one from before the previous stop, and at each stop the one
    // for that position.
    void followTo(VideoTestSink& sink, int firstFrame, std::initializer_list<double> seconds) {
        int previous = firstFrame;
        std::size_t seen = 0;
        for (double s : seconds) {
            if (s > 0) renderTo(s);
            const int due = static_cast<int>(engine.songPosition() / kSongBytesPerPicture);
            EXPECT_TRUE(sink.waitForFrame(due)) << "at " << s << " s";
            const auto shown = sink.shown();
            for (std::size_t i = seen; i < shown.size(); ++i) {
                EXPECT_GE(shown[i].frame, previous) << "at " << s << " s";
                EXPECT_LE(shown[i].frame, due) << "at " << s << " s";
                EXPECT_EQ(shown[i].songBytes, static_cast<uint32_t>(shown[i].frame) * kSongBytesPerPicture);
            }
            seen = shown.size();
            previous = due;
        }
    }

    vl::test::TempFolder dir;
    Engine engine{{.decodingThread = false}};
    ManualDevice& device = engine.openManualDevice();
};

} // namespace

TEST_F(Video, PictureFollowsTheSongPositionFromTheStartAndFromTheMiddle) {
    VideoTestSink fromStart;
    playToneAndVideo((shared() / "counter.avi").string(), fromStart);
    followTo(fromStart, 0, {0.0, 0.3, 1.01, 2.5, 4.73});
    const auto first = fromStart.shown().front();
    EXPECT_EQ(first.frame, 0);
    EXPECT_EQ(first.width, 160); // the video's own size when the window names none
    EXPECT_EQ(first.height, 96);
    // The video's own tone (on the video's output pair 3/4) is not mixed; the audio track is.
    const Outputs out = renderTo(5.5);
    EXPECT_NEAR(vl::test::rms(out[0]), vl::test::toneRms(0.5), 0.01);
    EXPECT_EQ(vl::test::peak(out[2]), 0.0);
    EXPECT_EQ(vl::test::peak(out[3]), 0.0);
    engine.stop();
    EXPECT_EQ(engine.videoPlayer(), nullptr);

    // 537 per mille of the 10 s tone is 5.37 s: picture 134, five past a key picture.
    VideoTestSink fromMiddle;
    fromMiddle.fitWidth = 400;
    fromMiddle.fitHeight = 400;
    engine.setStartPerMille(537);
    playToneAndVideo((shared() / "counter.avi").string(), fromMiddle);
    followTo(fromMiddle, 134, {0.0, 6.3, 8.01});
    EXPECT_EQ(fromMiddle.shown().front().frame, 134);
    EXPECT_EQ(fromMiddle.shown().front().width, 400); // fitted into the window with its aspect
    EXPECT_EQ(fromMiddle.shown().front().height, 240);
}

TEST_F(Video, VideoWithoutAudioRunsByTheDevicesClockToItsLastPicture) {
    clearSlots();
    VideoTestSink sink;
    engine.setTrackFile(2, 0, 1.0f, 0, (shared() / "counter.avi").c_str());
    ASSERT_EQ(engine.play(false, true, sink.sink()), 1);
    vl::test::renderFrames(engine, device, 44100 * 2 + 441 * 3);
    EXPECT_TRUE(sink.waitForFrame(50));
    vl::test::renderFrames(engine, device, 44100 * 9);
    EXPECT_TRUE(sink.waitForFrame(249));
}

TEST_F(Video, AVideoThatCannotBeOpenedLeavesTheWindowBlackAndTheAudioPlaying) {
    std::mt19937 random(21);
    {
        std::ofstream broken(path("broken.mp4"), std::ios::binary);
        for (int i = 0; i < 100000; ++i)
            broken.put(static_cast<char>(random()));
    }
    for (const char* name : {"broken.mp4", "missing.avi"}) {
        SCOPED_TRACE(name);
        VideoTestSink sink;
        playToneAndVideo(path(name), sink);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (engine.videoPlayer()->state() != VideoPlayer::State::Failed && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(engine.videoPlayer()->state(), VideoPlayer::State::Failed);
        const Outputs out = renderTo(1.0);
        EXPECT_NEAR(vl::test::rms(out[0]), vl::test::toneRms(0.5), 0.01);
        EXPECT_EQ(engine.playing(), 1);
        EXPECT_TRUE(sink.shown().empty());
        engine.stop();
    }
}

TEST_F(Video, VideoSlotIsTheFirstNameWithAVideoExtensionInAnyCase) {
    clearSlots();
    // Music in an MP4 is a sound track, not the video.
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=1 -c:a aac '" + path("a.mp4") +
                           "'").c_str()),
              0);
    ASSERT_TRUE(vl::test::counterVideo(dir.path() / "b.Mp4", 1.0, kFps, "64x48", "-c:v mpeg4 -an"));
    // WAV content under a second video name: a slot taken as the video would be silent.
    vl::test::writeTone(dir.path() / "c.webm", 44100, 2, 1.0, 440, 0.5f);
    engine.setTrackFile(1, 0, 1.0f, 0, path("a.mp4").c_str());
    engine.setTrackFile(2, 1, 1.0f, 0, path("b.Mp4").c_str()); // the video slot
    engine.setTrackFile(3, 2, 1.0f, 0, path("c.webm").c_str()); // a second video name: audio
    ASSERT_EQ(engine.play(false, true, nullptr), 1);
    const Outputs out = vl::test::renderFrames(engine, device, 4410);
    EXPECT_GT(vl::test::peak(out[0]), 0.1); // FFmpeg's sine is at an eighth of full scale
    EXPECT_EQ(vl::test::peak(out[2]), 0.0);
    EXPECT_GT(vl::test::peak(out[4]), 0.3);
}

TEST_F(Video, APreparedSongsVideoIsOpenAtItsStartPointWithItsPictureBeforeAnyBlockPlays) {
    clearSlots();
    std::filesystem::copy_file(shared() / "counter.avi", dir.path() / "clip.avi");
    vl::test::writeTone(dir.path() / "tone.wav", 44100, 2, 10.0, 440, 0.5f);
    engine.setTrackFile(1, 0, 1.0f, 0, path("tone.wav").c_str());
    engine.setTrackFile(3, 1, 1.0f, 0, path("clip.avi").c_str());
    engine.setStartPerMille(500);
    ASSERT_EQ(engine.prepare(true), 1);
    ASSERT_TRUE(engine.hasPrepared());
    // Opened ahead: the file may go (a stick pulled out), the prepared song has it.
    std::filesystem::remove(dir.path() / "clip.avi");
    VideoTestSink sink;
    ASSERT_EQ(engine.play(false, true, sink.sink()), 1);
    EXPECT_TRUE(sink.waitForFrame(125)) << "the picture of the start point, 5 s in";
    EXPECT_EQ(engine.videoPlayer()->state(), VideoPlayer::State::Playing);
}
