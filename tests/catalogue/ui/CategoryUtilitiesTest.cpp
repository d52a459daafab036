#include "catalogue/ui/BoxAnswers.h"
#include "catalogue/ui/frmCategoryMaint.h"
#include "catalogue/ui/pgCategoryUtilities.h"
#include "common/Session.h"
#include "common/ui/BoxMessages.h"
#include "common/ui/ReportList.h"
#include "store/Database.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <array>

using catalogue::frmCategoryMaint;
using common::ReportList;
using testing_support::child;
using testing_support::RecordingMain;
using testing_support::WhenModal;

namespace {

class CategoryPage : public ::testing::Test {
protected:
    void SetUp() override {
        printers = t.addCategory(QStringLiteral("Printers"));
        pcs = t.addCategory(QStringLiteral("PCs"));
        t.addProduct(QStringLiteral("P1"), QStringLiteral("Laser"), printers);
        window = std::make_unique<RecordingMain>(session, nullptr);
        window->show();
        window->SSTab1()->setCurrentIndex(common::CategoryUtilities);
        page = window->page(common::CategoryUtilities);
        list = child<ReportList>(page, "lvCategories");
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    QStringList column(int col) const {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(col);
        return out;
    }
    void press(Qt::MouseButton button, int row) { // row -1: the empty area
        list->clearSelection();
        const QPoint at = row < 0 ? QPoint(5, list->viewport()->height() - 3)
                                  : list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mouseClick(list->viewport(), button, {}, at);
    }
    std::array<bool, 3> menuStates() const {
        return {window->menuItem(QStringLiteral("mnuCat"), 0)->isEnabled(),
                window->menuItem(QStringLiteral("mnuCat"), 1)->isEnabled(),
                window->menuItem(QStringLiteral("mnuCat"), 2)->isEnabled()};
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<RecordingMain> window;
    common::Page* page = nullptr;
    ReportList* list = nullptr;
    int printers = 0, pcs = 0;
};

} // namespace

TEST_F(CategoryPage, EnteringThePageListsCategoriesWithCounts) {
    EXPECT_EQ(column(0), (QStringList{"PCs", "Printers"}));
    EXPECT_EQ(column(1), (QStringList{"0", "1"}));
    EXPECT_EQ(list->keyOf(list->topLevelItem(0)), QStringLiteral("C%1").arg(pcs));
    EXPECT_EQ(window->statusPanel(1)->text(),
              QStringLiteral(
                  "Shows all categories together with numbers of Products, Stock and Licences"));
}

TEST_F(CategoryPage, CountColumnsSortByNumber) {
    const int sizes[] = {10, 100, 9};
    for (int n : sizes) {
        const int cat = t.addCategory(QStringLiteral("Size %1").arg(n));
        for (int i = 0; i < n; ++i)
            t.addProduct(QStringLiteral("%1-%2").arg(n).arg(i), QStringLiteral("D"), cat);
    }
    page->rebuild();
    list->headingClicked(1); // the first click sorts descending
    EXPECT_EQ(column(1), (QStringList{"100", "10", "9", "1", "0"}));
    list->headingClicked(1);
    EXPECT_EQ(column(1), (QStringList{"0", "1", "9", "10", "100"}));
    list->headingClicked(0); // the description column still sorts as text
    EXPECT_EQ(column(0).first(), QStringLiteral("Size 9"));
}

TEST_F(CategoryPage, MouseSetsTheMenuAndTheRightButtonPopsItUp) {
    press(Qt::RightButton, -1);
    EXPECT_EQ(menuStates(), (std::array<bool, 3>{true, false, false}));
    ASSERT_EQ(window->popped.size(), 1u);
    EXPECT_EQ(window->popped[0], window->sharedMenu(common::SharedMenu::Categorys));

    press(Qt::LeftButton, 0);
    EXPECT_EQ(menuStates(), (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(window->popped.size(), 1u);
}

TEST_F(CategoryPage, AddKeepsTheDialogOpenForTheNext) {
    press(Qt::RightButton, -1);
    QString caption, button, label;
    WhenModal<frmCategoryMaint> action([&](frmCategoryMaint* dialog) {
        caption = dialog->windowTitle();
        button = child<QPushButton>(dialog, "btnAction")->text();
        label = child<QLabel>(dialog, "lblCat")->text();
        auto* box = child<QLineEdit>(dialog, "txtCatDesc");
        QTest::keyClicks(box, QStringLiteral("   "));
        QTest::mouseClick(child<QPushButton>(dialog, "btnAction"), Qt::LeftButton);
        EXPECT_EQ(messages.texts(), QStringList{"Please enter a category"});
        EXPECT_EQ(dialog->focusWidget(), box);
        box->clear();
        QTest::keyClicks(box, QStringLiteral("Scan|ners"));
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_TRUE(column(0).contains(QStringLiteral("Scanners"))); // shown at once
        QTest::mouseClick(child<QPushButton>(dialog, "btnClose"), Qt::LeftButton);
    });
    window->menuItem(QStringLiteral("mnuCat"), 0)->trigger();
    ASSERT_TRUE(action.ran());
    EXPECT_EQ(caption, QStringLiteral("Adding a new category"));
    EXPECT_EQ(button, QStringLiteral("&Add"));
    EXPECT_EQ(label, QStringLiteral("Please enter your new category description"));
    EXPECT_EQ(column(0), (QStringList{"PCs", "Printers", "Scanners"}));
}

TEST_F(CategoryPage, DescriptionStopsAt50CharactersEvenForEnter) {
    frmCategoryMaint dialog(session, window.get());
    dialog.Mode = QStringLiteral("ADD");
    dialog.show();
    auto* box = child<QLineEdit>(&dialog, "txtCatDesc");
    QTest::keyClicks(box, QString(50, QLatin1Char('x')));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(messages.texts(), QStringList{"Only 50 characters allowed"});
    EXPECT_EQ(box->text().size(), 50);
    EXPECT_EQ(list->topLevelItemCount(), 2);

    // Pasted text is not cut at the limit behind the user's back: storing
    // it is refused with the same message.
    box->clear();
    QGuiApplication::clipboard()->setText(QString(51, QLatin1Char('p')));
    box->paste();
    EXPECT_EQ(box->text().size(), 51);
    QTest::mouseClick(child<QPushButton>(&dialog, "btnAction"), Qt::LeftButton);
    EXPECT_EQ(messages.texts(),
              (QStringList{"Only 50 characters allowed", "Only 50 characters allowed"}));
    EXPECT_EQ(list->topLevelItemCount(), 2);
}

TEST_F(CategoryPage, ModifyStartsFromTheRowAndClosesAfterTheRename) {
    press(Qt::RightButton, 1); // Printers
    QString shown, caption, button;
    bool closed = false;
    WhenModal<frmCategoryMaint> action([&](frmCategoryMaint* dialog) {
        auto* box = child<QLineEdit>(dialog, "txtCatDesc");
        shown = box->text();
        caption = dialog->windowTitle();
        button = child<QPushButton>(dialog, "btnAction")->text();
        QTest::keyClick(box, Qt::Key_Return); // unchanged
        EXPECT_TRUE(dialog->isVisible());
        box->setText(QStringLiteral("printers"));
        QTest::mouseClick(child<QPushButton>(dialog, "btnAction"), Qt::LeftButton);
        closed = !dialog->isVisible();
    });
    window->menuItem(QStringLiteral("mnuCat"), 1)->trigger();
    ASSERT_TRUE(action.ran());
    EXPECT_EQ(shown, QStringLiteral("Printers"));
    EXPECT_EQ(caption, QStringLiteral("Modifying an existing category"));
    EXPECT_EQ(button, QStringLiteral("&Modify"));
    EXPECT_EQ(messages.texts(), QStringList{"This category already exists"});
    EXPECT_TRUE(closed);
    EXPECT_EQ(column(0), (QStringList{"PCs", "printers"}));
}

TEST_F(CategoryPage, DoubleClickShowsTheCategorysProductsChosenById) {
    // Two categories shown alike: the one clicked is the one chosen.
    t.allowDuplicateTexts();
    const int twin = t.addCategory(QStringLiteral("Printers"));
    t.addProduct(QStringLiteral("T1"), QStringLiteral("Inkjet"), twin);
    page->rebuild();
    QTreeWidgetItem* row = list->findKey(QStringLiteral("C%1").arg(twin));
    ASSERT_NE(row, nullptr);
    const QPoint at = list->visualItemRect(row).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);

    EXPECT_EQ(window->SSTab1()->currentIndex(), common::ProductUtilities);
    common::Page* products = window->page(common::ProductUtilities);
    EXPECT_EQ(child<QComboBox>(products, "cboCategories")->currentData().toInt(), twin);
    auto* prodList = child<ReportList>(products, "lvProdList");
    ASSERT_EQ(prodList->topLevelItemCount(), 1);
    EXPECT_EQ(prodList->topLevelItem(0)->text(0), QStringLiteral("T1"));
    EXPECT_TRUE(messages.shown().empty());
}

// The delete confirmation as the user sees it: a real message box.
TEST(CategoryPageBoxes, DeleteAsksAndRefusesACategoryWithProducts) {
    testing_support::TestDatabase t;
    common::BoxMessages boxes;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), boxes, hooks.clock, hooks.files};
    const int used = t.addCategory(QStringLiteral("Used"));
    t.addProduct(QStringLiteral("P"), QStringLiteral("Product"), used);
    const int spare = t.addCategory(QStringLiteral("Spare"));
    RecordingMain window(session, nullptr);
    window.show();
    window.SSTab1()->setCurrentIndex(common::CategoryUtilities);
    auto* list = child<ReportList>(window.page(common::CategoryUtilities), "lvCategories");

