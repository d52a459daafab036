#include "import/ui/frmImport.h"

#include "common/FileChooser.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "import/CsvReader.h"
#include "import/ui/ImportProgress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWizardPage>

#include <functional>

namespace imports {

namespace {

// A page whose Next or Finish button waits on a condition.
class GatedPage : public QWizardPage {
public:
    std::function<bool()> complete;
    bool isComplete() const override { return complete ? complete() : true; }
    void changed() { emit completeChanged(); }
};

const QString IgnoreText = QStringLiteral("(ignore)");

QString kindWords(Kind kind) {
    return kind == Kind::Stock ? QStringLiteral("stock items") : QStringLiteral("licences");
}

QString countsText(const ImportCounts& c, Kind kind, bool done) {
    return QStringLiteral("%1 rows read. %2 %3 %4; new: %5 locations, %6 products, %7 "
                          "categories, %8 suppliers.%9")
        .arg(c.rows)
        .arg(done ? QStringLiteral("Imported") : QStringLiteral("Will import"))
        .arg(c.items)
        .arg(kindWords(kind))
        .arg(c.locations)
        .arg(c.products)
        .arg(c.categories)
        .arg(c.suppliers)
        .arg(c.skipped > 0 ? QStringLiteral(" %1 rows with problems left out.").arg(c.skipped)
                           : QString());
}

} // namespace

frmImport::frmImport(common::Session& session, QWidget* parent)
    : QWizard(parent), session_(session) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import"));
    setWizardStyle(QWizard::ClassicStyle);
    setButtonText(QWizard::FinishButton, QStringLiteral("&Import"));
    resize(760, 560);

    auto* file = new GatedPage;
    file->setTitle(QStringLiteral("The file"));
    file->setSubTitle(QStringLiteral("A CSV file with a header row naming its columns"));
    txtFile_ = new QLineEdit;
    txtFile_->setObjectName(QStringLiteral("txtFile"));
    txtFile_->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("&Browse…"));
    browse->setObjectName(QStringLiteral("btnBrowse"));
    connect(browse, &QPushButton::clicked, this, [this] { chooseFile(); });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(txtFile_, 1);
    fileRow->addWidget(browse);
    optStock_ = new QRadioButton(QStringLiteral("&Stock items"));
    optStock_->setObjectName(QStringLiteral("optStock"));
    optStock_->setChecked(true);
    optLicences_ = new QRadioButton(QStringLiteral("&Licences"));
    optLicences_->setObjectName(QStringLiteral("optLicences"));
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(optStock_);
    kindRow->addWidget(optLicences_);
    kindRow->addStretch();
    chkCreateMissing_ =
        new QCheckBox(QStringLiteral("create missing categories, products and suppliers"));
    chkCreateMissing_->setObjectName(QStringLiteral("chkCreateMissing"));
    chkSkipBad_ = new QCheckBox(
        QStringLiteral("skip the rows with problems (written to NAME.rejected.csv beside the "
                       "file)"));
    chkSkipBad_->setObjectName(QStringLiteral("chkSkipBad"));
    cboSeparator_ = new QComboBox;
    cboSeparator_->setObjectName(QStringLiteral("cboSeparator"));
    cboSeparator_->addItems(PathSeparators);
    auto* fileForm = new QFormLayout(file);
    fileForm->addRow(QStringLiteral("File"), fileRow);
    fileForm->addRow(QStringLiteral("The file holds"), kindRow);
    fileForm->addRow(QStringLiteral("Location paths separated by"), cboSeparator_);
    fileForm->addRow(chkCreateMissing_);
    fileForm->addRow(chkSkipBad_);
    file->complete = [this] {
        return !txtFile_->text().isEmpty();
    };
    connect(txtFile_, &QLineEdit::textChanged, file, &GatedPage::changed);
    setPage(FilePage, file);

    auto* map = new QWizardPage;
    map->setTitle(QStringLiteral("The columns"));
    map->setSubTitle(QStringLiteral("The field each column gives; columns left at (ignore) are "
                                    "not read"));
    tblMap_ = new QTableWidget(0, 2);
    tblMap_->setObjectName(QStringLiteral("tblMap"));
    tblMap_->setHorizontalHeaderLabels({QStringLiteral("Column"), QStringLiteral("Field")});
    tblMap_->horizontalHeader()->setStretchLastSection(true);
    tblMap_->verticalHeader()->hide();
    auto* mapLayout = new QVBoxLayout(map);
    mapLayout->addWidget(tblMap_);
    setPage(MapPage, map);

    auto* preview = new GatedPage;
    preview->setTitle(QStringLiteral("Preview"));
    preview->setSubTitle(QStringLiteral("The first rows as they will be stored, and every "
                                        "problem found"));
    lblCounts_ = new QLabel;
    lblCounts_->setObjectName(QStringLiteral("lblCounts"));
    lblCounts_->setWordWrap(true);
    tblPreview_ = new QTableWidget(0, 0);
    tblPreview_->setObjectName(QStringLiteral("tblPreview"));
    tblPreview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPreview_->verticalHeader()->hide();
    lstProblems_ = new QListWidget;
    lstProblems_->setObjectName(QStringLiteral("lstProblems"));
    auto* previewLayout = new QVBoxLayout(preview);
    previewLayout->addWidget(lblCounts_);
    previewLayout->addWidget(tblPreview_, 2);
    previewLayout->addWidget(new QLabel(QStringLiteral("Problems")));
    previewLayout->addWidget(lstProblems_, 1);
    preview->complete = [this] {
        return dryRunDone_ &&
               (result_.problems.empty() || (chkSkipBad_->isChecked() && result_.counts.items > 0));
    };
    setPage(PreviewPage, preview);
}

