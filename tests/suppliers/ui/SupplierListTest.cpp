#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/ReportList.h"
#include "store/Database.h"
#include "suppliers/clsSuppliers.h"
#include "suppliers/ui/frmSupplierList.h"
#include "suppliers/ui/frmSupplierMaint.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using common::ReportList;
using suppliers::frmSupplierList;
using suppliers::frmSupplierMaint;
using testing_support::child;
using testing_support::WhenModal;

namespace {

// The list with its pop-up menu recorded instead of opened.
class RecordingList : public frmSupplierList {
public:
    using frmSupplierList::frmSupplierList;
    std::vector<QMenu*> popped;

protected:
    void popUp(QMenu* menu, const QPoint&) override { popped.push_back(menu); }
};

class SupplierList : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    suppliers::clsSuppliers& logic() { return session.logic<suppliers::clsSuppliers>(); }
    int add(const QString& name, const QString& contact = {}) {
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name, Area, Telephone, "
                                      "Contact) VALUES (?, '0113', '123', ?)"),
                       name, contact);
        return static_cast<int>(t.db().lastInsertId());
    }
    QString nameOf(int id) {
        store::Query q(t.db(), QStringLiteral("SELECT Supp_Name FROM Suppliers WHERE "
                                              "Supplier_ID = ?"));
        q.bindAll(id);
        return q.next() ? q.rawText(QStringLiteral("Supp_Name")) : QString();
    }
    static ReportList* list(const QWidget* w) { return child<ReportList>(w, "lvSupplyList"); }
    static QPushButton* button(const QWidget* w, const char* name) {
        return child<QPushButton>(w, name);
    }
    static void selectRow(const QWidget* w, int row) {
        list(w)->setCurrentItem(list(w)->topLevelItem(row));
        list(w)->topLevelItem(row)->setSelected(true);
    }
    static QStringList names(const QWidget* w) {
        QStringList out;
        for (int i = 0; i < list(w)->topLevelItemCount(); ++i)
            out << list(w)->topLevelItem(i)->text(0);
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
};

} // namespace

TEST_F(SupplierList, EmptyListDisablesItsButtonsAndTheFirstAddEnablesThem) {
    frmSupplierList window(session);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Supply List"));
    EXPECT_EQ(list(&window)->topLevelItemCount(), 0);
    for (const char* name : {"btnSelect", "btnModify", "btnView", "btnDelete"})
        EXPECT_FALSE(button(&window, name)->isEnabled()) << name;
    EXPECT_TRUE(button(&window, "btnAdd")->isEnabled());
    EXPECT_TRUE(button(&window, "btnClose")->isEnabled());

    WhenModal<frmSupplierMaint> dialog([](frmSupplierMaint* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Supplier details"));
        EXPECT_EQ(child<QPushButton>(d, "btnOK")->text(), QStringLiteral("&Add"));
        EXPECT_EQ(child<common::DatePicker>(d, "DTSupplyDate")->dateTime(),
                  testing_support::testNow());
        child<QLineEdit>(d, "txtSupp")->setText(QStringLiteral("Acme"));
        child<QLineEdit>(d, "txtContact")->setText(QStringLiteral("Jo"));
        child<QPushButton>(d, "btnOK")->click();
        EXPECT_FALSE(d->isVisible());
    });
    button(&window, "btnAdd")->click();
    EXPECT_TRUE(dialog.ran());
    EXPECT_EQ(names(&window), QStringList{"Acme"});
    EXPECT_EQ(list(&window)->topLevelItem(0)->text(2), QStringLiteral("Jo"));
    for (const char* name : {"btnSelect", "btnModify", "btnView", "btnDelete"})
        EXPECT_TRUE(button(&window, name)->isEnabled()) << name;
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(SupplierList, SelectHandsTheSupplierBackAndCloseAfterwardsHandsNone) {
    add(QStringLiteral("Acme"));
    const int bolt = add(QStringLiteral("  Bolt  "));
    WhenModal<frmSupplierList> choose([](frmSupplierList* w) {
        selectRow(w, 1);
        button(w, "btnSelect")->click();
    });
    const auto chosen = suppliers::pickSupplier(session, nullptr);
    EXPECT_TRUE(choose.ran());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->first, bolt);
    EXPECT_EQ(chosen->second, QStringLiteral("Bolt"));
    EXPECT_EQ(logic().SelSuppID, bolt);

    // The supplier is deleted elsewhere; Close must not hand it back.
    WhenModal<frmSupplierList> close([](frmSupplierList* w) { button(w, "btnClose")->click(); });
    EXPECT_FALSE(suppliers::pickSupplier(session, nullptr));
    EXPECT_TRUE(close.ran());
    EXPECT_EQ(logic().SelSuppID, 0);
    EXPECT_TRUE(logic().SelSuppName.isEmpty());
}

