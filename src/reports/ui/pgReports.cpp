#include "reports/ui/pgReports.h"

#include "common/BackgroundWork.h"
#include "common/FileChooser.h"
#include "common/FileGuard.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/MainWindow.h"
#include "common/ui/WaitCursor.h"
#include "reports/ReportCatalogue.h"
#include "reports/clsReports.h"
#include "reports/ui/ReportPaper.h"
#include "reports/ui/ReportView.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace reports {

namespace {

// The fewest lines read for the first screen, whatever the view's height.
constexpr int FirstLines = 100;
// A slice of the rest: rows read between checks of the time, and the time
// after which the window's events come first again.
constexpr int SliceRows = 500;
constexpr qint64 SliceMs = 15;

} // namespace

pgReports::pgReports(common::MainWindow& main)
    : main_(main), printers_(std::make_shared<SystemPrinters>()) {
    setObjectName(QStringLiteral("pgReports"));
    cboReports = new QComboBox(this);
    cboReports->setObjectName(QStringLiteral("cboReports"));
    cboReports->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    frLicDetsOB = new QGroupBox(QStringLiteral("Order by"), this);
    frLicDetsOB->setObjectName(QStringLiteral("frLicDetsOB"));
    orderLayout_ = new QHBoxLayout(frLicDetsOB);
    // All ten in index order until a report lays them out.
    for (int i = 0; i < OrderButtonCount; ++i) {
        auto* button = new QPushButton(orderCaption(i), frLicDetsOB);
        button->setObjectName(QStringLiteral("btnOrderBy"));
        button->setProperty("index", i);
        orderLayout_->addWidget(button);
        btnOrderBy[static_cast<size_t>(i)] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { btnOrderBy_Click(i); });
    }
    orderLayout_->addStretch(1);
    rtbReport = new ReportView(this);
    rtbReport->setObjectName(QStringLiteral("rtbReport"));
    rtbReport->setFont(reportFont(ScreenPointSize));
    rtbReport->setFocusPolicy(Qt::ClickFocus);
    cboPrinters = new QComboBox(this);
    cboPrinters->setObjectName(QStringLiteral("cboPrinters"));
    cboPrinters->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    btnPrint = new QPushButton(QStringLiteral("Print"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnPdf = new QPushButton(QStringLiteral("PDF"), this);
    btnPdf->setObjectName(QStringLiteral("btnPdf"));
    btnExportReport = new QPushButton(QStringLiteral("Export"), this);
    btnExportReport->setObjectName(QStringLiteral("btnExportReport"));
    setActions(false, false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Report to Show"), this));
    top->addWidget(cboReports);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Available Printers"), this));
    bottom->addWidget(cboPrinters);
    bottom->addStretch(1);
    bottom->addWidget(btnPrint);
    bottom->addWidget(btnPdf);
    bottom->addWidget(btnExportReport);
    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(frLicDetsOB);
    page->addWidget(rtbReport, 1);
    page->addLayout(bottom);

    // Zoom keys anywhere on the page; Ctrl and the wheel over the text.
    const auto zoomAction = [this](const QString& name, QList<QKeySequence> keys,
                                   void (pgReports::*slot)()) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        // The platform's zoom keys and the usual ones, each once: a key
        // listed twice would be ambiguous and do nothing.
        QList<QKeySequence> unique;
        for (const QKeySequence& key : keys)
            if (!key.isEmpty() && !unique.contains(key))
                unique << key;
        action->setShortcuts(unique);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    zoomAction(QStringLiteral("actZoomIn"),
               QKeySequence::keyBindings(QKeySequence::ZoomIn)
                   << QKeySequence(Qt::CTRL | Qt::Key_Plus)
                   << QKeySequence(Qt::CTRL | Qt::Key_Equal),
               &pgReports::zoomIn);
    zoomAction(QStringLiteral("actZoomOut"),
               QKeySequence::keyBindings(QKeySequence::ZoomOut)
                   << QKeySequence(Qt::CTRL | Qt::Key_Minus),
               &pgReports::zoomOut);
    zoomAction(QStringLiteral("actZoomReset"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
               &pgReports::resetZoom);
    rtbReport->viewport()->installEventFilter(this);

    readTimer_ = new QTimer(this);
    readTimer_->setSingleShot(true);
    readTimer_->setInterval(0);
    connect(readTimer_, &QTimer::timeout, this, [this] { readSlice(); });

    connect(cboReports, &QComboBox::activated, this, [this] { cboReports_Click(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { PrintForm(); });
    connect(btnPdf, &QPushButton::clicked, this, [this] { SaveAsPdf(); });
    connect(btnExportReport, &QPushButton::clicked, this, [this] {
        // The export takes the whole text.
        finishReport();
        emit exportRequested(chosenReport());
    });
}

pgReports::~pgReports() = default;

void pgReports::rebuild() {
    FillUpReportCombo();
}

void pgReports::refill() {
    if (cboReports->currentIndex() < 0 || cboReports->currentText() == SelectAReport)
        return;
    RunReport(chosenReport(), order_);
}

void pgReports::setZoom(int steps) {
    zoom_ = std::clamp(steps, SmallestZoom, LargestZoom);
    rtbReport->setFont(reportFont(ScreenPointSize + zoom_));
}

bool pgReports::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rtbReport->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int delta = wheel->angleDelta().y();
            if (delta > 0)
                zoomIn();
            else if (delta < 0)
                zoomOut();
            return true;
        }
    }
    return common::Page::eventFilter(watched, event);
}

void pgReports::setPrinters(const QStringList& printers) {
    cboPrinters->clear();
    cboPrinters->addItems(printers);
    cboPrinters->setCurrentIndex(printers.isEmpty() ? -1 : 0);
}

void pgReports::setPrinterService(std::shared_ptr<ReportPrinters> printers) {
    printers_ = std::move(printers);
}

QWidgetList pgReports::tabOrder() const {
    QWidgetList order{cboReports};
    for (QPushButton* b : btnOrderBy)
        order << b;
    // The page's keyboard order is fixed at these fourteen controls; the PDF
    // button is reached with the mouse.
    order << cboPrinters << btnPrint << btnExportReport;
    return order;
}

QString pgReports::helpTopic() const {
    return QStringLiteral("reports.html");
}

QString pgReports::hint() const {
    return QStringLiteral(
        "Select the desired report, order if required, select your printer, hit Print or Export");
}

QString pgReports::chosenReport() const {
    return cboReports->currentText().trimmed();
}

void pgReports::setActions(bool print, bool exportable) {
    btnPrint->setEnabled(print);
    btnExportReport->setEnabled(exportable);
    btnPdf->setEnabled(exportable);
}

void pgReports::FillUpReportCombo() {
    {
        const QSignalBlocker blocker(cboReports);
        cboReports->clear();
        cboReports->addItems(main_.session().logic<clsReports>().FillUpReportCombo());
        cboReports->setCurrentIndex(0);
    }
    cboReports_Click();
}

void pgReports::cboReports_Click() {
    if (cboReports->currentText() == SelectAReport) {
        setActions(false, false);
        return;
    }
    const QString name = chosenReport();
    SetUpFrame(name);
    // By category, or by the order a report names for itself.
    const ReportDef* report = findReport(name);
    RunReport(name, report ? report->firstOrder : OrderCategory);
}

void pgReports::btnOrderBy_Click(int index) {
    RunReport(chosenReport(), index);
}

void pgReports::SetUpFrame(const QString& reportName) {
    for (QPushButton* button : btnOrderBy) {
        button->hide();
        orderLayout_->removeWidget(button);
    }
    const std::vector<int> shown = main_.session().logic<clsReports>().SetUpFrame(reportName);
    for (size_t place = 0; place < shown.size(); ++place) {
        QPushButton* button = btnOrderBy[static_cast<size_t>(shown[place])];
        orderLayout_->insertWidget(static_cast<int>(place), button);
        button->show();
    }
}

void pgReports::showText(const QString& text) {
    reportText_ = text;
    // Shared, not copied: the view lays out only the lines in sight.
    rtbReport->setReportText(reportText_);
}

int pgReports::firstScreenLines() const {
    return std::max(2 * rtbReport->visibleLines(), FirstLines);
}

void pgReports::RunReport(const QString& reportName, int orderIndex) {
    order_ = orderIndex;
    // A report still being read is dropped: the text is only ever one run's.
    readTimer_->stop();
    reading_.reset();
    common::Session& session = main_.session();
    clsReports& reports = session.logic<clsReports>();
    // The heading shows at once, and stays when nothing is found.
    QString text = reports.WriteReportHeading(reportName);
    showText(text);
    const ReportDef* report = findReport(reportName);
    if (!report)
        return;
    common::guarded(session.messages(), [&] {
        int lines = 0;
        {
            common::WaitCursor wait;
            // The first screen (and the next, for the first scroll) is read
            // on its own and shown; the rest is read between events and
            // shown whole when complete. A report that fits is complete.
            const QString heading = text;
            const int screen = firstScreenLines();
            lines = reports.WriteFirstLines(*report, orderIndex, screen, text);
            if (lines > 0)
                showText(text);
            if (lines == screen) {
                readingHeading_ = heading;
                reading_ = reports.StartReportLines(*report, orderIndex);
                readTimer_->start();
            }
        }
        if (lines == 0)
            session.messages().refuse(report->emptyMessage);
        setActions(!cboPrinters->currentText().isEmpty(), lines > 0);
    });
}

void pgReports::readSlice() {
    if (!reading_)
        return;
    const bool read = common::guarded(main_.session().messages(), [&] {
        // Rows for about one frame, then back to the window's events.
        QElapsedTimer slice;
        slice.start();
        while (slice.elapsed() < SliceMs)
            if (!reading_->read(SliceRows)) {
                showWhole();
                return;
            }
        readTimer_->start();
    });
    // A failure leaves the first screen shown and reads no further.
    if (!read)
        reading_.reset();
}

void pgReports::finishReport() {
    if (!reading_)
        return;
    readTimer_->stop();
    common::guarded(main_.session().messages(), [&] {
        common::WaitCursor wait;
        showWhole();
    });
    reading_.reset();
}

void pgReports::showWhole() {
    QString text = readingHeading_;
    reading_->finish(text);
    reading_.reset();
    readingHeading_.clear();
    // Where the user has scrolled to in the first screen stays in view.
    const int top = rtbReport->firstVisibleLine();
    showText(text);
    rtbReport->scrollToLine(top);
}

const QString& pgReports::reportText() {
    finishReport();
    return reportText_;
}

void pgReports::hideEvent(QHideEvent* event) {
    // The read holds a statement open on the shared connection: it ends
    // before the user turns to work that may write or close the register.
    finishReport();
    common::Page::hideEvent(event);
}

void pgReports::PrintForm() {
    common::Messages& messages = main_.session().messages();
    const QString name = cboPrinters->currentText();
    // A printer removed since the list was made: print nowhere else.
    if (!printers_->names().contains(name)) {
        messages.refuse(QStringLiteral("The printer \"%1\" is no longer installed. Choose "
                                       "another printer and print again.")
                            .arg(name));
        return;
    }
    finishReport();
    std::optional<PaperFailure> failure;
    {
        common::WaitCursor wait;
        const std::unique_ptr<QPrinter> printer = printers_->printer(name);
        failure = printReportText(*printer, reportText_);
    }
    if (failure)
        messages.fail(failure->text());
    else
        messages.notify(QStringLiteral("Report Printed"));
}

void pgReports::SaveAsPdf() {
    common::Session& session = main_.session();
    common::FileRequest request;
    request.purpose = common::FileRequest::Save;
    request.title = QStringLiteral("Save Report as PDF");
    request.filter = QStringLiteral("PDF Files (*.pdf)");
    const std::optional<QString> chosen = session.files().choose(request);
    if (!chosen || chosen->trimmed().isEmpty())
        return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (common::isProtectedTarget(path, common::databaseFile(session.db()))) {
        session.messages().refuse(common::protectedTargetRefusal(path));
        return;
    }
    // Laid out and written on a thread of its own, behind the progress bar.
    const QString text = reportText();
    std::optional<PaperFailure> failure;
    try {
        session.work().run(
            QStringLiteral("Saving the report as PDF"),
            [&](common::Progress& progress) { failure = writeReportPdf(path, text, &progress); });
    } catch (const common::Cancelled&) {
        return;
    }
    if (failure)
        session.messages().fail(failure->text());
}

} // namespace reports
