// Show commands posted from another thread, as the network's threads post them, run in the
// whole program; the snapshot the network reads follows.
#include "AppHarness.h"

#include "app/ShowCommandRunner.h"
#include "app/ShowSnapshotPublisher.h"
#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"
#include "setlists/SetlistFile.h"

#include <gtest/gtest.h>

#include <thread>

using namespace vl;
using vl::test::AppHarness;
using vl::test::waitUntil;
using K = ShowCommand::Kind;

namespace {

void postFromAnotherThread(ShowCommandInbox& inbox, std::vector<ShowCommand> commands) {
    std::thread([&inbox, commands = std::move(commands)] {
        for (const ShowCommand& c : commands) inbox.post(c);
    }).join();
}

} // namespace

TEST(ShowCommands, PostedCommandsRunAsTheKeysDoAndTheSnapshotFollows) {
    AppHarness h;
    h.setRows({"Opener", "Ballad", "-- break --", "Closer"}, {"03:00", "04:00", "", "02:00"});
    ShowCommandInbox& inbox = h.app->showCommands();
    h.app->showPublisher().addReader([] { return true; });
    ShowSnapshotBoard& board = h.app->showBoard();

    postFromAnotherThread(inbox, {{K::SelectTitle, 0, 0, QStringLiteral("  ballad ")}, {K::Play}});
    ASSERT_TRUE(waitUntil([&] { return h.recorder.playing != 0; }, 2000));
    EXPECT_EQ(h.app->songs().playingRow(), 1);
    ASSERT_TRUE(waitUntil([&] { return board.latest()->playingRow == 2; }, 2000));
    const auto shown = board.latest();
    EXPECT_EQ(shown->titles.size(), 4);
    EXPECT_EQ(shown->lengthsSeconds, (std::vector<int>{180, 240, 0, 120}));
    EXPECT_TRUE(shown->songFolder.endsWith(QStringLiteral("Ballad/")));

    // Play while playing is no stop; PlayPause is SPACE; a row the list does not have is refused.
    ShowCommandRunner& runner = h.app->showCommandRunner();
    EXPECT_TRUE(runner.run({K::Play}));
    EXPECT_NE(h.recorder.playing, 0);
    EXPECT_FALSE(runner.run({K::SelectRow, 9}));
    EXPECT_FALSE(runner.run({K::SelectTitle, 0, 0, QStringLiteral("Encore")}));
    EXPECT_TRUE(runner.run({K::PlayPause}));
    EXPECT_EQ(h.recorder.playing, 0);
    ASSERT_TRUE(waitUntil([&] { return board.latest()->playingRow == 0 && !board.latest()->playing; }, 2000));

    EXPECT_TRUE(runner.run({K::SelectRow, 4}));
    EXPECT_EQ(h.app->songs().selectedRow(), 3);
    EXPECT_TRUE(runner.run({K::Master, 0, 7.0}));
    EXPECT_FLOAT_EQ(h.state().masterFactor, 1.0f);

    // A setlist is named, never reached by a path.
    ASSERT_TRUE(writeSetlist(h.state().songsRoot + "Late.txt", {"Closer", "Opener"}));
    EXPECT_FALSE(runner.run({K::LoadSetlist, 0, 0, QStringLiteral("../Late")}));
    EXPECT_FALSE(runner.run({K::LoadSetlist, 0, 0, QStringLiteral("Nothing")}));
    EXPECT_TRUE(runner.run({K::LoadSetlist, 0, 0, QStringLiteral("Late")}));
    EXPECT_EQ(h.titles(), (QStringList{"Closer", "Opener"}));
}
