#pragma once

// File > "Import…": the wizard that brings a register kept as CSV in. Its
// pages: the file (through the file chooser hook), the kind and the
// options; the columns and the field each gives; the dry run's preview
// with every problem; then the import itself, in one transaction, with a
// progress bar and Cancel.

#include "import/clsImport.h"

#include <QWizard>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTableWidget;

namespace common {
class Session;
}

namespace imports {

class frmImport : public QWizard {
    Q_OBJECT
public:
    enum PageId { FilePage, MapPage, PreviewPage };

    explicit frmImport(common::Session& session, QWidget* parent = nullptr);

    // The options as the pages now set them.
    ImportOptions options() const;
    // What the last dry run or import found.
    const ImportResult& result() const { return result_; }
    // True once an import was stored.
    bool imported() const { return imported_; }

protected:
    void initializePage(int id) override;
    bool validateCurrentPage() override;

private:
    void chooseFile();
    void fillMapping();
    void runDryRun();
    bool runImport();
    void showResult();
    Kind kind() const;

    common::Session& session_;
    QLineEdit* txtFile_ = nullptr;
    QRadioButton* optStock_ = nullptr;
    QRadioButton* optLicences_ = nullptr;
    QCheckBox* chkCreateMissing_ = nullptr;
    QCheckBox* chkSkipBad_ = nullptr;
    QComboBox* cboSeparator_ = nullptr;
    QTableWidget* tblMap_ = nullptr;
    QLabel* lblCounts_ = nullptr;
    QTableWidget* tblPreview_ = nullptr;
    QListWidget* lstProblems_ = nullptr;
    ImportResult result_;
    bool imported_ = false;
    bool dryRunDone_ = false;
};

// Opens the wizard over parent; true when an import was stored.
bool showImport(common::Session& session, QWidget* parent);

} // namespace imports
