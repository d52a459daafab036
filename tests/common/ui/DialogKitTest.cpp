#include "common/ui/DialogKit.h"
#include "support/ScriptedMessages.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using common::FieldKind;
using common::OnEnter;
using testing_support::child;

namespace {

// A dialog of rows made by the kit, its action button made after them.
class Kit : public ::testing::Test {
protected:
    Kit() {
        frame = common::frame(&dialog, "fraTest");
        common::FieldGrid rows(frame);
        code = rows.text(QStringLiteral("Code"), "txtCode", FieldKind::FreeText, 5);
        note = rows.text(QStringLiteral("Note"), "txtNote", FieldKind::FreeText, 5, OnEnter::Drop);
        area = rows.box("txtArea", FieldKind::Telephone, 3, OnEnter::Drop);
        number = rows.box("txtNumber", FieldKind::Telephone, 8);
        rows.pair(QStringLiteral("Phone"), area, number);
        action = common::button(&dialog, QStringLiteral("&Add"), "btnAction");
        close = common::button(&dialog, QStringLiteral("&Close"), "btnClose");
        rows.filterKeys(messages, action);
        common::layOutDialog(&dialog, frame, {action, close});
        dialog.show();
    }
    QString buddyCaptionOf(QWidget* field) {
        for (QLabel* l : frame->findChildren<QLabel*>())
            if (l->buddy() == field)
                return l->text();
        return QStringLiteral("(no label)");
    }

    testing_support::ScriptedMessages messages;
    QDialog dialog;
    QGroupBox* frame = nullptr;
    QLineEdit *code = nullptr, *note = nullptr, *area = nullptr, *number = nullptr;
    QPushButton *action = nullptr, *close = nullptr;
};

} // namespace

TEST_F(Kit, RowsMakeNamedLabelledFieldsBeforeTheButtonsInTabOrder) {
    EXPECT_EQ(child<QLineEdit>(&dialog, "txtCode"), code);
    EXPECT_EQ(child<QLineEdit>(&dialog, "txtNote"), note);
    EXPECT_EQ(buddyCaptionOf(code), QStringLiteral("Code"));
    EXPECT_EQ(buddyCaptionOf(note), QStringLiteral("Note"));
    EXPECT_EQ(buddyCaptionOf(area), QStringLiteral("Phone"));
    EXPECT_EQ(testing_support::tabOrder(&dialog),
              (QStringList{"txtCode", "txtNote", "txtArea", "txtNumber", "btnAction", "btnClose"}));
    // Enter on a focused kit button is left to the fields' filters.
    EXPECT_FALSE(action->autoDefault());
    EXPECT_TRUE(common::button(&dialog, QStringLiteral("&Go"), "btnGo", common::AutoDefault::On)
                    ->autoDefault());
}

TEST_F(Kit, EachRowKeepsItsOwnKeyRuleAndEnter) {
    QSignalSpy clicks(action, &QPushButton::clicked);
    struct Row {
        QLineEdit* edit;
        const char* typed;
        const char* kept;
        bool enterActs;
    };
    const Row rows[] = {
        {code, "ab|c", "abc", true},
        {note, "xy", "xy", false},
        {area, "0a1", "01", false},
        {number, "(12) x3", "(12) 3", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.edit->objectName().toStdString());
        clicks.clear();
        QTest::keyClicks(r.edit, QString::fromLatin1(r.typed));
        EXPECT_EQ(r.edit->text(), QString::fromLatin1(r.kept));
        QTest::keyClick(r.edit, Qt::Key_Return);
        EXPECT_EQ(clicks.count(), r.enterActs ? 1 : 0);
    }
    EXPECT_TRUE(messages.shown().empty());
    // The limits are the rows' own: 3 for the area, 5 for the code.
    QTest::keyClicks(area, QStringLiteral("99"));
    QTest::keyClicks(code, QStringLiteral("ddd"));
    EXPECT_EQ(area->text(), QStringLiteral("019"));
    EXPECT_EQ(code->text(), QStringLiteral("abcdd"));
    EXPECT_EQ(messages.texts(),
              (QStringList{"Only 3 characters allowed", "Only 5 characters allowed"}));
}

TEST_F(Kit, EnterInAWatchedControlRunsItsActionAndGoesNoFurther) {
    auto* combo = common::comboBox(frame, "cboTest");
    combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo->setEditable(true);
    int ran = 0;
    common::onEnter(combo, [&] { ++ran; });
    QTest::keyClick(combo, Qt::Key_Return);
    QTest::keyClick(combo, Qt::Key_Enter);
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(combo->count(), 2); // not passed on: no item inserted
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(ran, 2);
}

TEST_F(Kit, ShowModeSetsCaptionAndActionForAddAndModifyOnly) {
    struct Case {
        std::optional<common::DialogMode> mode;
        const char* title;
        const char* action;
    };
    const Case cases[] = {
        {common::DialogMode::Add, "Adding", "&Add"},
        {common::DialogMode::Modify, "Modifying", "&Modify"},
        {common::DialogMode::View, "Before", "Before"},
        {std::nullopt, "Before", "Before"},
    };
    for (const Case& c : cases) {
        dialog.setWindowTitle(QStringLiteral("Before"));
        action->setText(QStringLiteral("Before"));
        common::showMode(&dialog, action, c.mode, QStringLiteral("Adding"),
                         QStringLiteral("Modifying"));
        EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(c.title));
        EXPECT_EQ(action->text(), QString::fromLatin1(c.action));
    }
}

TEST_F(Kit, APickedRecordShowsItsIdAndNameAndNoChoiceEmptiesBoth) {
    auto* id = common::hiddenId(frame, "txtID");
    auto* name = common::shownOnly(frame, "txtName");
    EXPECT_FALSE(id->isVisibleTo(&dialog));
    EXPECT_FALSE(name->isEnabled());
    common::showPicked(id, name, std::make_pair(42, QStringLiteral("Acme")));
    EXPECT_EQ(id->text(), QStringLiteral("42"));
    EXPECT_EQ(name->text(), QStringLiteral("Acme"));
    common::showPicked(id, name, std::nullopt);
    EXPECT_TRUE(id->text().isEmpty());
    EXPECT_TRUE(name->text().isEmpty());
}