Kind frmImport::kind() const {
    return optLicences_->isChecked() ? Kind::Licences : Kind::Stock;
}

ImportOptions frmImport::options() const {
    ImportOptions o;
    o.path = txtFile_->text();
    o.kind = kind();
    o.createMissing = chkCreateMissing_->isChecked();
    o.skipBad = chkSkipBad_->isChecked();
    o.separator = cboSeparator_->currentText();
    for (int row = 0; row < tblMap_->rowCount(); ++row) {
        const auto* box = qobject_cast<QComboBox*>(tblMap_->cellWidget(row, 1));
        const QString heading = tblMap_->item(row, 0)->text();
        if (box && !heading.isEmpty())
            o.map.insert(heading, box->currentData().toString());
    }
    return o;
}

void frmImport::chooseFile() {
    common::FileRequest request;
    request.purpose = common::FileRequest::Open;
    request.title = QStringLiteral("Import");
    request.directory =
        txtFile_->text().isEmpty() ? QDir::homePath() : QFileInfo(txtFile_->text()).absolutePath();
    request.filter = QStringLiteral("CSV files (*.csv *.txt);;All files (*)");
    request.confirmOverwrite = false;
    if (const std::optional<QString> chosen = session_.files().choose(request))
        txtFile_->setText(*chosen);
}

void frmImport::initializePage(int id) {
    if (id == MapPage)
        fillMapping();
    else if (id == PreviewPage)
        runDryRun();
    QWizard::initializePage(id);
}

void frmImport::fillMapping() {
    tblMap_->setRowCount(0);
    CsvReader reader;
    std::optional<CsvRecord> header;
    if (reader.open(txtFile_->text()))
        header = reader.next();
    if (!header)
        return;
    const Kind k = kind();
    for (const QString& cell : header->fields) {
        const QString heading = cell.trimmed();
        const int row = tblMap_->rowCount();
        tblMap_->insertRow(row);
        tblMap_->setItem(row, 0, new QTableWidgetItem(heading));
        tblMap_->item(row, 0)->setFlags(Qt::ItemIsEnabled);
        auto* box = new QComboBox;
        box->addItem(IgnoreText, QStringLiteral("ignore"));
        for (Field f : fieldsOf(k))
            box->addItem(fieldName(k, f), fieldName(k, f));
        if (const std::optional<Field> f = fieldForHeading(k, heading))
            box->setCurrentIndex(box->findData(fieldName(k, *f)));
        tblMap_->setCellWidget(row, 1, box);
    }
}

