#include "common/Session.h"
#include "common/Clock.h"

#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

namespace {

// Logic classes of both shapes: with and without the clock.
struct Plain {
    Plain(store::Database& d, common::Messages& m) : db(&d), messages(&m) {}
    store::Database* db;
    common::Messages* messages;
    int calls = 0;
};

struct Dated {
    Dated(store::Database&, common::Messages&, common::Clock& c) : clock(&c) {}
    common::Clock* clock;
};

} // namespace

TEST(Session, HandsOutOneSharedInstanceOfEachLogicClassUntilReleased) {
    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session(t.db(), messages, hooks.clock, hooks.files);

    Plain& plain = session.logic<Plain>();
    EXPECT_EQ(plain.db, &t.db());
    EXPECT_EQ(plain.messages, &messages);
    plain.calls = 3;
    EXPECT_EQ(&session.logic<Plain>(), &plain);
    EXPECT_EQ(session.logic<Plain>().calls, 3);
    EXPECT_EQ(session.logic<Dated>().clock, &hooks.clock);

    session.release();
    EXPECT_EQ(session.logic<Plain>().calls, 0) << "a fresh instance after release";
}

TEST(Clock, AFixedClockStandsStillUntilMoved) {
    common::FixedClock clock(testing_support::testNow());
    EXPECT_EQ(clock.now(), testing_support::testNow());
    EXPECT_EQ(clock.today(), QDate(2026, 12, 10));
    clock.advance(1500);
    EXPECT_EQ(clock.now(), testing_support::testNow().addMSecs(1500));
    clock.set(QDateTime(QDate(2027, 1, 1), QTime(0, 0)));
    EXPECT_EQ(clock.today(), QDate(2027, 1, 1));
}
