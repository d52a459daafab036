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

namespace {

// The server's fold_text: the file's folding as near as the server comes.
// Canonical decomposition, then the combining marks of the blocks that hold
// them dropped (the file drops every non-spacing and enclosing mark; the
// server's patterns know no character classes for them), then ICU's lower
// case, whatever the database's own locale, with the final sigma made the
// plain one as case folding makes it.
// NULL folds to "" as on the file.
const char* const ServerFold = R"SQL(
CREATE OR REPLACE FUNCTION fold_text(t text) RETURNS text
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $fold$
SELECT coalesce(translate(lower(regexp_replace(normalize(t, NFD),
    '[\u0300-\u036f\u0483-\u0489\u0591-\u05bd\u0610-\u061a\u064b-\u065f\u1ab0-\u1aff\u1dc0-\u1dff\u20d0-\u20ff\u302a-\u302f\u3099\u309a\ufe20-\ufe2f]',
    '', 'g') COLLATE "und-x-icu"), 'ς', 'σ'), '')
$fold$;
)SQL";

// The same table and triggers on the server: one trigger function per
// searched table, which the three triggers call.
void addServerFindText(Database& db) {
    QString sql = QString::fromUtf8(ServerFold);
    // Folded compares byte by byte, as the file's default does, so that
    // both engines show the results in the same order. The key is a unique
    // index in the order the engine's ORDER BY asks for (NULLs first, as on
    // the file), so that a search walks it and stops at the rows it shows;
    // a primary key's index is in the other order, which the server would
    // read whole and sort.
    sql += QStringLiteral(
        "DROP TABLE IF EXISTS FindText; CREATE TABLE FindText (Kind bigint NOT NULL, "
        "Item_ID bigint NOT NULL, Folded text COLLATE \"C\" NOT NULL);"
        "CREATE UNIQUE INDEX pkFindText ON FindText "
        "(Kind NULLS FIRST, Folded NULLS FIRST, Item_ID NULLS FIRST);"
        "CREATE UNIQUE INDEX ixFindTextItem ON FindText (Kind, Item_ID);");
    for (const Searched& s : SearchedTables) {
        const QString kind = QString::number(static_cast<int>(s.kind));
        const QString table = QString::fromLatin1(s.table);
        const QString id = QString::fromLatin1(s.id);
        const QString text = QString::fromLatin1(s.text).replace(QLatin1String("char(10)"),
                                                                 QLatin1String("chr(10)"));
        const QString function = QStringLiteral("find_%1").arg(table.toLower());
        sql += QStringLiteral(
                   "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $find$\n"
                   "BEGIN\n"
                   "  IF TG_OP = 'DELETE' THEN\n"
                   "    DELETE FROM FindText WHERE Kind = %2 AND Item_ID = OLD.%3;\n"
                   "  ELSIF TG_OP = 'UPDATE' THEN\n"
                   "    UPDATE FindText SET Folded = %4 WHERE Kind = %2 AND Item_ID = OLD.%3;\n"
                   "  ELSE\n"
                   "    INSERT INTO FindText (Kind, Item_ID, Folded) VALUES (%2, NEW.%3, %4)\n"
                   "    ON CONFLICT (Kind, Item_ID) DO UPDATE SET Folded = EXCLUDED.Folded;\n"
                   "  END IF;\n"
                   "  RETURN NULL;\n"
                   "END\n"
                   "$find$;")
                   .arg(function, kind, id, text.arg(QStringLiteral("NEW")));
        for (const char* when : {"Add", "Change", "Remove"})
            sql += QStringLiteral("DROP TRIGGER IF EXISTS tr%1Find%2 ON %1;")
                       .arg(table, QString::fromLatin1(when));
        sql += QStringLiteral("CREATE TRIGGER tr%1FindAdd AFTER INSERT ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION %2();"
                              "CREATE TRIGGER tr%1FindChange AFTER UPDATE OF %3 ON %1 FOR EACH "
                              "ROW EXECUTE FUNCTION %2();"
                              "CREATE TRIGGER tr%1FindRemove AFTER DELETE ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION %2();")
                   .arg(table, function, QString::fromLatin1(s.columns));
        sql += QStringLiteral("INSERT INTO FindText (Kind, Item_ID, Folded) "
                              "SELECT %1, %2, %3 FROM %4 r;")
                   .arg(kind, id, text.arg(QStringLiteral("r")), table);
    }
    db.runServerText(sql);
}

} // namespace

void addFindText(Database& db) {
    if (db.onServer()) {
        addServerFindText(db);
        return;
    }
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
