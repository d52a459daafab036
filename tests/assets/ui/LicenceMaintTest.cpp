#include "assets/ui/frmLicenceMaint.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/ReportList.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationList.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "suppliers/ui/frmSupplierList.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using assets::frmLicenceMaint;
using testing_support::child;
using testing_support::WhenModal;

namespace {

class LicenceMaint : public ::testing::Test {
protected:
    void SetUp() override {
        licRoom = t.addLocation(QStringLiteral("server ROOM"), 2, 2, 2);
        const int soft = t.addCategory(QStringLiteral("Software"));
        word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"), soft);
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES ('Acme')"));
        acme = static_cast<int>(t.db().lastInsertId());
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    std::unique_ptr<frmLicenceMaint> open(const QString& mode, int prodId, int licId) {
        auto d = std::make_unique<frmLicenceMaint>(session);
        d->Mode = mode;
        d->ProdID = prodId;
        d->LicID = licId;
        d->show();
        return d;
    }
    static QLineEdit* edit(const QWidget* d, const char* name) { return child<QLineEdit>(d, name); }
    static QPushButton* button(const QWidget* d, const char* name) {
        return child<QPushButton>(d, name);
    }
    static QRadioButton* option(const QWidget* d, int index) {
        for (auto* b : d->findChildren<QRadioButton*>(QStringLiteral("optType")))
            if (b->property("index").toInt() == index)
                return b;
        ADD_FAILURE() << "no optType " << index;
        return nullptr;
    }
    std::optional<QString> licenceValue(const char* column, const QString& key) {
        return t.value(QStringLiteral("SELECT %1 FROM Licences WHERE Licence_Name = ?")
                           .arg(QString::fromLatin1(column)),
                       key);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    int licRoom = 0, word = 0, acme = 0;
};

} // namespace

TEST_F(LicenceMaint, AddPicksLocationAndSupplierAndKeepsARefusedKey) {
    auto d = open(common::mode::Add, word, 0);
    QSignalSpy changed(d.get(), &frmLicenceMaint::licenceChanged);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Adding a Licence"));
    auto* expiry = child<common::DatePicker>(d.get(), "dteExpDate");
    EXPECT_FALSE(expiry->hasDate());
    EXPECT_TRUE(option(d.get(), 0)->isChecked());
    EXPECT_EQ(child<QComboBox>(d.get(), "cboProdDesc")->currentText(), QStringLiteral("Word"));
    EXPECT_FALSE(child<QComboBox>(d.get(), "cboProdDesc")->isEnabled());

    WhenModal<locations::frmLocationList> pickLoc([this](locations::frmLocationList* list) {
        auto* tree = child<locations::LocationTreeView>(list, "tvLocations");
        tree->expandAll();
        tree->setCurrentItem(tree->node(locations::locationKey(licRoom)));
        child<QPushButton>(list, "btnSelect")->click();
    });
    child<QToolButton>(d.get(), "btnLocation")->click();
    EXPECT_TRUE(pickLoc.ran());
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("Server Room"));
    WhenModal<suppliers::frmSupplierList> pickSupp([](suppliers::frmSupplierList* list) {
        child<common::ReportList>(list, "lvSupplyList")->topLevelItem(0)->setSelected(true);
        child<QPushButton>(list, "btnSelect")->click();
    });
    child<QToolButton>(d.get(), "btnGetsupp")->click();
    EXPECT_TRUE(pickSupp.ran());
    EXPECT_EQ(edit(d.get(), "txtSuppName")->text(), QStringLiteral("Acme"));

