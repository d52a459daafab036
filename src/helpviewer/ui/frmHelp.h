#pragma once

// The help window of vemora-help: the pages of AssetsHelp.qch (a Qt Help
// file built from the HTML under help/) with their contents, index and
// full-text search on the left and the page on the right.

#include <QMainWindow>
#include <QString>
#include <QTemporaryDir>
#include <QTextBrowser>

class QHelpEngine;
class QTabWidget;

namespace helpviewer {

// The first page, shown when the window opens.
inline const QString HelpHome = QStringLiteral("qthelp://com.vemora.assets/help/index.html");

// Shows pages from the help engine.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    HelpBrowser(QHelpEngine& engine, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QHelpEngine& engine_;
};

class frmHelp : public QMainWindow {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
    ~frmHelp() override;

    // Loads a help file; "" when done, else the error's description.
    QString load(const QString& helpFile);
    void showTopic(const QUrl& url);
    // The contents tab and the first page.
    void showHome();
    // The contents tab and one page of the help by its file name
    // ("allocation.html"); the first page for a name that is no plain page
    // name.
    void showPage(const QString& page);

    QHelpEngine* engine() const { return engine_; }
    QTabWidget* navigation() const { return tabs_; }
    HelpBrowser* browser() const { return browser_; }
    // Runs a full-text search as if typed in the search box.
    void search(const QString& words);

private:
    void buildSearch();

    QTemporaryDir collection_;
    QHelpEngine* engine_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    HelpBrowser* browser_ = nullptr;
};

} // namespace helpviewer
