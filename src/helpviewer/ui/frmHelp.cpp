#include "helpviewer/ui/frmHelp.h"

#include <QDir>
#include <QFile>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace helpviewer {

HelpBrowser::HelpBrowser(QHelpEngine& engine, QWidget* parent)
    : QTextBrowser(parent), engine_(engine) {}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() == QLatin1String("qthelp"))
        return engine_.fileData(name);
    return QTextBrowser::loadResource(type, name);
}

frmHelp::frmHelp(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Vemora! Assets Help"));
    resize(900, 640);

    // The engine keeps its registrations in a collection file of this
    // window's own, so the help file beside the program is only read.
    engine_ = new QHelpEngine(QDir(collection_.path()).filePath(QStringLiteral("help.qhc")), this);
    engine_->setReadOnly(false);
    engine_->setUsesFilterEngine(true);

    auto* splitter = new QSplitter(this);
    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("tabNavigation"));

    QHelpContentWidget* contents = engine_->contentWidget();
    contents->setObjectName(QStringLiteral("tvContents"));
    tabs_->addTab(contents, QStringLiteral("&Contents"));

    QHelpIndexWidget* index = engine_->indexWidget();
    index->setObjectName(QStringLiteral("lvIndex"));
    tabs_->addTab(index, QStringLiteral("&Index"));

    browser_ = new HelpBrowser(*engine_, splitter);
    browser_->setObjectName(QStringLiteral("rtbTopic"));
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 3);
    setCentralWidget(splitter);

    connect(contents, &QHelpContentWidget::linkActivated, this, &frmHelp::showTopic);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { showTopic(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty())
                    showTopic(links.first().url);
            });
}

frmHelp::~frmHelp() = default;

void frmHelp::buildSearch() {
    // Made only once the pages are registered: the search engine indexes
    // what is registered when it is made, and an index of nothing would
    // answer the first searches.
    auto* searchPage = new QWidget(tabs_);
    auto* searchLayout = new QVBoxLayout(searchPage);
    QHelpSearchEngine* searchEngine = engine_->searchEngine();
    QHelpSearchQueryWidget* query = searchEngine->queryWidget();
    query->setObjectName(QStringLiteral("txtSearch"));
    QHelpSearchResultWidget* results = searchEngine->resultWidget();
    results->setObjectName(QStringLiteral("lvSearchResults"));
    searchLayout->addWidget(query);
    searchLayout->addWidget(results, 1);
    tabs_->addTab(searchPage, QStringLiteral("&Search"));
    connect(query, &QHelpSearchQueryWidget::search, this,
            [this, query] { engine_->searchEngine()->search(query->searchInput()); });
    connect(results, &QHelpSearchResultWidget::requestShowLink, this, &frmHelp::showTopic);
}

QString frmHelp::load(const QString& helpFile) {
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open the help file %1: %2")
            .arg(QDir::toNativeSeparators(helpFile), file.errorString());
    file.close();
    if (!engine_->setupData() || !engine_->registerDocumentation(helpFile) || !engine_->setupData())
        return QStringLiteral("Cannot open the help file %1: %2")
            .arg(QDir::toNativeSeparators(helpFile), engine_->error());
    // Contents, index and the full-text index are built on threads of the
    // engine's own; the window shows them as they arrive.
    engine_->contentModel()->createContents(QString());
    engine_->indexModel()->createIndex(QString());
    // The search engine indexes the pages as soon as it is made.
    buildSearch();
    return QString();
}

void frmHelp::showTopic(const QUrl& url) {
    browser_->setSource(url);
}

void frmHelp::search(const QString& words) {
    engine_->searchEngine()->queryWidget()->setSearchInput(words);
    engine_->searchEngine()->search(words);
}

void frmHelp::showHome() {
    tabs_->setCurrentIndex(0);
    showTopic(QUrl(HelpHome));
}

void frmHelp::showPage(const QString& page) {
    static const QRegularExpression plainPage(QStringLiteral("^[a-z0-9-]+\\.html$"));
    if (!plainPage.match(page).hasMatch()) {
        showHome();
        return;
    }
    tabs_->setCurrentIndex(0);
    QUrl url(HelpHome);
    url.setPath(url.path().section(QLatin1Char('/'), 0, -2) + QLatin1Char('/') + page);
    showTopic(url);
}

} // namespace helpviewer
