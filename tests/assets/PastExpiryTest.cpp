// A licence stored with an expiry date already past asks first, with No
// the default; No stores nothing.

#include "assets/clsLicences.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

using assets::clsLicences;
using assets::LicenceFields;
using common::MessageKind;

namespace {

class PastExpiry : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    LicenceFields fields(const QString& key, const QDate& expiry) {
        LicenceFields f;
        f.prodId = word;
        f.key = key;
        f.expiry = expiry;
        return f;
    }
    std::optional<QString> expiryOf(const QString& key) {
        return t.value(QStringLiteral("SELECT Exp_Date FROM Licences WHERE Licence_Name = ?"), key);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    clsLicences logic{t.db(), messages, hooks.clock};
    int word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"),
                            t.addCategory(QStringLiteral("Software")));
};

} // namespace

TEST_F(PastExpiry, AddingAskedOnlyForADateBeforeTodayAndNoStoresNothing) {
    struct Case {
        const char* name;
        QDate expiry;
        bool asked;
        bool answer; // when asked
        bool stored;
    };
    const Case cases[] = {
        {"no expiry date", QDate(), false, false, true},
        {"expires today", QDate(2026, 12, 10), false, false, true},
        {"expires tomorrow", QDate(2026, 12, 11), false, false, true},
        {"expired yesterday, No", QDate(2026, 12, 9), true, false, false},
        {"expired yesterday, Yes", QDate(2026, 12, 9), true, true, true},
        {"expired long ago, No", QDate(2001, 1, 1), true, false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        if (c.asked)
            messages.answer({c.answer});
        const QString key = QStringLiteral("KEY-%1").arg(++n);
        const int before = t.count(QStringLiteral("Licences"));
        const int historyBefore = t.count(QStringLiteral("StockHistory"));
        const assets::LicenceSave saved = logic.InsertLicence(fields(key, c.expiry));
        EXPECT_EQ(saved.licId.has_value(), c.stored);
        EXPECT_EQ(t.count(QStringLiteral("Licences")), before + (c.stored ? 1 : 0));
        EXPECT_EQ(t.count(QStringLiteral("StockHistory")), historyBefore + (c.stored ? 1 : 0));
        if (!c.asked) {
            EXPECT_TRUE(messages.shown().empty());
            continue;
        }
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Question);
        EXPECT_EQ(messages.shown()[0].defaultButton, common::DefaultButton::No);
        EXPECT_EQ(messages.shown()[0].text,
                  QStringLiteral("This licence has already expired. Store it anyway?"));
        if (!c.stored) {
            EXPECT_EQ(saved.refused, assets::ItemField::Expiry);
        }
    }
}

TEST_F(PastExpiry, ModifyingAskedAsWellAndNoLeavesTheLicenceAsItWas) {
    const assets::LicenceSave added =
        logic.InsertLicence(fields(QStringLiteral("KEY-1"), QDate(2027, 6, 30)));
    ASSERT_TRUE(added.licId);
    ASSERT_TRUE(messages.shown().empty());

    messages.answer({false});
    LicenceFields changed = fields(QStringLiteral("KEY-1"), QDate(2026, 12, 1));
    changed.cost = QStringLiteral("12.50");
    EXPECT_FALSE(logic.ModifyLicencedets(*added.licId, changed).licId.has_value());
    EXPECT_EQ(expiryOf(QStringLiteral("KEY-1")), QStringLiteral("2027-06-30"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Cost FROM Licences")), QStringLiteral("0"));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].defaultButton, common::DefaultButton::No);

    messages.clear();
    messages.answer({true});
    EXPECT_EQ(logic.ModifyLicencedets(*added.licId, changed).licId, added.licId);
    EXPECT_EQ(expiryOf(QStringLiteral("KEY-1")), QStringLiteral("2026-12-01"));
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(PastExpiry, ARefusedLicenceIsRefusedBeforeAnyQuestion) {
    ASSERT_TRUE(logic.InsertLicence(fields(QStringLiteral("TAKEN"), QDate())).licId);
    messages.clear();
    const assets::LicenceSave saved =
        logic.InsertLicence(fields(QStringLiteral("TAKEN"), QDate(2026, 1, 1)));
    EXPECT_FALSE(saved.licId);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                    "The licence key: TAKEN, already exists - unable to add")});
}
