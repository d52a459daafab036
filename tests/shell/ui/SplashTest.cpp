#include "shell/StartUp.h"
#include "shell/ui/Program.h"
#include "shell/ui/frmSplash.h"
#include "shell/ui/frmVemora.h"
#include "support/InsideEventLoop.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using shell::frmSplash;

TEST(Splash, ClosesOnItsThirdTickAndNotBefore) {
    frmSplash splash;
    EXPECT_EQ(splash.lblVersion()->objectName(), QStringLiteral("lblVersion"));
    EXPECT_EQ(splash.lblVersion()->text(), QStringLiteral("Version XXXX"));
    EXPECT_EQ(splash.Timer1()->interval(), 1000);
    EXPECT_TRUE(splash.Timer1()->isActive());
    splash.Timer1()->stop(); // the ticks below are the test's own
    EXPECT_EQ(splash.ticks(), 0);

    splash.show();
    for (int tick = 1; tick <= 2; ++tick) {
        splash.Timer1_Timer();
        EXPECT_EQ(splash.ticks(), tick);
        EXPECT_TRUE(splash.isVisible()) << "closed on tick " << tick;
        EXPECT_EQ(splash.result(), QDialog::Rejected);
    }
    splash.Timer1_Timer();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.result(), QDialog::Accepted);
    EXPECT_FALSE(splash.Timer1()->isActive());
}

namespace {

frmSplash* shownSplash() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<frmSplash*>(w); s && s->isVisible())
            return s;
    return nullptr;
}

} // namespace

TEST(Splash, StartUpShowsItModallyWithTheVersionAndOpensTheMainWindowAfterIt) {
    testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    shell::Program program(messages, hooks.clock, hooks.files);
    shell::Program::Options options;
    options.locale = QLocale(QStringLiteral("en_GB"));
    options.directory = t.dir();
    options.showSplash = true;

    struct Seen {
        bool splash = false;
        bool modal = false;
        QString version;
        int ticksWhenShown = -1;
        bool mainWindowWhileShown = true;
        bool openAfterTwoTicks = false;
    } seen;
    testing_support::InsideEventLoop whileShown([&] {
        frmSplash* splash = shownSplash();
        if (!splash)
            return;
        splash->Timer1()->stop(); // the ticks below are the test's own
        seen.splash = true;
        seen.modal = QApplication::activeModalWidget() == splash;
        seen.version = splash->lblVersion()->text();
        seen.ticksWhenShown = splash->ticks();
        seen.mainWindowWhileShown = program.mainWindow() != nullptr;
        splash->Timer1_Timer();
        splash->Timer1_Timer();
        seen.openAfterTwoTicks = splash->isVisible();
        splash->Timer1_Timer();
        if (splash->isVisible())
            splash->reject(); // never leave start-up waiting
    });
    ASSERT_TRUE(program.Main(options));
    ASSERT_TRUE(seen.splash) << "no splash was shown";
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.version, shell::VersionText);
    EXPECT_EQ(seen.version, QStringLiteral("Version 1.9"));
    EXPECT_EQ(seen.ticksWhenShown, 0);
    EXPECT_FALSE(seen.mainWindowWhileShown);
    EXPECT_TRUE(seen.openAfterTwoTicks);
    ASSERT_NE(program.mainWindow(), nullptr);
    EXPECT_TRUE(program.mainWindow()->isVisible());
    EXPECT_EQ(shownSplash(), nullptr);
}

TEST(Splash, EscapeAndTheCloseBoxDoNotEndItBeforeTheThirdTick) {
    frmSplash splash;
    splash.Timer1()->stop();
    splash.show();
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_TRUE(splash.isVisible()) << "Escape closed the splash";
    splash.close();
    EXPECT_TRUE(splash.isVisible()) << "the close box closed the splash";
    for (int tick = 0; tick < 3; ++tick)
        splash.Timer1_Timer();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.result(), QDialog::Accepted);
}
