// Contracts of the engine's state that hold without any device.
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <string>

using vl::engine::Engine;

TEST(EngineSlots, EmptyPathKeepsNameButTakesLevels) {
    Engine e;
    e.setTrackFile(3, 2, 0.5f, -40, "/songs/a/drums.wav");
    e.setTrackFile(3, 1, 0.25f, 60, "");
    const auto* slot = e.slot(3);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->name(), "/songs/a/drums.wav");
    EXPECT_FLOAT_EQ(slot->gain.load(), 0.25f);
    EXPECT_FLOAT_EQ(slot->pan.load(), 60.0f);
    EXPECT_EQ(slot->outputPair.load(), 1);
    e.setTrackFile(3, 1, 0.25f, 60, nullptr);
    EXPECT_EQ(slot->name(), "/songs/a/drums.wav");
}

TEST(EngineSlots, SlotNumbersOutsideOneToEightAreIgnored) {
    Engine e;
    for (int bad : {-1, 0, 9, 1000}) e.setTrackFile(bad, 3, 0.1f, 10, "x.wav");
    for (int i = 1; i <= 8; ++i) {
        EXPECT_EQ(e.slot(i)->name(), "");
        EXPECT_FLOAT_EQ(e.slot(i)->gain.load(), 1.0f);
    }
    EXPECT_EQ(e.slot(0), nullptr);
    EXPECT_EQ(e.slot(9), nullptr);
    e.sendEffects(0, 5, 5);
    e.sendEffects(9, 5, 5);
    e.setEq(9, 1, 1, 1);
    e.setCompressor(-3, 2, -10, 100, 0);
    EXPECT_EQ(e.sends(9).reverbSend, 0);
}

TEST(EngineSlots, LongNamesAreCutTo254Characters) {
    Engine e;
    const std::string longName(400, 'n');
    e.setTrackFile(1, 0, 1.0f, 0, longName.c_str());
    EXPECT_EQ(e.slot(1)->name().size(), 254u);
    e.setTrackFile(1, 0, 1.0f, 0, "short.wav");
    EXPECT_EQ(e.slot(1)->name(), "short.wav"); // no tail of the longer name survives
}

TEST(EngineClosed, PlayNeedsADeviceAndStopAlwaysAnswersOne) {
    Engine e;
    e.setTrackFile(1, 0, 1.0f, 0, "/nonexistent.wav");
    EXPECT_EQ(e.play(false, true, nullptr), 0);
    EXPECT_EQ(e.playing(), 0);
    EXPECT_EQ(e.stop(), 1);
    EXPECT_EQ(e.stop(), 1);
}

TEST(EngineClosed, DriverNameBeyondTheListIsNo) {
    Engine e;
    for (int i : {-1, 16, 17, 100}) EXPECT_STREQ(e.driverName(i), "no");
    EXPECT_EQ(e.initAudioDriver(-1, nullptr), 0);
}

TEST(EngineTexts, SelectorsAndUpdateFlag) {
    Engine e;
    EXPECT_STREQ(e.midiText(0), "");
    EXPECT_STREQ(e.midiText(4), "");
    EXPECT_STREQ(e.midiText(2), "");
    EXPECT_EQ(e.midiTextUpdated(false), 0);
    EXPECT_EQ(e.midiTextUpdated(true), 1);
    EXPECT_EQ(e.midiTextUpdated(false), 1);
    EXPECT_EQ(e.midiTextUpdated(false), 0);
    EXPECT_EQ(e.midiPlayNow(), 0);
}

TEST(EngineState, SoundFontPathIsCutAndMasterVolumeKept) {
    Engine e;
    const std::string longPath(300, 'p');
    e.setSoundFontPath(longPath.c_str());
    EXPECT_EQ(std::string(e.soundFontPath()).size(), 259u);
    e.setMasterVolume(0.8f);
    EXPECT_FLOAT_EQ(e.masterVolume(), 0.8f);
    e.initAudioDriver(-1, nullptr); // every reset restores unity
    EXPECT_FLOAT_EQ(e.masterVolume(), 1.0f);
}

TEST(EngineState, ClickVarsKeepLevelOnlyWhenEnabled) {
    Engine e;
    e.setClickVars(true, "click.wav", 1.5f, 1, 2, 3, 0.7f);
    EXPECT_FLOAT_EQ(e.clickVars().level, 0.7f);
    e.setClickVars(false, "click.wav", 1.5f, 1, 2, 3, 0.7f);
    EXPECT_FLOAT_EQ(e.clickVars().level, 0.0f);
    EXPECT_EQ(e.clickVars().text, "click.wav");
}