TEST_F(SupplierList, DoubleClickAndEnterChoose) {
    const int acme = add(QStringLiteral("Acme"));
    {
        frmSupplierList window(session);
        window.show();
        QTreeWidgetItem* row = list(&window)->topLevelItem(0);
        const QPoint at = list(&window)->visualItemRect(row).center();
        QTest::mouseClick(list(&window)->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list(&window)->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_EQ(logic().SelSuppID, acme);
    }
    {
        frmSupplierList window(session);
        EXPECT_EQ(logic().SelSuppID, 0); // forgotten as the list opens
        window.show();
        // Enter with no row selected does nothing.
        list(&window)->clearSelection();
        QTest::keyClick(list(&window), Qt::Key_Return);
        EXPECT_EQ(logic().SelSuppID, 0);
        selectRow(&window, 0);
        QTest::keyClick(list(&window), Qt::Key_Return);
        EXPECT_EQ(logic().SelSuppID, acme);
        EXPECT_EQ(logic().SelSuppName, QStringLiteral("Acme"));
    }
}

TEST_F(SupplierList, ModifyStoresUnderTheSupplierItOpenedWith) {
    const int acme = add(QStringLiteral("Acme"));
    const int bolt = add(QStringLiteral("Bolt"));
    frmSupplierList window(session);
    selectRow(&window, 0);
    WhenModal<frmSupplierMaint> dialog([&](frmSupplierMaint* d) {
        EXPECT_EQ(child<QPushButton>(d, "btnOK")->text(), QStringLiteral("&Modify"));
        EXPECT_EQ(child<QLineEdit>(d, "txtSupp")->text(), QStringLiteral("Acme"));
        // The list's selection moves on while the dialog is open.
        selectRow(&window, 1);
        child<QLineEdit>(d, "txtSupp")->setText(QStringLiteral("Acme Group"));
        child<QPushButton>(d, "btnOK")->click();
    });
    button(&window, "btnModify")->click();
    EXPECT_TRUE(dialog.ran());
    EXPECT_EQ(nameOf(acme), QStringLiteral("Acme Group"));
    EXPECT_EQ(nameOf(bolt), QStringLiteral("Bolt"));
    EXPECT_EQ(names(&window), (QStringList{"Acme Group", "Bolt"}));
}

TEST_F(SupplierList, ModifyToAnotherSuppliersNameIsRefusedAndStaysOpen) {
    add(QStringLiteral("Acme"));
    const int bolt = add(QStringLiteral("Bolt"));
    frmSupplierList window(session);
    selectRow(&window, 1);
    WhenModal<frmSupplierMaint> dialog([&](frmSupplierMaint* d) {
        child<QLineEdit>(d, "txtSupp")->setText(QStringLiteral("ACME"));
        child<QPushButton>(d, "btnOK")->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(messages.texts(), QStringList{"This supplier already exists"});
    });
    button(&window, "btnModify")->click();
    EXPECT_TRUE(dialog.ran());
    EXPECT_EQ(nameOf(bolt), QStringLiteral("Bolt"));
}

TEST_F(SupplierList, ViewShowsTheSupplierReadOnly) {
    add(QStringLiteral("Acme"), QStringLiteral("Jo"));
    frmSupplierList window(session);
    selectRow(&window, 0);
    WhenModal<frmSupplierMaint> dialog([](frmSupplierMaint* d) {
        EXPECT_EQ(child<QLineEdit>(d, "txtContact")->text(), QStringLiteral("Jo"));
        EXPECT_FALSE(child<QGroupBox>(d, "frmSuppDets")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(d, "btnOK")->isEnabled());
        EXPECT_TRUE(child<QPushButton>(d, "btnCancel")->isEnabled());
        child<QPushButton>(d, "btnCancel")->click();
    });
    button(&window, "btnView")->click();
    EXPECT_TRUE(dialog.ran());
}

TEST_F(SupplierList, DeleteAsksAndRefusesATiedSupplier) {
    const int acme = add(QStringLiteral("Acme"));
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desktop"), cat);
    t.db().execute(QStringLiteral("UPDATE Products SET Supp_ID = ?"), acme);
    frmSupplierList window(session);
    selectRow(&window, 0);

    messages.answer({false});
    button(&window, "btnDelete")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you wish to delete this supplier"});
    EXPECT_EQ(names(&window), QStringList{"Acme"});

    messages.clear();
    messages.answer({true});
    button(&window, "btnDelete")->click();
    EXPECT_EQ(messages.texts(),
              (QStringList{"Are you sure you wish to delete this supplier",
                           "There is atleast one product still tied to this supplier, unable to "
                           "remove"}));
    EXPECT_EQ(names(&window), QStringList{"Acme"});

    t.db().execute(QStringLiteral("DELETE FROM Products WHERE Prod_ID = ?"), prod);
    messages.clear();
    selectRow(&window, 0);
    messages.answer({true});
    button(&window, "btnDelete")->click();
    EXPECT_EQ(names(&window), QStringList{});
    EXPECT_FALSE(button(&window, "btnSelect")->isEnabled());
}

TEST_F(SupplierList, RightPressPopsTheListsOwnMenuWithItemsFromTheSelection) {
    add(QStringLiteral("Acme"));
    RecordingList window(session);
    window.show();
    list(&window)->clearSelection();
    QTest::mouseClick(list(&window)->viewport(), Qt::RightButton, {},
                      QPoint(5, list(&window)->viewport()->height() - 3));
    ASSERT_EQ(window.popped.size(), 1u);
    QMenu* menu = window.popped[0];
    EXPECT_EQ(menu->objectName(), QStringLiteral("mnuSuppliers"));
    const auto items = menu->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Add"));
    EXPECT_EQ(items[3]->text(), QStringLiteral("Delete"));
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("mnuSup"));
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[1]->isEnabled());
    EXPECT_FALSE(items[2]->isEnabled());
    EXPECT_FALSE(items[3]->isEnabled());

    const QPoint row = list(&window)->visualItemRect(list(&window)->topLevelItem(0)).center();
    QTest::mouseClick(list(&window)->viewport(), Qt::RightButton, {}, row);
    EXPECT_TRUE(items[1]->isEnabled());
    EXPECT_TRUE(items[3]->isEnabled());

    // The menu's Modify stores as the button does.
    WhenModal<frmSupplierMaint> dialog([](frmSupplierMaint* d) {
        EXPECT_EQ(child<QPushButton>(d, "btnOK")->text(), QStringLiteral("&Modify"));
        child<QLineEdit>(d, "txtSupp")->setText(QStringLiteral("Acme 2"));
        child<QPushButton>(d, "btnOK")->click();
    });
    items[1]->trigger();
    EXPECT_TRUE(dialog.ran());
    EXPECT_EQ(names(&window), QStringList{"Acme 2"});
}

