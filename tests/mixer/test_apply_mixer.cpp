// The mix as engine calls: order, levels, mutes, MIDI factors, neutral effects, routing.
#include "mixer/ApplyMixer.h"
#include "support/ui/RecordingEngine.h"
#include "tests/mixer/MixerCallNames.h"

#include <gtest/gtest.h>

using namespace vl;

namespace {

struct MixerFixture : ::testing::Test {
    test::RecordingEngine recorder;
    EngineFunctions engine = recorder.functions();
    SongProgram program;
    std::array<int, 17> faders{};
    float masterFactor = 1.0f;
    MixerInputs inputs;

    MixerFixture() {
        faders.fill(127);
        inputs.channelFaders = &faders;
        inputs.masterFactor = &masterFactor;
        program.masterVolume = 0.8f;
        for (int i = 0; i < kTrackRecords; ++i) {
            TrackSettings& t = program.tracks[i];
            t.volume = 1.0f;
            t.pan = i * 10 - 40;
            t.outputPair = i % 4;
            t.reverbSend = 10 + i;
            t.delaySend = 20 + i;
            t.eqActive = 1;
            t.bass = -i;
            t.mid = i;
            t.treble = 2 * i;
            t.compressorActive = 1;
            t.ratio = 4.4f;
            t.threshold = -20.6f;
            t.release = 250.5f;
        }
        program.effectBuses = {60, 7, 45, 330, 3};
    }

    std::vector<test::EngineCall> apply() {
        recorder.clear();
        applyMixerToEngine(engine, program, inputs);
        return recorder.calls;
    }
};

} // namespace

TEST_F(MixerFixture, ThirtySixCallsInTheFixedOrder) {
    const auto calls = apply();
    ASSERT_EQ(calls.size(), 36u);
    EXPECT_EQ(recorder.names(), test::mixerCallNames());

    for (int t = 1; t <= 8; ++t) {
        const auto& file = calls[t - 1];
        EXPECT_EQ(file.n[0], t);
        EXPECT_EQ(file.n[3], (t - 1) * 10 - 40);
        EXPECT_EQ(file.text, "") << "the engine keeps the track's file";
        EXPECT_EQ(calls[8 + t].n, (std::vector<double>{double(t), 10.0 + t - 1, 20.0 + t - 1}));
        EXPECT_EQ(calls[19 + t].n, (std::vector<double>{double(t), -(t - 1.0), t - 1.0, 2 * (t - 1.0)}));
        EXPECT_EQ(calls[27 + t].n, (std::vector<double>{double(t), 4, -21, 251, 0}));
    }
    EXPECT_EQ(calls[8].n, (std::vector<double>{60, 45}));
    EXPECT_FLOAT_EQ(calls[17].n[0], 0.8f);
    EXPECT_EQ(calls[18].n, (std::vector<double>{0, 7}));
    EXPECT_EQ(calls[19].n, (std::vector<double>{0, 330, 3}));
}

TEST_F(MixerFixture, LevelsFollowMuteFadersAndGlobalMute) {
    program.tracks[1].mute = 1;
    program.tracks[5].mute = -5;
    program.tracks[6].mute = 2;
    program.tracks[2].volume = 0.5f;
    faders[3] = 64;
    inputs.globalMute[4] = true;
    faders[16] = 0; // entries past the eight tracks are never used
    const auto calls = apply();
    // A fader at 127 is 0.99949, not 1.
    EXPECT_EQ(calls[0].n[2], static_cast<float>(127 * static_cast<double>(0.00787f)));
    EXPECT_NEAR(calls[0].n[2], 0.99949, 1e-6);
    EXPECT_EQ(calls[1].n[2], 0.0);
    EXPECT_NEAR(calls[2].n[2], 0.5 * 0.99949, 1e-6);
    EXPECT_NEAR(calls[3].n[2], 64 * 0.00787, 1e-6);
    EXPECT_EQ(calls[4].n[2], 0.0);
    EXPECT_EQ(calls[5].n[2], 0.0) << "a damaged mute value still only mutes";
    EXPECT_EQ(calls[6].n[2], 0.0);
    // A muted track keeps its output, pan, sends and effects.
    EXPECT_EQ(calls[1].n[1], 1);
    EXPECT_EQ(calls[1].n[3], -30);
    EXPECT_EQ(calls[10].n, (std::vector<double>{2, 11, 21}));
    EXPECT_EQ(calls[29].n, (std::vector<double>{2, 4, -21, 251, 0}));
}

TEST_F(MixerFixture, MasterFactorOnlyWhileMidiMasterIsOn) {
    masterFactor = 0.5f;
    inputs.midiMasterVolumeEnabled = true;
    EXPECT_FLOAT_EQ(apply()[17].n[0], 0.4f);
    inputs.midiMasterVolumeEnabled = false;
    EXPECT_FLOAT_EQ(apply()[17].n[0], 0.8f);
    EXPECT_EQ(masterFactor, 1.0f);
    // Without live values every fader counts as 127 and the factor as 1.
    inputs.channelFaders = nullptr;
    inputs.masterFactor = nullptr;
    const auto calls = apply();
    EXPECT_NEAR(calls[0].n[2], 0.99949, 1e-6);
    EXPECT_FLOAT_EQ(calls[17].n[0], 0.8f);
}

