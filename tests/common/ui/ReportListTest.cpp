#include "common/ui/ReportList.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

using common::ListRows;
using common::ReportList;

namespace {

// Keys and texts chosen so that every column orders the rows differently,
// and counts that sort differently as text and as numbers.
const ListRows Rows = {
    {QStringLiteral("P1"), {"Mouse", "9", "b"}},
    {QStringLiteral("P2"), {"Keyboard", "10", "c"}},
    {QStringLiteral("P3"), {"Screen", "2", "a"}},
};

class Sorting : public ::testing::Test {
protected:
    Sorting() : list({QStringLiteral("Name"), QStringLiteral("Count"), QStringLiteral("Code")}) {
        list.setRows(Rows);
    }

    QStringList column(int col) const {
        QStringList out;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            out << list.topLevelItem(i)->text(col);
        return out;
    }

    QStringList keys() const {
        QStringList out;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            out << list.keyOf(list.topLevelItem(i));
        return out;
    }

    // Every row still carries the key it was given with its texts.
    void expectKeysWithRows() const {
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list.topLevelItem(i);
            bool found = false;
            for (const auto& row : Rows)
                if (row.key == list.keyOf(item)) {
                    found = true;
                    for (int c = 0; c < row.texts.size(); ++c)
                        EXPECT_EQ(item->text(c), row.texts.at(c)) << row.key.toStdString();
                }
            EXPECT_TRUE(found) << list.keyOf(item).toStdString();
        }
    }

    ReportList list;
};

struct Click {
    int column;
    Qt::SortOrder direction; // after the click
    QStringList keys;        // row order after the click
};

} // namespace

TEST_F(Sorting, StartsUnsortedInTheOrderGiven) {
    EXPECT_FALSE(list.isSorted());
    EXPECT_EQ(keys(), (QStringList{"P1", "P2", "P3"}));
    EXPECT_EQ(list.direction(), Qt::AscendingOrder);
}

TEST_F(Sorting, OneDirectionFlipsOnEveryClickWhicheverColumn) {
    const std::vector<std::vector<Click>> sequences = {
        // The same column three times: descending, ascending, descending.
        {{0, Qt::DescendingOrder, {"P3", "P1", "P2"}},
         {0, Qt::AscendingOrder, {"P2", "P1", "P3"}},
         {0, Qt::DescendingOrder, {"P3", "P1", "P2"}}},
        // A second column continues the alternation instead of starting again.
        {{0, Qt::DescendingOrder, {"P3", "P1", "P2"}},
         {2, Qt::AscendingOrder, {"P3", "P1", "P2"}},
         {1, Qt::DescendingOrder, {"P1", "P3", "P2"}},
         {2, Qt::AscendingOrder, {"P3", "P1", "P2"}}},
        // Counts compare as text: "10" before "2" before "9".
        {{1, Qt::DescendingOrder, {"P1", "P3", "P2"}}, {1, Qt::AscendingOrder, {"P2", "P3", "P1"}}},
    };
    for (size_t s = 0; s < sequences.size(); ++s) {
        ReportList fresh({QStringLiteral("Name"), QStringLiteral("Count"), QStringLiteral("Code")});
        fresh.setRows(Rows);
        for (size_t i = 0; i < sequences[s].size(); ++i) {
            const Click& click = sequences[s][i];
            fresh.headingClicked(click.column);
            SCOPED_TRACE(::testing::Message() << "sequence " << s << " click " << i);
            EXPECT_TRUE(fresh.isSorted());
            EXPECT_EQ(fresh.sortColumnIndex(), click.column);
            EXPECT_EQ(fresh.direction(), click.direction);
            QStringList order;
            for (int r = 0; r < fresh.topLevelItemCount(); ++r)
                order << fresh.keyOf(fresh.topLevelItem(r));
            EXPECT_EQ(order, click.keys);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
    }
}

TEST_F(Sorting, RowsOfALaterFillArePlacedByTheLastSort) {
    list.headingClicked(2); // descending by code
    list.headingClicked(1); // ascending by count, as text
    const ListRows refill = {
        {QStringLiteral("P7"), {"Cable", "100", "z"}},
        {QStringLiteral("P8"), {"Dock", "3", "y"}},
        {QStringLiteral("P9"), {"Hub", "21", "x"}},
    };
    list.setRows(refill);
    EXPECT_EQ(column(1), (QStringList{"100", "21", "3"}));
    EXPECT_EQ(keys(), (QStringList{"P7", "P9", "P8"}));
    list.clearRows();
    EXPECT_EQ(list.topLevelItemCount(), 0);
    list.setRows(Rows);
    EXPECT_EQ(column(1), (QStringList{"10", "2", "9"}));
    expectKeysWithRows();
}

TEST_F(Sorting, KeysStayWithTheirRowsAndTheSelectionIsFoundByKey) {
    list.headingClicked(0);
    list.headingClicked(1);
    expectKeysWithRows();
    QTreeWidgetItem* keyboard = list.findKey(QStringLiteral("P2"));
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->text(0), QStringLiteral("Keyboard"));
    EXPECT_EQ(list.selectedKey(), QString());
    keyboard->setSelected(true);
    EXPECT_EQ(list.selectedKey(), QStringLiteral("P2"));
    EXPECT_EQ(list.findKey(QStringLiteral("P4")), nullptr);
}

