// File > "Import…": the wizard's file, columns and preview pages, and the
// import it runs.

#include "common/Session.h"
#include "import/ui/frmImport.h"
#include "store/Database.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using imports::frmImport;
using testing_support::child;

namespace {

class ImportWizard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const int laptops = t.addCategory(QStringLiteral("Laptops"));
        const int latitude =
            t.addProduct(QStringLiteral("LAT"), QStringLiteral("Latitude 5420"), laptops);
        t.addLocation(QStringLiteral("Head Office"), 1, 2, 1);
        t.addStock(QStringLiteral("LT-0042"), latitude, 1);
    }

    // The wizard on the file, at its preview page.
    void openOn(const QByteArray& csv) {
        const QString path = dir.filePath(QStringLiteral("register.csv"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(csv);
        f.close();
        hooks.files.choose(path);
        wizard = std::make_unique<frmImport>(session);
        wizard->show();
        child<QPushButton>(wizard.get(), "btnBrowse")->click();
        ASSERT_EQ(child<QLineEdit>(wizard.get(), "txtFile")->text(), path);
        ASSERT_TRUE(wizard->button(QWizard::NextButton)->isEnabled());
        wizard->next();
        ASSERT_EQ(wizard->currentId(), frmImport::MapPage);
    }

    QStringList problems() const {
        QStringList out;
        auto* list = child<QListWidget>(wizard.get(), "lstProblems");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    QTemporaryDir dir;
    std::unique_ptr<frmImport> wizard;
};

TEST_F(ImportWizard, MapsColumnsPreviewsAndImports) {
    openOn("Asset tag,Model,Site,Notes\r\n"
           "lt-1,Latitude 5420,Head Office > Room 1,\r\n"
           "LT-2,latitude 5420,Head Office > Room 2,spare\r\n");
    auto* map = child<QTableWidget>(wizard.get(), "tblMap");
    ASSERT_EQ(map->rowCount(), 4);
    EXPECT_EQ(qobject_cast<QComboBox*>(map->cellWidget(0, 1))->currentText(),
              QStringLiteral("stock code"));
    EXPECT_EQ(qobject_cast<QComboBox*>(map->cellWidget(3, 1))->currentText(),
              QStringLiteral("(ignore)"));
    wizard->next();
    ASSERT_EQ(wizard->currentId(), frmImport::PreviewPage);
    EXPECT_TRUE(child<QLabel>(wizard.get(), "lblCounts")
                    ->text()
                    .contains(QStringLiteral("Will import 2 stock items; new: 2 locations")));
    auto* preview = child<QTableWidget>(wizard.get(), "tblPreview");
    ASSERT_EQ(preview->rowCount(), 2);
    EXPECT_EQ(preview->item(0, 1)->text(), QStringLiteral("LT-1"));
    EXPECT_EQ(preview->item(1, 4)->text(), QStringLiteral("Head Office › Room 2"));
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
    ASSERT_TRUE(wizard->button(QWizard::FinishButton)->isEnabled());

    wizard->button(QWizard::FinishButton)->click();
    EXPECT_TRUE(wizard->imported());
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 3);
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_TRUE(messages.texts().back().contains(QStringLiteral("Imported 2 stock items")))
        << messages.texts().back().toStdString();
}

TEST_F(ImportWizard, ProblemsHoldTheImportBackAndAColumnCanBeIgnored) {
    openOn("Asset tag,Model,Site\r\n"
           "LT-1,Latitude 5420,Head Office\r\n"
           "lt-0042,Latitude 5420,Head Office\r\n");
    wizard->next();
    EXPECT_TRUE(problems().contains(
        QStringLiteral("line 3: stock code LT-0042 is already in the register  [Asset tag]")))
        << problems().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(wizard->button(QWizard::FinishButton)->isEnabled());

    // The code column ignored by hand: the file no longer gives codes.
    wizard->back();
    wizard->back();
    wizard->next();
    auto* map = child<QTableWidget>(wizard.get(), "tblMap");
    auto* code = qobject_cast<QComboBox*>(map->cellWidget(0, 1));
    code->setCurrentIndex(code->findText(QStringLiteral("(ignore)")));
    wizard->next();
    EXPECT_TRUE(problems().contains(QStringLiteral("line 1: no column gives the stock code")))
        << problems().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(wizard->button(QWizard::FinishButton)->isEnabled());
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
}

} // namespace
