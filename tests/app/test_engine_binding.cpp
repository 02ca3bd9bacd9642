// The built engine module, loaded and bound by name exactly as the program does.
#include "core/EngineFunctions.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace {

const QString kModule = QStringLiteral(VL_BIN_DIR "/") + vl::kEngineModuleName;

const vl::EngineFunctions& bound() {
    static const vl::EngineFunctions functions = [] {
        QString error;
        auto binding = vl::bindEngineModule(kModule, &error);
        if (!binding) throw std::runtime_error(error.toStdString());
        return binding->functions;
    }();
    return functions;
}

} // namespace

TEST(EngineBinding, ResolvesAll28NamesInTableOrder) {
    void* module = dlopen(kModule.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    for (const char* name : vl::kEngineFunctionNames) EXPECT_NE(dlsym(module, name), nullptr) << name;
    EXPECT_EQ(dlsym(module, "InitBassWinamp"), nullptr);
    dlclose(module);

    const vl::EngineFunctions& f = bound();
    const auto* table = reinterpret_cast<void* const*>(&f);
    for (int i = 0; i < vl::kEngineFunctionCount; ++i) EXPECT_NE(table[i], nullptr) << vl::kEngineFunctionNames[i];
}

TEST(EngineBinding, MissingModuleOrNameIsNamedInTheError) {
    QString error;
    EXPECT_FALSE(vl::bindEngineModule(QStringLiteral("/nonexistent/libvellamorinth-engine.so"), &error));
    EXPECT_TRUE(error.contains("libvellamorinth-engine.so")) << error.toStdString();

    // A real library that lacks the engine's names: the first missing one is named.
    EXPECT_FALSE(vl::bindEngineModule(QStringLiteral("libm.so.6"), &error));
    EXPECT_TRUE(error.contains("VL_WndMainProc")) << error.toStdString();
}

TEST(EngineModuleContract, StateFunctionsThroughTheModule) {
    const vl::EngineFunctions& f = bound();
    EXPECT_STREQ(f.GetDriverName(16), "no");
    EXPECT_STREQ(f.GetDriverName(17), "no");
    EXPECT_STREQ(f.GetMidiText(0), "");
    EXPECT_STREQ(f.GetMidiText(4), "");
    EXPECT_EQ(f.GetMidiTextUpdated(1), 1);
    EXPECT_EQ(f.GetMidiTextUpdated(0), 1);
    EXPECT_EQ(f.GetMidiTextUpdated(0), 0);
    EXPECT_EQ(f.Stop(), 1);
    EXPECT_EQ(f.GetPlaying(), 0);
    EXPECT_EQ(f.StreamMidiFile("x.mid"), 1);
    EXPECT_EQ(f.CheckAudioFile("x.wav"), 1);
    EXPECT_EQ(f.InitAudioDriver(-1, nullptr), 0);
    EXPECT_EQ(f.GetPlaying(), 0);
    // Out-of-range slots are ignored, never written out of bounds.
    f.SetAFileName(0, 0, 1.0f, 0, "a.wav");
    f.SetAFileName(9, 0, 1.0f, 0, "a.wav");
    f.SetAFileName(-5, 0, 1.0f, 0, "a.wav");
    f.SetEq(12, 1, 2, 3);
    f.SendEff(0, 1, 1);
    f.SetCompr(9, 1, 0, 400, 0);
    f.SetSongPos(500);
    f.SetMasterVol(0.5f);
    f.SetSoundFontPath("/usr/share/sounds/sf2/FluidR3_GM.sf2");
    f.Tanglewheel(3);
    f.WndMainProc(nullptr, 0x0113, 0, 0);
    EXPECT_EQ(f.GetMidiPlayNow(), 0);
}