TEST_F(Sorting, ClickingAHeadingWithTheMouseSorts) {
    list.resize(400, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QHeaderView* header = list.header();
    const auto clickHeading = [&](int column) {
        const QPoint centre(header->sectionViewportPosition(column) +
                                header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    };
    clickHeading(0);
    EXPECT_EQ(keys(), (QStringList{"P3", "P1", "P2"}));
    clickHeading(1);
    EXPECT_EQ(list.sortColumnIndex(), 1);
    EXPECT_EQ(list.direction(), Qt::AscendingOrder);
    EXPECT_EQ(column(1), (QStringList{"10", "2", "9"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(SortingByKind, CountsSortAsNumbersDatesAsDatesAndTextInDictionaryOrder) {
    ReportList list({QStringLiteral("Name"), QStringLiteral("Count"), QStringLiteral("Added")});
    list.setColumnKind(1, ReportList::ColumnKind::Number);
    list.setColumnKind(2, ReportList::ColumnKind::Date);
    list.setRows({
        {QStringLiteral("A"), {"Zone", "9", "31/12/25"}},
        {QStringLiteral("B"), {"école", "10", "02/01/26"}},
        {QStringLiteral("C"), {"Ecole", "1,200", "02/01/26 08:15"}},
        {QStringLiteral("D"), {"ecoles", "", "01/02/99"}},
    });
    const auto keysAfter = [&list](int column) {
        list.headingClicked(column);
        if (list.direction() != Qt::AscendingOrder)
            list.headingClicked(column);
        QStringList out;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            out << list.keyOf(list.topLevelItem(i));
        return out;
    };
    struct Case {
        int column;
        QStringList ascending;
    };
    const Case cases[] = {
        // "9" before "10"; an empty count first.
        {1, {"D", "A", "B", "C"}},
        // 1999, then 31/12/25 before 02/01/26, and a time after its day.
        {2, {"D", "A", "B", "C"}},
        // Case and accents ignored: Ecole, école, ecoles, Zone.
        {0, {"C", "B", "D", "A"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keysAfter(c.column), c.ascending) << "column " << c.column;
    EXPECT_EQ(list.columnKind(0), ReportList::ColumnKind::Text);
    EXPECT_EQ(list.columnKind(7), ReportList::ColumnKind::Text);
}

namespace {

// A list of numbered rows handed over a slice at a time, counting the
// slices asked for.
struct Source {
    int total = 0;
    int slice = 0;
    int given = 0;
    int asked = 0;
    int rests = 0; // of them, asked for every row left

    ListRows next() {
        ListRows rows;
        for (; given < total && static_cast<int>(rows.size()) < slice; ++given)
            rows.push_back({QStringLiteral("R%1").arg(given),
                            {QStringLiteral("Row %1").arg(given, 4, 10, QLatin1Char('0'))}});
        return rows;
    }
    ReportList::MoreRows more() {
        return [this](ListRows& rows, bool rest) {
            ++asked;
            rests += rest ? 1 : 0;
            if (rest)
                slice = total;
            rows = next();
            return given < total;
        };
    }
};

QStringList keysOf(const ReportList& list) {
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        out << list.keyOf(list.topLevelItem(i));
    return out;
}

QStringList keysUpTo(int n) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("R%1").arg(i);
    return out;
}

} // namespace

TEST(SlicedRows, TheRestIsReadOnlyAsItComesIntoView) {
    ReportList list({QStringLiteral("Name")});
    list.resize(300, 200);
    Source source{1000, 50};
    list.setRows(source.next(), source.more());
    EXPECT_EQ(source.asked, 0) << "nothing is read for a hidden list";
    list.show();
    QApplication::processEvents();
    EXPECT_EQ(source.asked, 0) << "fifty rows fill the view and a page more";
    EXPECT_EQ(keysOf(list), keysUpTo(50));

    // Scrolled to its end, the list reads slices until it reaches a page
    // past the view again.
    for (int turn = 1; turn <= 3; ++turn) {
        list.scrollToBottom();
        QApplication::processEvents();
        EXPECT_EQ(source.asked, turn);
        EXPECT_EQ(keysOf(list), keysUpTo(50 * (turn + 1)));
        EXPECT_TRUE(list.hasMoreRows());
    }
    EXPECT_EQ(source.rests, 0);
    // Read to the end, in one go, the source is not asked again.
    list.readAllRows();
    EXPECT_EQ(source.rests, 1);
    EXPECT_FALSE(list.hasMoreRows());
    EXPECT_EQ(keysOf(list), keysUpTo(1000));
    const int asked = source.asked;
    list.scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(source.asked, asked);
}

TEST(SlicedRows, AViewTallerThanTheFirstRowsReadsAPageBeyondItAndNoMore) {
    ReportList list({QStringLiteral("Name")});
    list.resize(300, 400);
    list.show();
    Source source{1000, 3};
    list.setRows(source.next(), source.more());
    // Each slice is laid out between events before the next is asked for.
    for (int turn = 0; turn < 100; ++turn)
        QApplication::processEvents();
    const int shown =
        list.viewport()->height() / list.visualItemRect(list.topLevelItem(0)).height();
    EXPECT_GE(list.topLevelItemCount(), shown);
    EXPECT_LE(list.topLevelItemCount(), 2 * shown + 2 * source.slice);
    EXPECT_TRUE(list.hasMoreRows());
}

TEST(SlicedRows, APlainFillDropsTheRestAndASortReadsItAll) {
    ReportList list({QStringLiteral("Name")});
    list.resize(300, 200);
    list.show();
    Source first{1000, 50};
    list.setRows(first.next(), first.more());
    list.setRows(ListRows{{QStringLiteral("X"), {QStringLiteral("Only")}}});
    EXPECT_FALSE(list.hasMoreRows());
    list.scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(first.asked, 0);
    EXPECT_EQ(keysOf(list), QStringList{QStringLiteral("X")});

    // A heading click reads every row before it sorts them (descending
    // first).
    Source second{120, 50};
    list.setRows(second.next(), second.more());
    list.headingClicked(0);
    EXPECT_FALSE(list.hasMoreRows());
    ASSERT_EQ(list.topLevelItemCount(), 120);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("Row 0119"));
    EXPECT_EQ(list.topLevelItem(119)->text(0), QStringLiteral("Row 0000"));

    // A sorted list given a source reads it all at once and places every
    // row by the sort.
    Source third{90, 40};
    list.setRows(third.next(), third.more());
    EXPECT_FALSE(list.hasMoreRows());
    ASSERT_EQ(list.topLevelItemCount(), 90);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("Row 0089"));
}
