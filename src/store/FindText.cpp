#include "store/FindText.h"

#include "store/Database.h"

#include <QChar>

namespace store {

QString foldForFind(QStringView text) {
    // Canonical decomposition puts every accent after its letter as a mark
    // of its own, which is then left out.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing)
            continue;
        folded.append(c);
    }
    return folded.toCaseFolded();
}

QString findPattern(QStringView text) {
    QString escaped = foldForFind(text.trimmed());
    if (escaped.isEmpty())
        return escaped;
    escaped.replace(QLatin1Char('!'), QStringLiteral("!!"))
        .replace(QLatin1Char('%'), QStringLiteral("!%"))
        .replace(QLatin1Char('_'), QStringLiteral("!_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

namespace {

// One searched table: its kind, id column and the folded text of a row
// (an expression over the row's columns, prefixed "new.").
struct Searched {
    FindKind kind;
    const char* table;
    const char* id;
    const char* columns; // the columns whose change refolds the text
    const char* text;    // %1 stands for the row ("new")
};

// A product is found by its code or its description; a line feed, which
// no typed text holds, keeps a match from spanning both.
const Searched SearchedTables[] = {
    {FindKind::Stock, "Stock", "Stock_ID", "Stock_Code", "fold_text(%1.Stock_Code)"},
    {FindKind::Licence, "Licences", "Licence_ID", "Licence_Name", "fold_text(%1.Licence_Name)"},
    {FindKind::Product, "Products", "Prod_ID", "Prod_Code, Prod_Desc",
     "fold_text(%1.Prod_Code) || char(10) || fold_text(%1.Prod_Desc)"},
    {FindKind::Location, "Locations", "Loc_ID", "Loc_Desc", "fold_text(%1.Loc_Desc)"},
    {FindKind::Supplier, "Suppliers", "Supplier_ID", "Supp_Name", "fold_text(%1.Supp_Name)"},
};

} // namespace

void addFindText(Database& db) {
    // The table is derived from the five tables: a file that has one
    // already (a copy stamped with an older version) gets it made afresh.
    // Without a rowid, and kept in the order Find shows (by kind, then
    // text): a search walks the table in that order and stops as soon as
    // it has the rows it shows, however many more would match. The
    // triggers find an item's row by the second, unique index.
    QString sql = QStringLiteral(
        "DROP TABLE IF EXISTS FindText; CREATE TABLE FindText (Kind INTEGER NOT NULL, "
        "Item_ID INTEGER NOT NULL, Folded TEXT NOT NULL, "
        "PRIMARY KEY (Kind, Folded, Item_ID)) WITHOUT ROWID;"
        "CREATE UNIQUE INDEX ixFindTextItem ON FindText (Kind, Item_ID);");
    // Table and column names and kinds are program constants, not values.
    for (const Searched& s : SearchedTables) {
        const QString kind = QString::number(static_cast<int>(s.kind));
        const QString table = QString::fromLatin1(s.table);
        const QString id = QString::fromLatin1(s.id);
        const QString text = QString::fromLatin1(s.text);
        for (const char* when : {"Add", "Change", "Remove"})
            sql += QStringLiteral("DROP TRIGGER IF EXISTS tr%1Find%2;")
                       .arg(table, QString::fromLatin1(when));
        sql += QStringLiteral("CREATE TRIGGER tr%1FindAdd AFTER INSERT ON %1 BEGIN "
                              "INSERT OR REPLACE INTO FindText (Kind, Item_ID, Folded) "
                              "VALUES (%2, new.%3, %4); END;")
                   .arg(table, kind, id, text.arg(QStringLiteral("new")));
        sql += QStringLiteral("CREATE TRIGGER tr%1FindChange AFTER UPDATE OF %2 ON %1 BEGIN "
                              "UPDATE FindText SET Folded = %3 WHERE Kind = %4 "
                              "AND Item_ID = old.%5; END;")
                   .arg(table, QString::fromLatin1(s.columns), text.arg(QStringLiteral("new")),
                        kind, id);
        sql += QStringLiteral("CREATE TRIGGER tr%1FindRemove AFTER DELETE ON %1 BEGIN "
                              "DELETE FROM FindText WHERE Kind = %2 AND Item_ID = old.%3; END;")
                   .arg(table, kind, id);
        sql += QStringLiteral("INSERT INTO FindText (Kind, Item_ID, Folded) "
                              "SELECT %1, %2, %3 FROM %4 r;")
                   .arg(kind, id, text.arg(QStringLiteral("r")), table);
    }
    db.run(sql);
}

} // namespace store
