#include "helpviewer/ui/frmHelp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpSearchEngine>
#include <QHelpSearchResult>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using helpviewer::frmHelp;

namespace {

// The help file the build places beside the programs.
QString builtHelpFile() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("AssetsHelp.qch"));
}

// Waits for a model the engine fills on a thread of its own: it is
// announced in the window's own event loop.
template <typename Model, typename Signal> void waitUntilBuilt(Model* model, Signal done) {
    if (model->rowCount() > 0)
        return;
    QSignalSpy spy(model, done);
    ASSERT_TRUE(spy.wait(30000));
}

} // namespace

TEST(HelpWindow, OpensOnTheContentsPageWithEveryTopicAndTheIndex) {
    ASSERT_TRUE(QFile::exists(builtHelpFile())) << "the build makes AssetsHelp.qch";
    frmHelp help;
    ASSERT_EQ(help.load(builtHelpFile()), QString());
    help.showHome();
    help.show();
    EXPECT_EQ(help.navigation()->currentIndex(), 0);
    EXPECT_EQ(help.navigation()->tabText(0), QStringLiteral("&Contents"));
    EXPECT_EQ(help.browser()->source(), QUrl(helpviewer::HelpHome));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Vemora! Assets keeps")));

    QHelpContentModel* contents = help.engine()->contentModel();
    waitUntilBuilt(contents, &QHelpContentModel::contentsCreated);
    ASSERT_EQ(contents->rowCount(), 1);
    EXPECT_EQ(contents->rowCount(contents->index(0, 0)), 11);

    QHelpIndexModel* index = help.engine()->indexModel();
    waitUntilBuilt(index, &QHelpIndexModel::indexCreated);
    EXPECT_FALSE(
        index->match(index->index(0, 0), Qt::DisplayRole, QStringLiteral("Restore")).isEmpty());
    EXPECT_FALSE(index->match(index->index(0, 0), Qt::DisplayRole, QStringLiteral("Licences owned"))
                     .isEmpty());
    EXPECT_FALSE(
        index->match(index->index(0, 0), Qt::DisplayRole, QStringLiteral("Import")).isEmpty());

    // A link in a page leads to its topic.
    help.showTopic(QUrl(QStringLiteral("qthelp://com.vemora.assets/help/backup.html")));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Scheduled backups")));
}

TEST(HelpWindow, OpensOnAPageByItsNameAndOnTheFirstPageForAnythingElse) {
    frmHelp help;
    ASSERT_EQ(help.load(builtHelpFile()), QString());
    help.showPage(QStringLiteral("allocation.html"));
    EXPECT_EQ(help.browser()->source(),
              QUrl(QStringLiteral("qthelp://com.vemora.assets/help/allocation.html")));
    EXPECT_TRUE(help.browser()->toPlainText().contains(QStringLiteral("Ctrl+M")));
    for (const char* odd : {"../allocation.html", "/etc/passwd", "", "allocation.html#x"}) {
        SCOPED_TRACE(odd);
        help.showPage(QStringLiteral("backup.html"));
        help.showPage(QString::fromLatin1(odd));
        EXPECT_EQ(help.browser()->source(), QUrl(helpviewer::HelpHome));
    }
}

TEST(HelpWindow, FullTextSearchFindsAWordOnItsPage) {
    frmHelp help;
    ASSERT_EQ(help.load(builtHelpFile()), QString());
    QHelpSearchEngine* search = help.engine()->searchEngine();
    // Indexing runs on a thread of the engine's own and is announced in
    // the window's event loop.
    QSignalSpy indexed(search, &QHelpSearchEngine::indexingFinished);
    ASSERT_TRUE(indexed.wait(30000));

    const struct {
        const char* word;
        const char* page;
    } cases[] = {
        {"integrity", "backup.html"}, {"landscape", "reports.html"}, {"cron", "commandline.html"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        QSignalSpy searched(search, &QHelpSearchEngine::searchingFinished);
        help.search(QString::fromLatin1(c.word));
        ASSERT_TRUE(searched.wait(30000));
        const QList<QHelpSearchResult> results =
            search->searchResults(0, search->searchResultCount());
        ASSERT_EQ(results.size(), 1);
        EXPECT_TRUE(results.front().url().path().endsWith(QLatin1String(c.page)))
            << results.front().url().toString().toStdString();
    }
}

TEST(HelpWindow, AMissingOrUnreadableHelpFileIsDescribed) {
    QTemporaryDir dir;
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("AssetsHelp.qch"));
    {
        frmHelp help;
        const QString error = help.load(missing);
        EXPECT_TRUE(error.contains(QStringLiteral("AssetsHelp.qch"))) << error.toStdString();
    }
    QFile bad(missing);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a help file");
    bad.close();
    frmHelp help;
    EXPECT_FALSE(help.load(missing).isEmpty());
}