TEST_F(MixerFixture, InactiveEffectsAreNeutral) {
    program.tracks[0].eqActive = 0;
    program.tracks[1].bass = program.tracks[1].mid = program.tracks[1].treble = 0;
    program.tracks[2].compressorActive = 0;
    program.tracks[3].eqActive = 2; // only 1 means on
    const auto calls = apply();
    EXPECT_EQ(calls[20].n, (std::vector<double>{1, 0, 0, 0}));
    EXPECT_EQ(calls[21].n, (std::vector<double>{2, 0, 0, 0}));
    EXPECT_EQ(calls[23].n, (std::vector<double>{4, 0, 0, 0}));
    EXPECT_EQ(calls[30].n, (std::vector<double>{3, 1, 0, 400, 0}));
}

TEST_F(MixerFixture, SubgroupsRouteToTheChosenSoundCardPair) {
    inputs.subgroupOutput = {0, 1, 3, 2}; // "SUB 5/6 to:" outputs 7/8
    program.tracks[5].outputPair = 2;
    program.tracks[6].outputPair = 7; // outside 0-3: passed on unchanged
    const auto calls = apply();
    EXPECT_EQ(calls[5].n[1], 3);
    EXPECT_EQ(calls[6].n[1], 7);
    EXPECT_EQ(outputPairForSubgroup(3, inputs.subgroupOutput), 2);
    EXPECT_EQ(outputPairForSubgroup(-1, inputs.subgroupOutput), -1);
}

TEST_F(MixerFixture, OutOfRangeStoredValuesAreClampedForTheEngine) {
    program.tracks[0].pan = 100000;
    program.tracks[0].reverbSend = -70000;
    program.tracks[0].ratio = 1e30f;
    const auto calls = apply();
    EXPECT_EQ(calls[0].n[3], 32767);
    EXPECT_EQ(calls[9].n[1], -32768);
    EXPECT_EQ(calls[28].n[1], 2147483647);
}

TEST_F(MixerFixture, HandingTracksOverHonoursGlobalMutesForPlayback) {
    program.tracks[0].fileName = "Müller.wav";
    program.tracks[1].fileName = "sub\\click.wav";
    program.tracks[2].volume = 0.25f;
    program.tracks[5].fileName = "no"; // the program editor's emptied track
    inputs.globalMute[3] = true;
    inputs.subgroupOutput = {2, 3, 0, 1};
    recorder.clear();
    handTracksToEngine(engine, program, inputs, "/songs\\", "Song", GlobalMutes::Honour);
    ASSERT_EQ(recorder.calls.size(), 8u);
    const auto& calls = recorder.calls;
    EXPECT_EQ(calls[0].text, "/songs/Song/Müller.wav");
    EXPECT_EQ(calls[1].text, kNoTrackFile) << "a track is a file directly in its song folder, or an empty slot";
    EXPECT_EQ(calls[0].n, (std::vector<double>{1, 2, 1.0, -40}));
    EXPECT_EQ(calls[2].n[2], 0.25) << "handed over unscaled";
    EXPECT_EQ(calls[3].n, (std::vector<double>{4, 0, 0.0, 0}));
    EXPECT_EQ(calls[3].text, "nö");
    EXPECT_EQ(calls[5].text, kNoTrackFile);

    recorder.clear();
    handTracksToEngine(engine, program, inputs, "/songs/", "Song", GlobalMutes::Ignore);
    EXPECT_EQ(recorder.calls[3].text, kNoTrackFile) << "no file name, no file: never the slot's last one";
    EXPECT_EQ(recorder.calls[3].n[1], 1);
}

TEST_F(MixerFixture, NamesThatLeadOutOfTheSongFolderAreSilentSlots) {
    program.tracks[0].fileName = "../../outside/secret.txt";
    program.tracks[1].fileName = "/etc/passwd";
    program.tracks[2].fileName = "..";
    program.tracks[3].fileName = "ok.wav";
    recorder.clear();
    handTracksToEngine(engine, program, inputs, "/songs/", "Song", GlobalMutes::Ignore);
    const auto& calls = recorder.calls;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(calls[i].text, kNoTrackFile) << i;
    EXPECT_EQ(calls[3].text, "/songs/Song/ok.wav");
    // A setlist row that names a place outside the songs root opens nothing either.
    for (const char* row : {"../outside", "..", "a/b", "a\\b"}) {
        recorder.clear();
        handTracksToEngine(engine, program, inputs, "/songs/", row, GlobalMutes::Ignore);
        for (const auto& call : recorder.calls) EXPECT_EQ(call.text, kNoTrackFile) << row;
    }
}
