#include "common/BackgroundWork.h"
#include "common/Progress.h"
#include "common/TerminalProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using common::Cancelled;
using common::Fed;
using common::Handoff;
using common::Progress;
using common::ThreadRunner;

namespace {

// The bytes written to a file so far.
std::string contentsOf(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    return text;
}

} // namespace

TEST(Progress, PercentFollowsTheStageAndOnlyFinishGivesAHundred) {
    Progress p;
    EXPECT_EQ(p.percent(), -1) << "nothing announced";
    p.stage(QStringLiteral("Writing the rows"), 200);
    EXPECT_EQ(p.what(), QStringLiteral("Writing the rows"));
    const struct {
        qint64 done;
        int percent;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}, {100, 50}, {199, 99}, {200, 99}, {450, 99}, {-5, 0}};
    for (const auto& c : cases) {
        p.report(c.done);
        EXPECT_EQ(p.percent(), c.percent) << c.done;
    }
    p.finish();
    EXPECT_EQ(p.percent(), 100);

    // A new stage starts again at 0; a total learnt on the way counts too.
    p.stage(QStringLiteral("Copying"));
    EXPECT_EQ(p.done(), 0);
    EXPECT_EQ(p.percent(), -1);
    p.report(30, 120);
    EXPECT_EQ(p.percent(), 25);
    p.finish();
    EXPECT_EQ(p.percent(), 100);
}

TEST(Progress, ACancelledProgressStopsTheWorkAtItsNextReport) {
    Progress p;
    p.stage(QStringLiteral("Copying"), 10);
    p.report(3);
    p.cancel();
    EXPECT_TRUE(p.cancelled());
    EXPECT_THROW(p.report(4), Cancelled);
    EXPECT_THROW(p.report(4, 10), Cancelled);
    EXPECT_THROW(p.check(), Cancelled);
    EXPECT_THROW(p.stage(QStringLiteral("Next")), Cancelled);
    EXPECT_EQ(p.done(), 3) << "a refused report changes nothing";
}

TEST(ThreadRunner, TheWorkRunsOnAThreadOfItsOwnAndTheFeederOnTheCaller) {
    ThreadRunner runner;
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id worker;
    std::vector<std::thread::id> feeders;
    Handoff<int> handoff(2);
    std::vector<int> taken;
    int next = 0;
    runner.run(
        QStringLiteral("Counting"),
        [&](Progress& progress) {
            worker = std::this_thread::get_id();
            progress.stage(QStringLiteral("Taking"), 100);
            while (const std::optional<int> slice = handoff.take(progress)) {
                taken.push_back(*slice);
                progress.report(static_cast<qint64>(taken.size()));
            }
            progress.finish();
        },
        [&](Progress&) {
            feeders.push_back(std::this_thread::get_id());
            if (!handoff.wantsMore())
                return Fed::Wait;
            handoff.put(next++);
            if (next < 100)
                return Fed::More;
            handoff.close();
            return Fed::Done;
        });
    EXPECT_NE(worker, caller);
    ASSERT_FALSE(feeders.empty());
    for (const std::thread::id& id : feeders)
        EXPECT_EQ(id, caller);
    ASSERT_EQ(taken.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(taken[static_cast<size_t>(i)], i) << "slices keep their order";
}

TEST(ThreadRunner, ErrorsOfEitherPartComeBackToTheCaller) {
    ThreadRunner runner;
    // The work's own error.
    EXPECT_THROW(runner.run(QString(), [](Progress&) { throw std::runtime_error("disk full"); }),
                 std::runtime_error);

    // The feeder's error stops the work waiting for its slices, and is the
    // one the caller gets.
    Handoff<int> handoff(4);
    bool workStopped = false;
    try {
        runner.run(
            QString(),
            [&](Progress& progress) {
                try {
                    while (handoff.take(progress)) {
                    }
                } catch (const Cancelled&) {
                    workStopped = true;
                    throw;
                }
            },
            [&](Progress&) -> Fed {
                handoff.put(1);
                throw std::logic_error("the query failed");
            });
        ADD_FAILURE() << "no error came back";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "the query failed");
    }
    EXPECT_TRUE(workStopped);

    // A cancel from the user: Cancelled.
    EXPECT_THROW(runner.run(QString(),
                            [](Progress& progress) {
                                progress.stage(QStringLiteral("Copying"), 10);
                                progress.cancel();
                                progress.report(1);
                            }),
                 Cancelled);
}

TEST(TerminalProgress, TheLineNamesTheWorkItsStageAndHowFar) {
    common::TerminalProgress p(QStringLiteral("Exporting"), nullptr);
    EXPECT_FALSE(p.shown());
    EXPECT_EQ(p.line(), QStringLiteral("Exporting"));
    p.stage(QStringLiteral("Writing the rows"));
    p.report(12345);
    EXPECT_EQ(p.line(), QStringLiteral("Exporting: Writing the rows 12,345"));
    p.stage(QStringLiteral("Copying"), 200);
    p.report(90);
    EXPECT_EQ(p.line(), QStringLiteral("Exporting: Copying 45 %"));
    p.finish();
    EXPECT_EQ(p.line(), QStringLiteral("Exporting: Copying 100 %"));
}

TEST(TerminalProgress, AFileGetsNoProgressATerminalGetsALineTakenAwayAtTheEnd) {
    // Standard error sent to a file (a scheduled job): nothing at all.
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        common::TerminalRunner runner(file);
        runner.run(QStringLiteral("Backing up"), [](Progress& progress) {
            progress.stage(QStringLiteral("Copying"), 4);
            for (int i = 1; i <= 4; ++i)
                progress.report(i);
            progress.finish();
        });
    }
    EXPECT_EQ(contentsOf(file), std::string());
    std::fclose(file);

    // A terminal: the line, written over in place, then blanked.
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* terminal = ::fdopen(slave, "w");
    ASSERT_NE(terminal, nullptr);
    {
        common::TerminalRunner runner(terminal);
        runner.run(QStringLiteral("Backing up"), [](Progress& progress) {
            progress.stage(QStringLiteral("Copying"), 4);
            progress.report(1);
            progress.finish();
        });
    }
    std::fflush(terminal);
    // Everything has been written: read what is there without waiting.
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    std::string written;
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(master, buffer, sizeof buffer)) > 0)
        written.append(buffer, static_cast<size_t>(n));
    std::fclose(terminal);
    ::close(master);
    EXPECT_NE(written.find("\rBacking up: Copying 0 %"), std::string::npos) << written;
    EXPECT_NE(written.find("\rBacking up: Copying 100 %"), std::string::npos) << written;
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '\r') << "the line is blanked and the cursor back at its start";
}