    const auto chooseDelete = [&](int id) {
        QTreeWidgetItem* row = list->findKey(QStringLiteral("C%1").arg(id));
        ASSERT_NE(row, nullptr);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                          list->visualItemRect(row).center());
        window.menuItem(QStringLiteral("mnuCat"), 2)->trigger();
    };
    const QString question = QStringLiteral("Are you sure you wish to delete this category");
    {
        catalogue_testing::BoxAnswers answers{QMessageBox::No};
        chooseDelete(spare);
        EXPECT_TRUE(answers.allAnswered());
        EXPECT_EQ(answers.texts, QStringList{question});
        EXPECT_NE(list->findKey(QStringLiteral("C%1").arg(spare)), nullptr);
    }
    {
        catalogue_testing::BoxAnswers answers{QMessageBox::Yes, QMessageBox::Ok};
        chooseDelete(used);
        EXPECT_TRUE(answers.allAnswered());
        EXPECT_EQ(
            answers.texts,
            (QStringList{question, "You cannot delete a category with a product(s) tied to it."}));
    }
    {
        catalogue_testing::BoxAnswers answers{QMessageBox::Yes};
        chooseDelete(spare);
        EXPECT_TRUE(answers.allAnswered());
        EXPECT_EQ(list->findKey(QStringLiteral("C%1").arg(spare)), nullptr);
        EXPECT_EQ(list->topLevelItemCount(), 1);
    }
}

TEST_F(CategoryPage, TheDialogTabsFromTheBoxToItsButtonsAndEnterPressesAFocusedOne) {
    frmCategoryMaint dialog(session, window.get());
    dialog.Mode = QStringLiteral("ADD");
    dialog.show();
    EXPECT_EQ(testing_support::tabOrder(&dialog),
              (QStringList{"txtCatDesc", "btnAction", "btnClose"}));
    child<QPushButton>(&dialog, "btnClose")->setFocus();
    QTest::keyClick(child<QPushButton>(&dialog, "btnClose"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
