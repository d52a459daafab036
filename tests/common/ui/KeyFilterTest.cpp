#include "common/ui/KeyFilter.h"
#include "common/KeyRule.h"
#include "support/ScriptedMessages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using common::FieldKind;
using common::MessageKind;

namespace {

// A text box of a dialog with its action button.
class Typing : public ::testing::Test {
protected:
    void install(FieldKind kind, int limit) {
        common::KeyFilter::install(&edit, messages, kind, limit, &action);
        edit.show();
    }

    QLineEdit edit;
    QPushButton action{QStringLiteral("&Add")};
    QSignalSpy clicks{&action, &QPushButton::clicked};
    testing_support::ScriptedMessages messages;
};

} // namespace

TEST_F(Typing, FieldsKeepOnlyTheCharactersTheirKindAllows) {
    struct Case {
        FieldKind kind;
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {FieldKind::FreeText, "O'Brien | IT dept", "O'Brien  IT dept"},
        {FieldKind::FreeText, "a\"b-c(d)", "a\"b-c(d)"},
        {FieldKind::Digits, "12a3.4 5", "12345"},
        {FieldKind::Telephone, "+44 (01632) 960-001 x2.", "+44 (01632) 960-001 2"},
        {FieldKind::Cost, "1,250.5a0", "1250.50"},
    };
    for (const Case& c : cases) {
        QLineEdit field;
        QPushButton button;
        common::KeyFilter::install(&field, messages, c.kind, 50, &button);
        QTest::keyClicks(&field, QString::fromLatin1(c.typed));
        EXPECT_EQ(field.text(), QString::fromLatin1(c.kept)) << c.typed;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Typing, TheCharacterPastTheLimitIsDroppedWithAMessage) {
    install(FieldKind::FreeText, 50);
    const QString fifty(50, QLatin1Char('x'));
    QTest::keyClicks(&edit, fifty);
    EXPECT_EQ(edit.text(), fifty);
    EXPECT_TRUE(messages.shown().empty());

    QTest::keyClick(&edit, 'y');
    EXPECT_EQ(edit.text(), fifty);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Refusal);
    EXPECT_EQ(messages.shown().front().text, QStringLiteral("Only 50 characters allowed"));

    // Enter in a full field is dropped the same way and presses nothing.
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(messages.texts(),
              (QStringList{"Only 50 characters allowed", "Only 50 characters allowed"}));

    // Backspace still works, and then typing does again.
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QString(49, QLatin1Char('x')));
    QTest::keyClick(&edit, 'z');
    EXPECT_EQ(edit.text(), QString(49, QLatin1Char('x')) + QLatin1Char('z'));
    EXPECT_EQ(messages.shown().size(), 2u);
}

TEST_F(Typing, EnterPressesTheActionButtonWithoutEnteringText) {
    install(FieldKind::FreeText, 50);
    QTest::keyClicks(&edit, QStringLiteral("Desk"));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(&edit, Qt::Key_Enter);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(edit.text(), QStringLiteral("Desk"));

    // A disabled action button is not pressed.
    action.setEnabled(false);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Typing, EditingKeysPassInAFullField) {
    install(FieldKind::Cost, 6);
    QTest::keyClicks(&edit, QStringLiteral("123.45"));
    ASSERT_EQ(edit.text(), QStringLiteral("123.45"));
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("123.4"));
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, '9');
    EXPECT_EQ(edit.text(), QStringLiteral("9123.4"));
    EXPECT_TRUE(messages.shown().empty());
}