void frmImport::runDryRun() {
    dryRunDone_ = false;
    const ImportOptions o = options();
    clsImport& logic = session_.logic<clsImport>();
    result_ = runWithProgress(this, QStringLiteral("Checking %1…").arg(o.path),
                              [&](const Progress& p) { return logic.DryRun(o, p); });
    dryRunDone_ = !result_.cancelled;
    showResult();
}

void frmImport::showResult() {
    const Kind k = kind();
    if (result_.cancelled)
        lblCounts_->setText(QStringLiteral("The check was cancelled."));
    else
        lblCounts_->setText(countsText(result_.counts, k, result_.stored));
    QStringList headings = {QStringLiteral("Line"),     fieldName(k, Field::Code),
                            QStringLiteral("Product"),  QStringLiteral("Category"),
                            QStringLiteral("Location"), QStringLiteral("Supplier"),
                            QStringLiteral("Cost"),     QStringLiteral("Date added")};
    if (k == Kind::Licences)
        headings << QStringLiteral("Expires") << QStringLiteral("Type");
    tblPreview_->clear();
    tblPreview_->setColumnCount(static_cast<int>(headings.size()));
    tblPreview_->setHorizontalHeaderLabels(headings);
    tblPreview_->setRowCount(static_cast<int>(result_.preview.size()));
    for (int row = 0; row < static_cast<int>(result_.preview.size()); ++row) {
        const PreviewRow& p = result_.preview.at(static_cast<size_t>(row));
        QStringList cells = {QString::number(p.line),
                             p.code,
                             p.product,
                             p.category,
                             p.location,
                             p.supplier,
                             p.cost,
                             p.dateAdded};
        if (k == Kind::Licences)
            cells << p.expires << p.type;
        for (int c = 0; c < cells.size(); ++c)
            tblPreview_->setItem(row, c, new QTableWidgetItem(cells.at(c)));
    }
    tblPreview_->resizeColumnsToContents();
    lstProblems_->clear();
    for (const Problem& p : result_.problems)
        lstProblems_->addItem(
            p.column.isEmpty() ? p.text() : p.text() + QStringLiteral("  [%1]").arg(p.column));
    if (result_.unlistedProblems > 0)
        lstProblems_->addItem(QStringLiteral("and %1 more problems").arg(result_.unlistedProblems));
    for (const QString& column : result_.ignoredColumns)
        lstProblems_->addItem(QStringLiteral("column \"%1\" is ignored").arg(column));
    if (auto* gated = dynamic_cast<GatedPage*>(page(PreviewPage)))
        gated->changed();
}

bool frmImport::validateCurrentPage() {
    if (currentId() != PreviewPage)
        return QWizard::validateCurrentPage();
    return runImport();
}

bool frmImport::runImport() {
    const ImportOptions o = options();
    clsImport& logic = session_.logic<clsImport>();
    result_ = runWithProgress(this, QStringLiteral("Importing %1…").arg(o.path),
                              [&](const Progress& p) { return logic.Import(o, p); });
    common::Messages& messages = session_.messages();
    if (result_.stored) {
        imported_ = true;
        QString text = countsText(result_.counts, kind(), true);
        if (!result_.rejectedFile.isEmpty())
            text += QStringLiteral("\rThe rows left out are in %1").arg(result_.rejectedFile);
        messages.notify(text);
        return true;
    }
    showResult();
    if (result_.cancelled)
        messages.notify(QStringLiteral("The import was cancelled; nothing was stored"));
    else
        messages.refuse(
            QStringLiteral("Nothing was imported: %1 problems")
                .arg(static_cast<qint64>(result_.problems.size()) + result_.unlistedProblems));
    return false;
}

bool showImport(common::Session& session, QWidget* parent) {
    frmImport wizard(session, parent);
    wizard.exec();
    return wizard.imported();
}

} // namespace imports