    option(d.get(), 1)->setChecked(true);
    expiry->setDate(QDate(2027, 6, 30));
    QTest::keyClicks(edit(d.get(), "txtCode"), QStringLiteral("key-1"));
    QTest::keyClicks(edit(d.get(), "txtCost"), QStringLiteral("250"));
    QTest::keyClick(edit(d.get(), "txtCost"), Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('|').toStdString();
    EXPECT_EQ(changed.size(), 1);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(edit(d.get(), "txtCode")->text().isEmpty());
    EXPECT_EQ(edit(d.get(), "txtCost")->text(), QStringLiteral("250.00"));
    EXPECT_EQ(licenceValue("Type", QStringLiteral("KEY-1")), QStringLiteral("T"));
    EXPECT_EQ(licenceValue("Loc_ID", QStringLiteral("KEY-1")), QString::number(licRoom));
    EXPECT_EQ(licenceValue("Supp_ID", QStringLiteral("KEY-1")), QString::number(acme));
    EXPECT_EQ(licenceValue("Exp_Date", QStringLiteral("KEY-1")), QStringLiteral("2027-06-30"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Loc_Desc FROM StockHistory WHERE Type = 'L'")),
              QStringLiteral("Server Room"));

    // The same key again: refused, and the key stays to be corrected.
    QTest::keyClicks(edit(d.get(), "txtCode"), QStringLiteral("key-1"));
    QTest::keyClick(edit(d.get(), "txtCode"), Qt::Key_Return);
    EXPECT_EQ(messages.texts(),
              QStringList{"The licence key: KEY-1, already exists - unable to add"});
    EXPECT_EQ(edit(d.get(), "txtCode")->text(), QStringLiteral("KEY-1"));
    EXPECT_EQ(changed.size(), 1);

    // Without a location the licence goes to the pool.
    child<QToolButton>(d.get(), "btnClearLoc")->click();
    edit(d.get(), "txtCode")->setText(QStringLiteral("KEY-2"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(licenceValue("Loc_ID", QStringLiteral("KEY-2")),
              QString::number(store::loc::AvailableLicences));
}

TEST_F(LicenceMaint, ModifyOrViewWithoutALicenceClosesAfterItsMessage) {
    for (const QString& mode : {common::mode::Modify, common::mode::View}) {
        SCOPED_TRACE(mode.toStdString());
        messages.clear();
        auto d = open(mode, word, 0);
        EXPECT_EQ(messages.texts(), QStringList{"Internal Error:  No licence ID set"});
        EXPECT_FALSE(button(d.get(), "btnAdd")->isEnabled());
        QApplication::processEvents();
        EXPECT_FALSE(d->isVisible());
    }
}

TEST_F(LicenceMaint, ModifyKeepsTheDialogOpenUntilItStores) {
    const int other = t.addLicence(QStringLiteral("OTHER"), word, licRoom, store::LicenceNormal);
    const int id = t.addLicence(QStringLiteral("TEMP-1"), word, store::loc::AvailableLicences,
                                store::LicenceTemporary);
    ASSERT_NE(other, id);
    auto d = open(common::mode::Modify, word, id);
    QSignalSpy changed(d.get(), &frmLicenceMaint::licenceChanged);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Modifying a Licence"));
    EXPECT_EQ(button(d.get(), "btnAdd")->text(), QStringLiteral("&Modify"));
    EXPECT_TRUE(option(d.get(), 1)->isChecked());
    EXPECT_FALSE(child<common::DatePicker>(d.get(), "dteExpDate")->hasDate());
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("Available Licences"));
    EXPECT_TRUE(child<QComboBox>(d.get(), "cboProdDesc")->isEnabled());

    edit(d.get(), "txtCode")->setText(QStringLiteral("other"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(messages.texts(),
              QStringList{"The licence key: OTHER, already exists - unable to modify"});
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->LicID, id);

    edit(d.get(), "txtCode")->setText(QStringLiteral("temp-2"));
    option(d.get(), 0)->setChecked(true);
    button(d.get(), "btnAdd")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->LicID, 0);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(licenceValue("Type", QStringLiteral("TEMP-2")), QStringLiteral("N"));
}

TEST_F(LicenceMaint, ViewAndAMissingProduct) {
    const int id = t.addLicence(QStringLiteral("K-1"), word, licRoom, store::LicenceNormal);
    auto d = open(common::mode::View, 0, id);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Viewing of a Licence"));
    EXPECT_FALSE(child<QGroupBox>(d.get(), "fraLicence")->isEnabled());
    EXPECT_FALSE(button(d.get(), "btnAdd")->isVisible());
    EXPECT_EQ(edit(d.get(), "txtCode")->text(), QStringLiteral("K-1"));
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("server ROOM"));

    d = open(common::mode::Add, 0, 0);
    edit(d.get(), "txtCode")->setText(QStringLiteral("K-2"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: ProductID not set"});
    EXPECT_EQ(edit(d.get(), "txtCode")->text(), QStringLiteral("K-2"));
    EXPECT_EQ(t.count(QStringLiteral("Licences")), 1);
}

TEST_F(LicenceMaint, TheProductIsChosenByIdWhenTwoShareADescription) {
    const int twin = t.addProduct(QStringLiteral("W2"), QStringLiteral("Word"),
                                  t.addCategory(QStringLiteral("Office")));
    const int id = t.addLicence(QStringLiteral("K-TWIN"), twin, store::loc::AvailableLicences,
                                store::LicenceNormal);
    {
        // Viewing shows the licence's own product, not the first "Word".
        auto d = open(common::mode::View, 0, id);
        EXPECT_EQ(child<QComboBox>(d.get(), "cboProdDesc")->currentData().toInt(), twin);
    }
    auto d = open(common::mode::Modify, twin, id);
    auto* product = child<QComboBox>(d.get(), "cboProdDesc");
    ASSERT_EQ(product->count(), 2);
    EXPECT_EQ(product->currentData().toInt(), twin);
    // Storing unchanged keeps the twin; choosing the other takes that one.
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(licenceValue("Prod_ID", QStringLiteral("K-TWIN")), QString::number(twin));
    auto again = open(common::mode::Modify, twin, id);
    product = child<QComboBox>(again.get(), "cboProdDesc");
    product->setCurrentIndex(product->findData(word));
    button(again.get(), "btnAdd")->click();
    EXPECT_EQ(licenceValue("Prod_ID", QStringLiteral("K-TWIN")), QString::number(word));
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('|').toStdString();
}
