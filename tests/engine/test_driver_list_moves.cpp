// The driver list while sound servers come and go: an entry chosen from the list read before
// opens that card even when another moved in ahead of it, and reading the list again leaves
// the open card alone.
#include "support/SoundServers.h"
#include "support/TempFolder.h"

#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

using namespace vl::engine;
using vl::test::ScopedEnv;

namespace {

int entryNamed(const Engine& e, const std::string& name) {
    for (int i = 0; i < e.deviceCount(); ++i)
        if (name == e.driverName(i)) return i;
    return -1;
}

} // namespace

TEST(DriverListMoves, TheChosenCardOpensAfterAServerAppearedAheadOfItAndStaysListed) {
    vl::test::TempFolder dir;
    vl::test::PrivateJackServer jack("vltest-moves-" + std::to_string(getpid()));
    ASSERT_TRUE(jack.start());
    ScopedEnv jackEnv("JACK_DEFAULT_SERVER", jack.name());
    vl::test::PrivatePulseServer pulse(dir.path() / "pulse");
    ScopedEnv pulseEnv("PULSE_SERVER", pulse.address()); // not running yet
    Engine e;
    e.initAudioDriver(-1, nullptr);
    const int chosen = entryNamed(e, "JACK");
    ASSERT_GE(chosen, 1);

    ASSERT_TRUE(pulse.start()); // its sink is listed ahead of JACK from now on
    e.initAudioDriver(chosen, nullptr);
    ASSERT_NE(e.device(), nullptr);
    EXPECT_EQ(e.device()->kind(), DeviceKind::Jack);
    EXPECT_GT(entryNamed(e, "JACK"), chosen);

    // Read again while it plays: the open card is still listed where the program finds it.
    e.refreshDriverList();
    EXPECT_GT(entryNamed(e, "JACK"), chosen);
    EXPECT_GE(entryNamed(e, vl::test::kNullSinkListed), 1);
    EXPECT_EQ(e.device()->kind(), DeviceKind::Jack);
    e.quit();
}
