#include "reports/ui/pgReports.h"

#include "common/ui/MainWindow.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace reports {

pgReports::pgReports(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgReports"));
    auto* grid = new QGridLayout(this);
    cboReports = new QComboBox(this);
    cboReports->setObjectName(QStringLiteral("cboReports"));
    frLicDetsOB = new QGroupBox(QStringLiteral("Order by"), this);
    frLicDetsOB->setObjectName(QStringLiteral("frLicDetsOB"));
    auto* orderGrid = new QGridLayout(frLicDetsOB);
    for (int i = 0; i < 10; ++i) {
        auto* button = new QPushButton(frLicDetsOB);
        button->setObjectName(QStringLiteral("btnOrderBy"));
        button->setProperty("index", i);
        button->setVisible(false);
        orderGrid->addWidget(button, i / 2, i % 2);
        btnOrderBy[static_cast<size_t>(i)] = button;
    }
    rtbReport = new QPlainTextEdit(this);
    rtbReport->setObjectName(QStringLiteral("rtbReport"));
    rtbReport->setReadOnly(true);
    rtbReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtbReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rtbReport->setFocusPolicy(Qt::ClickFocus);
    cboPrinters = new QComboBox(this);
    cboPrinters->setObjectName(QStringLiteral("cboPrinters"));
    btnPrint = new QPushButton(QStringLiteral("Print"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnExportReport = new QPushButton(QStringLiteral("Export"), this);
    btnExportReport->setObjectName(QStringLiteral("btnExportReport"));

    grid->addWidget(new QLabel(QStringLiteral("Report to Show"), this), 0, 0);
    grid->addWidget(cboReports, 0, 1);
    grid->addWidget(frLicDetsOB, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Available Printers"), this), 2, 0);
    grid->addWidget(cboPrinters, 2, 1);
    grid->addWidget(btnPrint, 3, 0);
    grid->addWidget(btnExportReport, 3, 1);
    grid->addWidget(rtbReport, 0, 2, 5, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(2, 1);
}

void pgReports::rebuild() {
    // The report catalogue fills cboReports; until it does, the page has
    // nothing to offer.
    cboReports->clear();
}

void pgReports::setPrinters(const QStringList& printers) {
    cboPrinters->clear();
    cboPrinters->addItems(printers);
    cboPrinters->setCurrentIndex(printers.isEmpty() ? -1 : 0);
}

QWidgetList pgReports::tabOrder() const {
    QWidgetList order{cboReports};
    for (QPushButton* b : btnOrderBy)
        order << b;
    order << cboPrinters << btnPrint << btnExportReport;
    return order;
}

QString pgReports::hint() const {
    return QStringLiteral(
        "Select the desired report, order if required, select your printer, hit Print or Export");
}

} // namespace reports