TEST_F(SupplierList, KeyFiltersOfTheSupplierDialog) {
    frmSupplierMaint d(session);
    d.show();
    auto* phone = child<QLineEdit>(&d, "txtPhone");
    QTest::keyClicks(phone, QStringLiteral("+44 (01) 2a3-b4.5"));
    EXPECT_EQ(phone->text(), QStringLiteral("+44 (01) 23-45"));
    auto* area = child<QLineEdit>(&d, "txtPhoneArea");
    QTest::keyClicks(area, QStringLiteral("1234567"));
    EXPECT_EQ(area->text(), QStringLiteral("123456"));
    EXPECT_EQ(messages.texts(), QStringList{"Only 6 characters allowed"});
    messages.clear();
    auto* post = child<QLineEdit>(&d, "txtPostCode");
    QTest::keyClicks(post, QStringLiteral("LS1 '1|AA"));
    EXPECT_EQ(post->text(), QStringLiteral("LS1 '1AA"));

    // Enter in txtSupp stores below the limit, names the limit at it.
    auto* name = child<QLineEdit>(&d, "txtSupp");
    name->setText(QString(50, QLatin1Char('n')));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(messages.texts(), QStringList{"Only 50 characters allowed"});
    EXPECT_TRUE(d.isVisible());
    messages.clear();
    name->setText(QString(49, QLatin1Char('n')));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(nameOf(1), QString(49, QLatin1Char('n')));
}

