#pragma once

// Importing a register kept elsewhere (a spreadsheet saved as CSV): one
// file of stock items or of licences, a header row naming the columns.
// A dry run reads the whole file and names every problem by its line,
// column and reason, with the counts of what the import would create and
// the first rows as they would be stored. The import itself runs in one
// transaction: every accepted row and everything it creates is stored, or
// nothing is. Locations are given as paths and made along the path where
// missing; categories, products and suppliers are found by name (letter
// case ignored) or, when asked, created. Each item gets its "placed"
// history row, as an item added through its dialog does.

#include "common/Messages.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace store {
class Database;
}
namespace common {
class Clock;
}

namespace imports {

enum class Kind { Stock, Licences };

// The fields a column can give.
enum class Field {
    Code, // the stock code or licence key
    Product,
    ProductCode, // the code of a product the import creates
    Category,
    Location,
    Supplier,
    Cost,
    DateAdded,
    Expires,   // licences only
    Temporary, // licences only
};

// A field's name for --map and the mapping step ("stock code", "cost").
QString fieldName(Kind kind, Field field);
// The fields a file of that kind can give, in the order shown.
std::vector<Field> fieldsOf(Kind kind);
// The field a header or a --map target names (a field's name or one of
// the usual headings, letter case and surrounding blanks ignored); no value
// when none.
std::optional<Field> fieldForHeading(Kind kind, const QString& heading);

// The location path separators offered.
inline const QStringList PathSeparators = {QStringLiteral(">"), QStringLiteral("/"),
                                           QStringLiteral("\\")};

struct ImportOptions {
    QString path;
    Kind kind = Kind::Stock;
    // Columns mapped by hand: the heading as in the file -> a field name
    // (fieldName) or "ignore". Other columns are matched by their heading.
    QHash<QString, QString> map;
    bool createMissing = false; // categories, products and suppliers
    bool skipBad = false;       // store the good rows, write the others beside the file
    QString separator = QStringLiteral(">");
};

struct Problem {
    int line = 0;   // 0: not about one line (the file as a whole)
    QString column; // the heading of the column at fault; empty for the row
    QString reason;
    // "line 9: cost "12,5" is not a number"
    QString text() const;
};

// What the import creates (or would create).
struct ImportCounts {
    qint64 rows = 0;  // data rows read
    qint64 items = 0; // stock items or licences
    qint64 locations = 0;
    qint64 products = 0;
    qint64 categories = 0;
    qint64 suppliers = 0;
    qint64 skipped = 0; // rows left out with skipBad
};

// One row as it will be stored.
struct PreviewRow {
    int line = 0;
    QString code;
    QString product;
    QString category;
    QString location; // the full path
    QString supplier;
    QString cost;
    QString dateAdded;
    QString expires;
    QString type;
};

// How many preview rows a run keeps, and how many problems it lists in
// full (the rest are counted).
inline constexpr int PreviewLimit = 20;
inline constexpr int ProblemLimit = 10000;

struct ImportResult {
    std::vector<Problem> problems;
    qint64 unlistedProblems = 0; // past ProblemLimit
    ImportCounts counts;
    std::vector<PreviewRow> preview;
    QStringList headings;                // the file's header row
    QList<std::optional<Field>> columns; // the field each heading gives
    QStringList ignoredColumns;          // headings matched to no field
    bool stored = false;                 // the import was committed
    bool cancelled = false;              // stopped by the progress callback, nothing stored
    QString rejectedFile;                // the skipped rows' file, when one was written
    bool hasProblems() const { return !problems.empty(); }
};

// Told how far the work has come (bytes of the file); returning false
// cancels it, which stores nothing.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// The file beside the source that takes the rows skipped: NAME.rejected.csv.
QString rejectedPath(const QString& source);

// Collects the messages of the logic classes the import stores through, so
// that a refusal becomes a problem instead of a message box.
class CollectingMessages : public common::Messages {
public:
    QStringList texts;
    QString take();

protected:
    bool present(common::MessageKind kind, const QString& text) override;
};

class clsImport {
public:
    clsImport(store::Database& db, common::Messages& messages, common::Clock& clock);

    // Reads the file and checks every row against the register; writes
    // nothing.
    ImportResult DryRun(const ImportOptions& options, const Progress& progress = {});
    // The import in one transaction. With problems (and not skipBad)
    // nothing is stored and the problems are those of a dry run.
    ImportResult Import(const ImportOptions& options, const Progress& progress = {});

private:
    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
};

} // namespace imports
