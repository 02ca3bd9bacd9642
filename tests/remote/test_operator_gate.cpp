// The operator gate over time, with the clock handed in: the shut-out after nine wrong PINs
// lapses and doubles, other addresses are not shut out, and a session token lapses.
#include "remote/OperatorGate.h"

#include <gtest/gtest.h>

using namespace vl;
using Gate = OperatorGate;
using namespace std::chrono_literals;

TEST(OperatorGate, WrongPinsShutOutOneAddressForAWhileAndSessionsLapse) {
    Gate gate(QStringLiteral("4711"));
    const auto t0 = Gate::Clock::now();
    for (int i = 0; i < Gate::kWrongPinsBeforeLock; ++i)
        EXPECT_EQ(gate.tryPin("10.0.0.5", "1234", t0).result, Gate::PinResult::Wrong);
    const Gate::Answer locked = gate.tryPin("10.0.0.5", "4711", t0 + 1s);
    EXPECT_EQ(locked.result, Gate::PinResult::Locked) << "even the right PIN waits";
    EXPECT_EQ(locked.waitSeconds, 59);
    EXPECT_EQ(gate.tryPin("10.0.0.6", "4711", t0 + 1s).result, Gate::PinResult::Accepted) << "another address";

    // After the minute one more wrong PIN shuts the address out twice as long.
    EXPECT_EQ(gate.tryPin("10.0.0.5", "1234", t0 + 61s).result, Gate::PinResult::Wrong);
    EXPECT_EQ(gate.tryPin("10.0.0.5", "4711", t0 + 62s).waitSeconds, 119);
    const Gate::Answer in = gate.tryPin("10.0.0.5", "4711", t0 + 182s);
    ASSERT_EQ(in.result, Gate::PinResult::Accepted);
    EXPECT_EQ(in.token.size(), 32);
    EXPECT_NE(in.token, gate.tryPin("10.0.0.5", "4711", t0 + 183s).token) << "every session its own token";

    EXPECT_TRUE(gate.admits(in.token, t0 + 182s + Gate::kTokenLife - 1s));
    EXPECT_FALSE(gate.admits(in.token, t0 + 182s + Gate::kTokenLife));
    EXPECT_FALSE(gate.admits(QByteArray(32, '0'), t0));
    EXPECT_FALSE(Gate(QString()).tryPin("10.0.0.7", QString(), t0).result == Gate::PinResult::Accepted);
}