TEST_F(SupplierList, RefusalsPutTheFocusOnTheirField) {
    frmSupplierMaint d(session);
    d.show();
    d.activateWindow();
    child<QLineEdit>(&d, "txtSupp")->setText(QStringLiteral("Acme"));
    child<QLineEdit>(&d, "txtWeb")->setText(QStringLiteral("no web"));
    child<QPushButton>(&d, "btnOK")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Invalid web address"});
    EXPECT_EQ(d.focusWidget(), child<QLineEdit>(&d, "txtWeb"));
    EXPECT_TRUE(d.isVisible());
}

TEST_F(SupplierList, PastedTextIsStoredAsGivenOrRefusedOnItsField) {
    // Pasted into a box (Ctrl+V), as the user does.
    const auto paste = [](QLineEdit* box, const QString& text) {
        box->clear();
        QGuiApplication::clipboard()->setText(text);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    };
    struct Case {
        const char* box;
        const char* pasted;
        const char* message;
    };
    const Case refusals[] = {
        {"txtPhone", "020 7946 x58", "Please enter a valid phone number"},
        {"txtFaxNo", "7946\t0958", "Please enter a valid fax number"},
        {"txtPhoneArea", "O20", "Please enter a valid phone area code"},
        {"txtTown", "Leeds | York", "Please enter a valid town"},
        {"txtEmail", "ann\t@example.com", "Invalid email address"},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.box);
        messages.clear();
        frmSupplierMaint d(session);
        d.show();
        d.activateWindow();
        QTest::keyClicks(child<QLineEdit>(&d, "txtSupp"), QStringLiteral("O'Neill"));
        auto* box = child<QLineEdit>(&d, c.box);
        paste(box, QString::fromLatin1(c.pasted));
        ASSERT_EQ(box->text(), QString::fromLatin1(c.pasted));
        child<QLineEdit>(&d, "txtContact")->setFocus();
        child<QPushButton>(&d, "btnOK")->click();
        EXPECT_EQ(messages.texts(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(d.focusWidget(), box);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(box->text(), QString::fromLatin1(c.pasted));
    }
    EXPECT_EQ(t.count(QStringLiteral("Suppliers")), 0);

    // Stored as given: the apostrophe, "+" and "-", the whole e-mail.
    messages.clear();
    frmSupplierMaint d(session);
    d.show();
    paste(child<QLineEdit>(&d, "txtSupp"), QStringLiteral("O'Neill & Sons"));
    paste(child<QLineEdit>(&d, "txtPhone"), QStringLiteral("+44 20 7946 0958"));
    paste(child<QLineEdit>(&d, "txtFaxNo"), QStringLiteral("020-7946-0959"));
    paste(child<QLineEdit>(&d, "txtEmail"), QStringLiteral("o'neill+sales@example.com"));
    paste(child<QLineEdit>(&d, "txtAdd1"), QStringLiteral("Manager's Office"));
    child<QPushButton>(&d, "btnOK")->click();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(d.isVisible());
    const suppliers::SupplierFields f = session.logic<suppliers::clsSuppliers>().GetSuppDets(1);
    EXPECT_EQ(f.name, QStringLiteral("O'Neill & Sons"));
    EXPECT_EQ(f.telephone, QStringLiteral("+44 20 7946 0958"));
    EXPECT_EQ(f.fax, QStringLiteral("020-7946-0959"));
    EXPECT_EQ(f.email, QStringLiteral("o'neill+sales@example.com"));
    EXPECT_EQ(f.add1, QStringLiteral("Manager's Office"));
}

TEST_F(SupplierList, TheDialogsTabThroughTheirFieldsThenTheirButtons) {
    frmSupplierMaint dialog(session);
    EXPECT_EQ(
        testing_support::tabOrder(&dialog),
        (QStringList{"txtSupp", "txtAdd1", "txtAdd1", "txtAdd1", "txtTown", "txtCounty",
                     "txtPostCode", "txtPhoneArea", "txtPhone", "txtFaxArea", "txtFaxNo",
                     "txtEmail", "txtWeb", "txtContact", "DTSupplyDate", "btnOK", "btnCancel"}));
    add(QStringLiteral("Acme"));
    frmSupplierList list(session);
    EXPECT_EQ(testing_support::tabOrder(&list),
              (QStringList{"lvSupplyList", "btnSelect", "btnAdd", "btnModify", "btnView",
                           "btnDelete", "btnClose"}));
}

TEST_F(SupplierList, TheDialogStoresByTheModeItWasGivenNotByItsCaption) {
    const int acme = add(QStringLiteral("Acme"));
    frmSupplierMaint dialog(session);
    dialog.GetSuppDets(acme);
    dialog.setModifyMode();
    EXPECT_EQ(child<QPushButton>(&dialog, "btnOK")->text(), QStringLiteral("&Modify"));
    // The caption only shows the mode: changed, it changes nothing.
    child<QPushButton>(&dialog, "btnOK")->setText(QStringLiteral("&Add"));
    child<QLineEdit>(&dialog, "txtSupp")->setText(QStringLiteral("Acme Group"));
    child<QPushButton>(&dialog, "btnOK")->click();
    EXPECT_EQ(nameOf(acme), QStringLiteral("Acme Group"));
    EXPECT_EQ(t.count(QStringLiteral("Suppliers")), 1);
}

TEST_F(SupplierList, KeysReachTheMenusItemsAndTheMenuKeyPopsItUp) {
    const int acme = add(QStringLiteral("Acme"));
    add(QStringLiteral("Bolt"));
    RecordingList window(session);
    window.show();
    ReportList* view = list(&window);

    // The right button over a row selects it before the menu is made.
    selectRow(&window, 1);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {},
                      view->visualItemRect(view->topLevelItem(0)).center());
    EXPECT_EQ(view->selectedKey(), QStringLiteral("S%1").arg(acme));
    ASSERT_EQ(window.popped.size(), 1u);
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
          std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        window.popped.clear();
        QTest::keyClick(view, key, modifiers);
        ASSERT_EQ(window.popped.size(), 1u);
        EXPECT_EQ(window.popped[0], window.contextMenu());
        EXPECT_TRUE(window.contextMenu()->actions().at(suppliers::SupDelete)->isEnabled());
    }

    // Insert adds, F2 modifies the selected supplier, Delete asks first.
    QString mode;
    {
        WhenModal<frmSupplierMaint> dialog(
            [&](frmSupplierMaint* d) { mode = child<QPushButton>(d, "btnOK")->text(); });
        QTest::keyClick(view, Qt::Key_Insert);
        EXPECT_TRUE(dialog.ran());
        EXPECT_EQ(mode, QStringLiteral("&Add"));
    }
    {
        WhenModal<frmSupplierMaint> dialog([&](frmSupplierMaint* d) {
            mode = child<QPushButton>(d, "btnOK")->text();
            EXPECT_EQ(child<QLineEdit>(d, "txtSupp")->text(), QStringLiteral("Acme"));
        });
        QTest::keyClick(view, Qt::Key_F2);
        EXPECT_TRUE(dialog.ran());
        EXPECT_EQ(mode, QStringLiteral("&Modify"));
    }
    messages.answer({false});
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you wish to delete this supplier"});
    EXPECT_EQ(nameOf(acme), QStringLiteral("Acme"));

    // With no row, only Insert acts; Enter still chooses.
    view->clearSelection();
    messages.clear();
    QTest::keyClick(view, Qt::Key_F2);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_TRUE(messages.shown().empty());
    selectRow(&window, 0);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(logic().SelSuppID, acme);
}
