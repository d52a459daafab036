#include "common/ui/BoxMessages.h"
#include "common/ui/WaitCursor.h"
#include "support/InsideEventLoop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using common::MessageKind;

namespace {

// BoxMessages with the presentation reachable from the test.
class Boxes : public common::BoxMessages {
public:
    bool show(MessageKind kind, const QString& text) { return present(kind, text); }
};

struct Seen {
    bool box = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Reads the message box that is about to be shown and closes it with the
// given button (or its only one).
std::unique_ptr<testing_support::InsideEventLoop> readAndClose(Seen& seen,
                                                               QMessageBox::StandardButton press) {
    return std::make_unique<testing_support::InsideEventLoop>([&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.box = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << box->standardButton(b);
        std::sort(seen.buttons.begin(), seen.buttons.end());
        seen.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                  : QMessageBox::NoButton;
        QAbstractButton* button = box->button(press);
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        else
            box->reject();
    });
}

} // namespace

TEST(BoxMessages, EachKindHasItsIconButtonsAndTheProgramTitle) {
    struct Case {
        MessageKind kind;
        QMessageBox::Icon icon;
        QList<QMessageBox::StandardButton> buttons;
    };
    const Case cases[] = {
        {MessageKind::Refusal, QMessageBox::Warning, {QMessageBox::Ok}},
        {MessageKind::Failure, QMessageBox::Critical, {QMessageBox::Ok}},
        {MessageKind::Notice, QMessageBox::Information, {QMessageBox::Ok}},
        {MessageKind::Question, QMessageBox::Question, {QMessageBox::Yes, QMessageBox::No}},
    };
    for (const Case& c : cases) {
        Boxes boxes;
        Seen seen;
        const auto closer = readAndClose(seen, QMessageBox::Ok);
        boxes.show(c.kind, QStringLiteral("first line\r\nsecond line\rthird line"));
        ASSERT_TRUE(seen.box) << "no message box for " << static_cast<int>(c.kind);
        EXPECT_EQ(seen.title, QStringLiteral("Vemora! Assets"));
        EXPECT_EQ(seen.text, QStringLiteral("first line\nsecond line\nthird line"));
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.buttons, c.buttons);
        if (c.kind == MessageKind::Question) {
            EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
        }
    }
}

TEST(BoxMessages, AQuestionAnswersTrueOnlyForYes) {
    for (const auto press : {QMessageBox::Yes, QMessageBox::No}) {
        Boxes boxes;
        Seen seen;
        const auto closer = readAndClose(seen, press);
        const bool yes = boxes.show(MessageKind::Question, QStringLiteral("Sure ?"));
        ASSERT_TRUE(seen.box);
        EXPECT_EQ(yes, press == QMessageBox::Yes);
    }
}

TEST(BoxMessages, AQuestionsDefaultButtonIsTheOneTheAskerChose) {
    struct Case {
        std::optional<common::DefaultButton> asked; // none: the plain ask
        QMessageBox::StandardButton shown;
    };
    const Case cases[] = {{std::nullopt, QMessageBox::Yes},
                          {common::DefaultButton::Yes, QMessageBox::Yes},
                          {common::DefaultButton::No, QMessageBox::No}};
    for (const Case& c : cases) {
        Boxes boxes;
        Seen seen;
        const auto closer = readAndClose(seen, QMessageBox::No);
        const bool yes = c.asked ? boxes.ask(QStringLiteral("delete for good?"), *c.asked)
                                 : boxes.ask(QStringLiteral("delete for good?"));
        ASSERT_TRUE(seen.box);
        EXPECT_EQ(seen.defaultButton, c.shown);
        EXPECT_EQ(seen.icon, QMessageBox::Question);
        EXPECT_FALSE(yes);
    }
}

TEST(BoxMessages, StoredTextIsShownAsTypedNeverAsMarkup) {
    Boxes boxes;
    QString format;
    testing_support::InsideEventLoop read([&format] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            format = box->textFormat() == Qt::PlainText ? QStringLiteral("plain")
                                                        : QStringLiteral("other");
            box->button(QMessageBox::Ok)->click();
        }
    });
    boxes.show(MessageKind::Refusal, QStringLiteral("<b>x</b> already exists"));
    EXPECT_EQ(format, QStringLiteral("plain"));
}

TEST(BoxMessages, DuringLongWorkTheBoxShowsTheNormalPointerAndTheHourglassReturns) {
    Boxes boxes;
    std::optional<Qt::CursorShape> whileShown;
    testing_support::InsideEventLoop read([&whileShown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            whileShown = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                        : Qt::ArrowCursor;
            box->button(QMessageBox::Ok)->click();
        }
    });
    {
        common::WaitCursor wait;
        boxes.show(MessageKind::Failure, QStringLiteral("database is locked - 5"));
        ASSERT_TRUE(whileShown.has_value());
        EXPECT_EQ(*whileShown, Qt::ArrowCursor);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
