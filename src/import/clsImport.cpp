#include "import/clsImport.h"

#include "assets/AssetRecords.h"
#include "catalogue/clsCategories.h"
#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/DialogMode.h"
#include "common/FileGuard.h"
#include "common/KeyRule.h"
#include "import/CsvReader.h"
#include "locations/clsLocations.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"
#include "suppliers/clsSuppliers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace imports {

namespace {

QString fold(const QString& text) {
    return text.trimmed().toCaseFolded();
}

// A heading as compared: trimmed, inner blanks made one, letter case
// ignored.
QString headingKey(const QString& heading) {
    return heading.simplified().toCaseFolded();
}

struct FieldInfo {
    Field field;
    const char* stockName;   // nullptr: not for stock
    const char* licenceName; // nullptr: not for licences
    QStringList headings;    // the usual headings besides the name
};

const std::vector<FieldInfo>& fieldTable() {
    static const std::vector<FieldInfo> table = {
        {Field::Code,
         "stock code",
         "licence key",
         {QStringLiteral("stock code"), QStringLiteral("code"), QStringLiteral("asset tag"),
          QStringLiteral("asset"), QStringLiteral("tag"), QStringLiteral("serial"),
          QStringLiteral("serial number"), QStringLiteral("licence key"),
          QStringLiteral("license key"), QStringLiteral("key"), QStringLiteral("licence"),
          QStringLiteral("license")}},
        {Field::Product,
         "product",
         "product",
         {QStringLiteral("model"), QStringLiteral("product description")}},
        {Field::ProductCode,
         "product code",
         "product code",
         {QStringLiteral("model code"), QStringLiteral("part number")}},
        {Field::Category, "category", "category", {QStringLiteral("type")}},
        {Field::Location,
         "location",
         "location",
         {QStringLiteral("site"), QStringLiteral("room"), QStringLiteral("location path"),
          QStringLiteral("place")}},
        {Field::Supplier, "supplier", "supplier", {QStringLiteral("vendor")}},
        {Field::Cost, "cost", "cost", {QStringLiteral("price")}},
        {Field::DateAdded,
         "date added",
         "date added",
         {QStringLiteral("purchased"), QStringLiteral("added"), QStringLiteral("purchase date"),
          QStringLiteral("date purchased")}},
        {Field::Expires,
         nullptr,
         "expires",
         {QStringLiteral("expiry"), QStringLiteral("expiry date"), QStringLiteral("expires on")}},
        {Field::Temporary, nullptr, "temporary", {}},
    };
    return table;
}

const char* nameOf(const FieldInfo& info, Kind kind) {
    return kind == Kind::Stock ? info.stockName : info.licenceName;
}

// A row the run read from the register was removed before it was locked.
const QString GoneMeanwhile = QStringLiteral("the %1 was removed by another user meanwhile");

// The column's "ignore" in a map.
const QString Ignore = QStringLiteral("ignore");

// The short date the system shows and takes (day first: 31/12/2026,
// 31/12/26, 31.12.2026, 31-12-2026) or ISO (2026-12-31), a time (H:mm,
// H:mm:ss, with milliseconds) after a blank or "T" optional. Two-digit
// years lie within the century up to 20 years from now. Read by hand: a
// file of many rows would spend most of its time trying formats.
std::optional<QDateTime> readDate(const QString& text, const QDate& today) {
    const QString t = text.trimmed();
    qsizetype split = t.indexOf(QLatin1Char(' '));
    if (split < 0)
        split = t.indexOf(QLatin1Char('T'));
    const QStringView datePart = QStringView(t).left(split < 0 ? t.size() : split);
    const QStringView timePart =
        split < 0 ? QStringView() : QStringView(t).mid(split + 1).trimmed();
    QList<QStringView> parts;
    for (const QChar separator : {QLatin1Char('-'), QLatin1Char('/'), QLatin1Char('.')}) {
        if (datePart.contains(separator)) {
            parts = datePart.split(separator);
            break;
        }
    }
    if (parts.size() != 3)
        return std::nullopt;
    int numbers[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        if (parts.at(i).isEmpty() || parts.at(i).size() > 4)
            return std::nullopt;
        numbers[i] = parts.at(i).toInt(&ok);
        if (!ok || parts.at(i).startsWith(QLatin1Char('+')) ||
            parts.at(i).startsWith(QLatin1Char('-')))
            return std::nullopt;
    }
    QDate date;
    if (parts.at(0).size() == 4) {
        date = QDate(numbers[0], numbers[1], numbers[2]);
    } else if (parts.at(2).size() == 4) {
        date = QDate(numbers[2], numbers[1], numbers[0]);
    } else if (parts.at(2).size() == 2) {
        int year = 2000 + numbers[2];
        if (year > today.year() + 20)
            year -= 100;
        date = QDate(year, numbers[1], numbers[0]);
    }
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (!timePart.isEmpty()) {
        time = QTime::fromString(timePart.toString(), QStringLiteral("H:mm:ss.zzz"));
        if (!time.isValid())
            time = QTime::fromString(timePart.toString(), QStringLiteral("H:mm:ss"));
        if (!time.isValid())
            time = QTime::fromString(timePart.toString(), QStringLiteral("H:mm"));
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time);
}

std::optional<bool> readTemporary(const QString& text) {
    const QString t = fold(text);
    static const QStringList yes = {QStringLiteral("yes"),  QStringLiteral("y"),
                                    QStringLiteral("true"), QStringLiteral("1"),
                                    QStringLiteral("t"),    QStringLiteral("temporary"),
                                    QStringLiteral("temp")};
    static const QStringList no = {QString(),
                                   QStringLiteral("no"),
                                   QStringLiteral("n"),
                                   QStringLiteral("false"),
                                   QStringLiteral("0"),
                                   QStringLiteral("normal"),
                                   QStringLiteral("norm")};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString childKey(int parent, const QString& folded) {
    return QString::number(parent) + QChar(0x1f) + folded;
}

// A row's cells by field, once checked.
struct RowPlan {
    QString code;
    // Found (id) or to be created (name, id 0).
    int prodId = 0;
    QString newProduct, newProductCode;
    int catId = 0;
    QString newCategory;
    int suppId = 0; // 0: none, or newSupplier
    QString newSupplier;
    int locId = 0;            // the deepest location that is there
    QStringList newLocations; // made under locId, in order
    store::Money cost;
    QString costShown;
    QDateTime added;
    std::optional<QString> expires;
    bool temporary = false;
};

class Run {
public:
    Run(store::Database& db, common::Clock& clock, const ImportOptions& options, bool write,
        const Progress& progress)
        : db_(db), o_(options), write_(write), progress_(progress), locations_(db, collect_),
          categories_(db, collect_), products_(db, collect_, clock),
          suppliers_(db, collect_, clock), now_(clock.now()) {}

    ImportResult go();

private:
    void problem(int line, const QString& column, const QString& reason);
    bool readHeader(const CsvRecord& header);
    void loadRegister();
    QString cell(const CsvRecord& r, Field f) const {
        const int c = columnOf_.value(static_cast<int>(f), -1);
        return c >= 0 && c < r.fields.size() ? r.fields.at(c).trimmed() : QString();
    }
    QString heading(Field f) const {
        const int c = columnOf_.value(static_cast<int>(f), -1);
        return c >= 0 ? result_.headings.at(c) : QString();
    }
    bool has(Field f) const { return columnOf_.contains(static_cast<int>(f)); }
    void takeRow(const CsvRecord& r);
    // Each check adds its problems and returns false when it found one.
    bool checkCode(const CsvRecord& r, RowPlan& plan);
    bool checkProduct(const CsvRecord& r, RowPlan& plan);
    bool checkSupplier(const CsvRecord& r, RowPlan& plan);
    bool checkLocation(const CsvRecord& r, RowPlan& plan);
    bool checkValues(const CsvRecord& r, RowPlan& plan);
    // Creates what the row needs and stores it (or, in a dry run, notes
    // what would be created).
    void storeRow(const CsvRecord& r, RowPlan& plan);
    // Stores the items waiting, with their history rows.
    void flush();
    QString insertText(size_t rows) const;
    int createLocation(int parent, const QString& desc, int line);
    QString pathOf(int locId) const;
    void reject(const CsvRecord& r, const QString& reason);
    // Locks a row the register had before the run, once; false when
    // another user has removed it since it was read.
    bool lockOnce(QSet<int>& locked, const QString& table, const QString& idColumn, int id,
                  store::RowLock lock);
    QString codeWord() const {
        return o_.kind == Kind::Stock ? QStringLiteral("stock code")
                                      : QStringLiteral("licence key");
    }

    store::Database& db_;
    const ImportOptions& o_;
    bool write_;
    const Progress& progress_;
    CollectingMessages collect_;
    locations::clsLocations locations_;
    catalogue::clsCategories categories_;
    catalogue::clsProducts products_;
    suppliers::clsSuppliers suppliers_;
    const QDateTime now_;

    ImportResult result_;
    QHash<int, int> columnOf_; // field -> column
    int rowProblems_ = 0;      // problems of the row being read
    QStringList rowReasons_;
    bool stop_ = false;
    int nextFake_ = -1; // ids of what a dry run would create

    QHash<QString, QList<int>> children_; // parent + folded description -> ids
    QHash<int, QString> locDesc_;
    QHash<int, int> locParent_;
    QString branchName_[3];
    QHash<QString, QList<int>> categoriesByName_, productsByDesc_, suppliersByName_;
    QHash<QString, int> productCodes_;
    QSet<QString> registerCodes_;
    QHash<QString, int> fileCodes_; // folded code -> line
    QSet<int> lockedProducts_, lockedSuppliers_, lockedLocations_;

    // Items waiting to be stored together, BatchRows at a time: one
    // statement for many rows journals each page it touches once, not once
    // a row.
    struct Pending {
        int line = 0;
        QString code;
        int prodId = 0;
        int locId = 0;
        std::optional<int> suppId;
        store::Money cost;
        QString added;
        std::optional<QString> expires;
        QString type;
        QString historyText;
    };
    static constexpr size_t BatchRows = 50;
    std::vector<Pending> pending_;
    std::optional<store::Query> batchInsert_;
    std::optional<store::HistoryWriter> history_;
    std::unique_ptr<common::ReplacementFile> rejected_;
    std::unique_ptr<QFile> rejectedOut_;
    QList<QByteArray> rawHeader_;
};

void Run::problem(int line, const QString& column, const QString& reason) {
    ++rowProblems_;
    rowReasons_ << reason;
    if (static_cast<int>(result_.problems.size()) < ProblemLimit)
        result_.problems.push_back({line, column, reason});
    else
        ++result_.unlistedProblems;
    // The first problem ends the writing: nothing will be stored, and the
    // rest of the file is only checked.
    if (write_ && !o_.skipBad)
        write_ = false;
}

bool Run::readHeader(const CsvRecord& header) {
    if (header.notUtf8) {
        problem(header.line, QString(),
                QStringLiteral("the text is not UTF-8; save the file as \"CSV UTF-8\""));
        return false;
    }
    if (header.cellCount > MaxColumns) {
        problem(header.line, QString(),
                QStringLiteral("the header has %1 columns; at most %2 are read")
                    .arg(header.cellCount)
                    .arg(MaxColumns));
        return false;
    }
    rawHeader_ = header.raw;
    QHash<QString, QString> map;
    for (auto it = o_.map.begin(); it != o_.map.end(); ++it)
        map.insert(headingKey(it.key()), it.value());
    bool ok = true;
    for (int c = 0; c < header.fields.size(); ++c) {
        const QString name = header.fields.at(c).trimmed();
        result_.headings << name;
        std::optional<Field> field;
        const auto mapped = map.find(headingKey(name));
        if (mapped != map.end()) {
            if (headingKey(*mapped) != Ignore) {
                field = fieldForHeading(o_.kind, *mapped);
                if (!field) {
                    problem(header.line, name,
                            QStringLiteral("column %1 is mapped to %2, which is no field of %3")
                                .arg(quoted(name), quoted(*mapped),
                                     o_.kind == Kind::Stock ? QStringLiteral("stock items")
                                                            : QStringLiteral("licences")));
                    ok = false;
                }
            }
        } else if (!name.isEmpty()) {
            field = fieldForHeading(o_.kind, name);
        }
        result_.columns << field;
        if (!field) {
            if (mapped == map.end())
                result_.ignoredColumns << name;
            continue;
        }
        const int f = static_cast<int>(*field);
        if (columnOf_.contains(f)) {
            problem(header.line, name,
                    QStringLiteral("columns %1 and %2 both give the %3")
                        .arg(quoted(result_.headings.at(columnOf_.value(f))), quoted(name),
                             fieldName(o_.kind, *field)));
            ok = false;
            continue;
        }
        columnOf_.insert(f, c);
    }
    for (const QString& heading : map.keys())
        if (!std::any_of(result_.headings.begin(), result_.headings.end(),
                         [&](const QString& h) { return headingKey(h) == heading; })) {
            problem(header.line, QString(),
                    QStringLiteral("the file has no column %1 to map").arg(quoted(heading)));
            ok = false;
        }
    QList<Field> needed = {Field::Code, Field::Product};
    if (o_.kind == Kind::Stock)
        needed << Field::Location;
    for (Field f : needed)
        if (!has(f)) {
            problem(header.line, QString(),
                    QStringLiteral("no column gives the %1").arg(fieldName(o_.kind, f)));
            ok = false;
        }
    return ok;
}

void Run::loadRegister() {
    {
        store::Query q(db_, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_ParentID, Loc_Top, "
                                           "Loc_Level FROM Locations"));
        while (q.next()) {
            const int id = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
            const QString desc = q.text(QStringLiteral("Loc_Desc"));
            locDesc_.insert(id, desc);
            if (id == store::loc::AvailableLocations || id == store::loc::AvailableLicences)
                branchName_[id] = desc;
            const int top = static_cast<int>(q.integer(QStringLiteral("Loc_Top")));
            if (q.integer(QStringLiteral("Loc_Level")) <= store::loc::ReservedLevel ||
                (top != store::loc::AvailableLocations && top != store::loc::AvailableLicences))
                continue;
            const int parent = static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")));
            locParent_.insert(id, parent);
            children_[childKey(parent, fold(desc))] << id;
        }
    }
    {
        store::Query q(db_, QStringLiteral("SELECT Cat_ID, Cat_Desc FROM Categories"));
        while (q.next())
            categoriesByName_[fold(q.text(QStringLiteral("Cat_Desc")))]
                << static_cast<int>(q.integer(QStringLiteral("Cat_ID")));
    }
    {
        store::Query q(db_, QStringLiteral("SELECT Prod_ID, Prod_Code, Prod_Desc FROM Products"));
        while (q.next()) {
            const int id = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
            productsByDesc_[fold(q.text(QStringLiteral("Prod_Desc")))] << id;
            productCodes_.insert(fold(q.text(QStringLiteral("Prod_Code"))), id);
        }
    }
    {
        store::Query q(db_, QStringLiteral("SELECT Supplier_ID, Supp_Name FROM Suppliers"));
        while (q.next())
            suppliersByName_[fold(q.text(QStringLiteral("Supp_Name")))]
                << static_cast<int>(q.integer(QStringLiteral("Supplier_ID")));
    }
    {
        store::Query q(db_, o_.kind == Kind::Stock
                                ? QStringLiteral("SELECT Stock_Code AS Code FROM Stock")
                                : QStringLiteral("SELECT Licence_Name AS Code FROM Licences"));
        while (q.next())
            registerCodes_.insert(fold(q.text(QStringLiteral("Code"))));
    }
}

bool Run::checkCode(const CsvRecord& r, RowPlan& plan) {
    const QString typed = cell(r, Field::Code);
    const QString code = assets::storedCode(typed);
    const QString column = heading(Field::Code);
    if (code.isEmpty()) {
        problem(r.line, column, codeWord() + QStringLiteral(" is missing"));
        return false;
    }
    if (!assets::codeFitsField(code)) {
        problem(r.line, column,
                QStringLiteral("%1 %2 holds a character the register does not take (a line "
                               "break, a tab or |)")
                    .arg(codeWord(), quoted(typed)));
        return false;
    }
    if (code.size() > assets::ItemCodeLimit) {
        problem(r.line, column,
                QStringLiteral("%1 %2 is longer than %3 characters")
                    .arg(codeWord(), code.left(20) + QStringLiteral("…"))
                    .arg(assets::ItemCodeLimit));
        return false;
    }
    const QString key = fold(code);
    if (registerCodes_.contains(key)) {
        problem(r.line, column,
                QStringLiteral("%1 %2 is already in the register").arg(codeWord(), code));
        return false;
    }
    const auto earlier = fileCodes_.constFind(key);
    if (earlier != fileCodes_.constEnd()) {
        problem(r.line, column,
                QStringLiteral("%1 %2 is also on line %3").arg(codeWord(), code).arg(*earlier));
        return false;
    }
    fileCodes_.insert(key, r.line);
    plan.code = code;
    return true;
}

bool Run::checkProduct(const CsvRecord& r, RowPlan& plan) {
    const QString column = heading(Field::Product);
    const QString desc = cell(r, Field::Product);
    if (desc.isEmpty()) {
        problem(r.line, column, QStringLiteral("the product is missing"));
        return false;
    }
    const QList<int> found = productsByDesc_.value(fold(desc));
    if (found.size() > 1) {
        problem(r.line, column,
                QStringLiteral("%1 products are called %2; rename one of them first")
                    .arg(found.size())
                    .arg(quoted(desc)));
        return false;
    }
    if (found.size() == 1) {
        plan.prodId = found.front();
        return true;
    }
    if (!o_.createMissing) {
        problem(r.line, column,
                QStringLiteral("product %1 is not in the register").arg(quoted(desc)));
        return false;
    }
    // A new product: its category, found or made, and a code of its own.
    const QString catColumn = heading(Field::Category);
    const QString category = cell(r, Field::Category);
    if (category.isEmpty()) {
        problem(
            r.line, column,
            QStringLiteral("product %1 is new and the row names no category").arg(quoted(desc)));
        return false;
    }
    const QList<int> cats = categoriesByName_.value(fold(category));
    if (!cats.isEmpty()) {
        plan.catId = cats.front();
    } else if (!common::fitsField(common::FieldKind::FreeText, category)) {
        problem(r.line, catColumn,
                QStringLiteral("category %1 holds a character the register does not take")
                    .arg(quoted(category)));
        return false;
    } else if (category.size() > catalogue::CategoryLimit) {
        problem(r.line, catColumn,
                QStringLiteral("category %1 is longer than %2 characters")
                    .arg(quoted(category))
                    .arg(catalogue::CategoryLimit));
        return false;
    } else {
        plan.newCategory = category;
    }
    QString code = cell(r, Field::ProductCode);
    if (code.isEmpty())
        code = desc.left(catalogue::ProductCodeLimit).trimmed();
    catalogue::ProductFields fields;
    fields.code = code;
    fields.desc = desc;
    fields.catId = plan.catId != 0 ? plan.catId : 1;
    const catalogue::ProductCheck check = products_.ValidateProduct(common::mode::Add, fields, 0);
    if (!check.values) {
        problem(r.line, column,
                QStringLiteral("product %1: %2").arg(quoted(desc), collect_.take()));
        return false;
    }
    if (productCodes_.contains(fold(code))) {
        problem(r.line, has(Field::ProductCode) ? heading(Field::ProductCode) : column,
                QStringLiteral("product code %1 of the new product %2 is already another "
                               "product's; give the new product's code in a column \"Product "
                               "code\"")
                    .arg(quoted(code), quoted(desc)));
        return false;
    }
    plan.newProduct = desc;
    plan.newProductCode = code;
    return true;
}

bool Run::checkSupplier(const CsvRecord& r, RowPlan& plan) {
    const QString name = cell(r, Field::Supplier);
    if (name.isEmpty())
        return true;
    const QString column = heading(Field::Supplier);
    const QList<int> found = suppliersByName_.value(fold(name));
    if (found.size() > 1) {
        problem(r.line, column,
                QStringLiteral("%1 suppliers are called %2; rename one of them first")
                    .arg(found.size())
                    .arg(quoted(name)));
        return false;
    }
    if (found.size() == 1) {
        plan.suppId = found.front();
        return true;
    }
    if (!o_.createMissing) {
        problem(r.line, column,
                QStringLiteral("supplier %1 is not in the register").arg(quoted(name)));
        return false;
    }
    suppliers::SupplierFields fields;
    fields.name = name;
    fields.date = now_;
    if (suppliers_.DoValidation(fields) != suppliers::SupplierField::None) {
        problem(r.line, column,
                QStringLiteral("supplier %1: %2").arg(quoted(name), collect_.take()));
        return false;
    }
    plan.newSupplier = name;
    return true;
}

bool Run::checkLocation(const CsvRecord& r, RowPlan& plan) {
    const QString column = heading(Field::Location);
    const QString path = cell(r, Field::Location);
    if (path.isEmpty()) {
        if (o_.kind == Kind::Stock) {
            problem(r.line, column, QStringLiteral("the location is missing"));
            return false;
        }
        plan.locId = store::loc::AvailableLicences;
        return true;
    }
    QStringList parts = path.split(o_.separator);
    for (QString& part : parts)
        part = part.trimmed();
    int branch =
        o_.kind == Kind::Stock ? store::loc::AvailableLocations : store::loc::AvailableLicences;
    // A path may begin with the branch it lies under.
    for (int b : {store::loc::AvailableLocations, store::loc::AvailableLicences})
        if (fold(parts.front()) == fold(branchName_[b])) {
            branch = b;
            parts.removeFirst();
            break;
        }
    if (o_.kind == Kind::Stock && branch != store::loc::AvailableLocations) {
        problem(r.line, column,
                QStringLiteral("location %1: stock stands only under %2")
                    .arg(quoted(path), quoted(branchName_[store::loc::AvailableLocations])));
        return false;
    }
    int at = branch;
    int i = 0;
    for (; i < parts.size(); ++i) {
        if (parts.at(i).isEmpty()) {
            problem(r.line, column,
                    QStringLiteral("location %1 has an empty part").arg(quoted(path)));
            return false;
        }
        const QList<int> found = children_.value(childKey(at, fold(parts.at(i))));
        if (found.isEmpty())
            break;
        if (found.size() > 1) {
            problem(r.line, column,
                    QStringLiteral("location %1: %2 locations called %3 stand there; rename "
                                   "one of them first")
                        .arg(quoted(path))
                        .arg(found.size())
                        .arg(quoted(parts.at(i))));
            return false;
        }
        at = found.front();
    }
    plan.locId = at;
    for (; i < parts.size(); ++i) {
        if (parts.at(i).isEmpty()) {
            problem(r.line, column,
                    QStringLiteral("location %1 has an empty part").arg(quoted(path)));
            return false;
        }
        if (!locations_.checkDescription(parts.at(i))) {
            problem(r.line, column,
                    QStringLiteral("location %1: %2").arg(quoted(parts.at(i)), collect_.take()));
            return false;
        }
        plan.newLocations << parts.at(i);
    }
    return true;
}

bool Run::checkValues(const CsvRecord& r, RowPlan& plan) {
    bool ok = true;
    const QString cost = cell(r, Field::Cost);
    if (!cost.isEmpty()) {
        const QString column = heading(Field::Cost);
        switch (assets::readItemCost(cost, plan.cost)) {
        case assets::CostCheck::Amount:
            plan.costShown = plan.cost.display();
            break;
        case assets::CostCheck::Invalid:
            problem(r.line, column, QStringLiteral("cost %1 is not a number").arg(quoted(cost)));
            ok = false;
            break;
        case assets::CostCheck::TooHigh:
            problem(r.line, column,
                    QStringLiteral("cost %1 is more than 1,000,000.00").arg(quoted(cost)));
            ok = false;
            break;
        case assets::CostCheck::TooLong:
            problem(r.line, column,
                    QStringLiteral("cost %1 is longer than %2 characters")
                        .arg(quoted(cost.left(24)))
                        .arg(common::CostLimit));
            ok = false;
            break;
        }
    }
    const auto date = [&](Field f, const QString& what) -> std::optional<QDateTime> {
        const QString text = cell(r, f);
        if (text.isEmpty())
            return std::nullopt;
        const std::optional<QDateTime> at = readDate(text, now_.date());
        if (!at) {
            problem(r.line, heading(f),
                    QStringLiteral("%1 %2 is not a date (31/12/2026 or 2026-12-31)")
                        .arg(what, quoted(text)));
            ok = false;
        } else if (!store::isStorableDate(at->date())) {
            problem(
                r.line, heading(f),
                QStringLiteral("%1 %2 lies outside the years 0001-9999").arg(what, quoted(text)));
            ok = false;
            return std::nullopt;
        }
        return at;
    };
    plan.added = date(Field::DateAdded, QStringLiteral("date added")).value_or(now_);
    if (o_.kind == Kind::Licences) {
        if (const auto expires = date(Field::Expires, QStringLiteral("expiry date")))
            plan.expires = expires->date().toString(store::StoredDate);
        const QString temporary = cell(r, Field::Temporary);
        const std::optional<bool> t = readTemporary(temporary);
        if (!t) {
            problem(r.line, heading(Field::Temporary),
                    QStringLiteral("temporary %1 is neither yes nor no").arg(quoted(temporary)));
            ok = false;
        } else {
            plan.temporary = *t;
        }
    }
    return ok;
}

bool Run::lockOnce(QSet<int>& locked, const QString& table, const QString& idColumn, int id,
                   store::RowLock lock) {
    if (locked.contains(id))
        return true;
    if (!store::lockRow(db_, table, idColumn, id, lock))
        return false;
    locked.insert(id);
    return true;
}

int Run::createLocation(int parent, const QString& desc, int line) {
    int id = 0;
    if (write_) {
        locations_.setCurrentLocId(parent);
        const std::optional<locations::TreeNode> node = locations_.AddLocation(desc);
        if (!node) {
            problem(line, heading(Field::Location),
                    QStringLiteral("location %1: %2").arg(quoted(desc), collect_.take()));
            return 0;
        }
        id = node->key.mid(1).toInt();
    } else {
        id = nextFake_--;
    }
    children_[childKey(parent, fold(desc))] << id;
    locDesc_.insert(id, desc);
    locParent_.insert(id, parent);
    ++result_.counts.locations;
    return id;
}

QString Run::pathOf(int locId) const {
    if (locId == store::loc::AvailableLocations || locId == store::loc::AvailableLicences)
        return branchName_[locId];
    QStringList parts;
    for (int at = locId; locParent_.contains(at); at = locParent_.value(at))
        parts.prepend(locDesc_.value(at));
    return parts.join(QStringLiteral(" › "));
}

void Run::storeRow(const CsvRecord& r, RowPlan& plan) {
    const int line = r.line;
    // What the row names and the register lacks, made in order: the
    // category before its product, the locations down the path.
    if (!plan.newCategory.isEmpty()) {
        const QString key = fold(plan.newCategory);
        const QList<int> made = categoriesByName_.value(key);
        if (!made.isEmpty()) {
            plan.catId = made.front();
        } else {
            if (write_) {
                const std::optional<int> id = categories_.AddNewCategory(plan.newCategory);
                if (!id)
                    return problem(line, heading(Field::Category),
                                   QStringLiteral("category %1: %2")
                                       .arg(quoted(plan.newCategory), collect_.take()));
                plan.catId = *id;
            } else {
                plan.catId = nextFake_--;
            }
            categoriesByName_[key] << plan.catId;
            ++result_.counts.categories;
        }
    }
    if (!plan.newProduct.isEmpty()) {
        const QList<int> made = productsByDesc_.value(fold(plan.newProduct));
        if (!made.isEmpty()) {
            plan.prodId = made.front();
        } else {
            if (write_) {
                catalogue::ProductFields fields;
                fields.code = plan.newProductCode;
                fields.desc = plan.newProduct;
                fields.catId = plan.catId;
                const catalogue::ProductSave saved = products_.AddNewProduct(fields);
                if (!saved.prodId)
                    return problem(line, heading(Field::Product),
                                   QStringLiteral("product %1: %2")
                                       .arg(quoted(plan.newProduct), collect_.take()));
                plan.prodId = *saved.prodId;
            } else {
                plan.prodId = nextFake_--;
            }
            productsByDesc_[fold(plan.newProduct)] << plan.prodId;
            productCodes_.insert(fold(plan.newProductCode), plan.prodId);
            ++result_.counts.products;
        }
    } else if (write_ && !lockOnce(lockedProducts_, QStringLiteral("Products"),
                                   QStringLiteral("Prod_ID"), plan.prodId, store::RowLock::Keep)) {
        return problem(line, heading(Field::Product), GoneMeanwhile.arg(QStringLiteral("product")));
    }
    if (!plan.newSupplier.isEmpty()) {
        const QList<int> made = suppliersByName_.value(fold(plan.newSupplier));
        if (!made.isEmpty()) {
            plan.suppId = made.front();
        } else {
            if (write_) {
                suppliers::SupplierFields fields;
                fields.name = plan.newSupplier;
                fields.date = now_;
                const suppliers::SupplierSave saved = suppliers_.InsertSupplier(fields);
                if (!saved.stored)
                    return problem(line, heading(Field::Supplier),
                                   QStringLiteral("supplier %1: %2")
                                       .arg(quoted(plan.newSupplier), collect_.take()));
                plan.suppId = saved.suppId;
            } else {
                plan.suppId = nextFake_--;
            }
            suppliersByName_[fold(plan.newSupplier)] << plan.suppId;
            ++result_.counts.suppliers;
        }
    } else if (plan.suppId != 0 && write_ &&
               !lockOnce(lockedSuppliers_, QStringLiteral("Suppliers"),
                         QStringLiteral("Supplier_ID"), plan.suppId, store::RowLock::Keep)) {
        return problem(line, heading(Field::Supplier),
                       GoneMeanwhile.arg(QStringLiteral("supplier")));
    }
    // The location the item goes to, or the one the new path starts from,
    // stays where it is until the commit.
    if (write_ && !lockOnce(lockedLocations_, QStringLiteral("Locations"), QStringLiteral("Loc_ID"),
                            plan.locId, store::RowLock::Share))
        return problem(line, heading(Field::Location),
                       GoneMeanwhile.arg(QStringLiteral("location")));
    for (const QString& desc : plan.newLocations) {
        // An earlier row of this run may have made it.
        const QList<int> made = children_.value(childKey(plan.locId, fold(desc)));
        plan.locId = made.isEmpty() ? createLocation(plan.locId, desc, line) : made.front();
        if (plan.locId == 0)
            return;
    }
    if (rowProblems_ > 0)
        return;

    ++result_.counts.items;
    if (static_cast<int>(result_.preview.size()) < PreviewLimit) {
        PreviewRow p;
        p.line = line;
        p.code = plan.code;
        p.product = cell(r, Field::Product);
        p.category = cell(r, Field::Category);
        p.location = pathOf(plan.locId);
        p.supplier = cell(r, Field::Supplier);
        p.cost = plan.costShown;
        p.dateAdded = plan.added.toString(store::ShownRecordDateTime);
        if (o_.kind == Kind::Licences) {
            p.expires = plan.expires
                            ? store::readStoredDate(*plan.expires).toString(store::ShownDate)
                            : QString();
            p.type = plan.temporary ? store::LicenceTemporary : store::LicenceNormal;
        }
        result_.preview.push_back(p);
    }
    if (!write_)
        return;

    // The item, stored with the next rows in one statement, then its
    // history row.
    Pending p;
    p.line = line;
    p.code = plan.code;
    p.prodId = plan.prodId;
    p.locId = plan.locId;
    if (plan.suppId != 0)
        p.suppId = plan.suppId;
    p.cost = plan.cost;
    p.added = plan.added.toString(store::StoredDateTime);
    p.expires = plan.expires;
    p.type = plan.temporary ? store::LicenceTemporary : store::LicenceNormal;
    p.historyText = plan.locId == store::loc::AvailableLicences
                        ? QStringLiteral("Available Licences")
                        : locDesc_.value(plan.locId);
    pending_.push_back(std::move(p));
    if (pending_.size() == BatchRows)
        flush();
}

QString Run::insertText(size_t rows) const {
    const bool stock = o_.kind == Kind::Stock;
    const QString head =
        stock ? QStringLiteral("INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Supp_ID, Cost, "
                               "Date_Added) VALUES ")
              : QStringLiteral("INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Supp_ID, "
                               "Cost, Date_Added, Exp_Date, Type) VALUES ");
    const QString row =
        stock ? QStringLiteral("(?, ?, ?, ?, ?, ?)") : QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)");
    return head + QStringList(static_cast<qsizetype>(rows), row).join(QStringLiteral(", "));
}

void Run::flush() {
    if (pending_.empty() || !write_) {
        pending_.clear();
        return;
    }
    const bool stock = o_.kind == Kind::Stock;
    const QString table = stock ? QStringLiteral("Stock") : QStringLiteral("Licences");
    const QString idColumn = stock ? QStringLiteral("Stock_ID") : QStringLiteral("Licence_ID");
    const QString codeColumn =
        stock ? QStringLiteral("Stock_Code") : QStringLiteral("Licence_Name");
    // The rows this statement adds get ids above the highest now there.
    std::int64_t before = 0;
    {
        store::Query q(db_, QStringLiteral("SELECT max(%1) AS MaxID FROM %2").arg(idColumn, table));
        if (q.next() && !q.isNull(QStringLiteral("MaxID")))
            before = q.integer(QStringLiteral("MaxID"));
    }
    std::optional<store::Query> once;
    store::Query* insert = nullptr;
    if (pending_.size() == BatchRows) {
        if (batchInsert_)
            batchInsert_->reset();
        else
            batchInsert_.emplace(db_, insertText(BatchRows));
        insert = &*batchInsert_;
    } else {
        once.emplace(db_, insertText(pending_.size()));
        insert = &*once;
    }
    int index = 0;
    for (const Pending& p : pending_) {
        insert->bind(++index, p.code);
        insert->bind(++index, p.prodId);
        insert->bind(++index, p.locId);
        insert->bind(++index, p.suppId);
        insert->bind(++index, p.cost);
        insert->bind(++index, p.added);
        if (!stock) {
            insert->bind(++index, p.expires);
            insert->bind(++index, p.type);
        }
    }
    const int first = pending_.front().line;
    const int last = pending_.back().line;
    int added = 0;
    try {
        added = insert->execute();
    } catch (const store::DbError& error) {
        if (!error.isUniqueViolation())
            throw;
        pending_.clear();
        return problem(first, heading(Field::Code),
                       QStringLiteral("a %1 of lines %2-%3 was added by another user meanwhile")
                           .arg(codeWord())
                           .arg(first)
                           .arg(last));
    }
    if (added != static_cast<int>(pending_.size())) {
        pending_.clear();
        return problem(
            first, QString(),
            QStringLiteral("the rows of lines %1-%2 were not stored").arg(first).arg(last));
    }
    // Their ids, found by their codes (on a server other users' new rows
    // may lie among them).
    QHash<QString, int> ids;
    store::Query q(db_, QStringLiteral("SELECT %1 AS ItemID, %2 AS Code FROM %3 WHERE %1 > ?")
                            .arg(idColumn, codeColumn, table));
    q.bindAll(before);
    while (q.next())
        ids.insert(fold(q.text(QStringLiteral("Code"))),
                   static_cast<int>(q.integer(QStringLiteral("ItemID"))));
    const QString type = stock ? store::HistoryStock : store::HistoryLicence;
    for (const Pending& p : pending_) {
        const int id = ids.value(fold(p.code));
        if (id == 0 || history_->write(id, type, p.historyText, now_) != 1)
            problem(p.line, QString(), QStringLiteral("the row's history was not written"));
    }
    pending_.clear();
}

void Run::reject(const CsvRecord& r, const QString& reason) {
    ++result_.counts.skipped;
    if (!write_)
        return;
    if (!rejected_) {
        const QString target = rejectedPath(o_.path);
        if (common::isProtectedTarget(target, db_.path(), common::Written::Report))
            throw std::runtime_error("the rejected rows' file may not be written there");
        rejected_ = std::make_unique<common::ReplacementFile>(target);
        if (!rejected_->create())
            throw std::runtime_error(rejected_->errorString().toStdString());
        rejectedOut_ = std::make_unique<QFile>(rejected_->temporaryPath());
        if (!rejectedOut_->open(QIODevice::WriteOnly))
            throw std::runtime_error(rejectedOut_->errorString().toStdString());
        QList<QByteArray> header = rawHeader_;
        header << "Line"
               << "Reason";
        rejectedOut_->write("\xEF\xBB\xBF" + csvLine(header));
    }
    QList<QByteArray> fields = r.raw;
    while (fields.size() < rawHeader_.size())
        fields << QByteArray();
    fields << QByteArray::number(r.line) << reason.toUtf8();
    rejectedOut_->write(csvLine(fields));
}

void Run::takeRow(const CsvRecord& r) {
    rowProblems_ = 0;
    rowReasons_.clear();
    if (std::all_of(r.fields.begin(), r.fields.end(),
                    [](const QString& f) { return f.trimmed().isEmpty(); }) &&
        r.cellCount <= MaxColumns)
        return; // an empty row
    ++result_.counts.rows;
    if (r.notUtf8) {
        problem(r.line, QString(),
                QStringLiteral("the text is not UTF-8; save the file as \"CSV UTF-8\""));
    } else if (r.cellCount != result_.headings.size()) {
        const bool extraEmpty =
            r.cellCount > result_.headings.size() && r.cellCount <= MaxColumns &&
            std::all_of(r.fields.begin() + result_.headings.size(), r.fields.end(),
                        [](const QString& f) { return f.trimmed().isEmpty(); });
        if (!extraEmpty)
            problem(r.line, QString(),
                    QStringLiteral("the row has %1 cells where the header has %2")
                        .arg(r.cellCount)
                        .arg(result_.headings.size()));
    }
    if (rowProblems_ == 0) {
        RowPlan plan;
        // Every check runs, so that a row's problems are all named at once.
        bool ok = checkCode(r, plan);
        ok = checkProduct(r, plan) && ok;
        ok = checkSupplier(r, plan) && ok;
        ok = checkLocation(r, plan) && ok;
        ok = checkValues(r, plan) && ok;
        if (ok)
            storeRow(r, plan);
    }
    if (rowProblems_ > 0 && o_.skipBad)
        reject(r, rowReasons_.join(QStringLiteral("; ")));
}

ImportResult Run::go() {
    CsvReader reader;
    if (!reader.open(o_.path)) {
        problem(0, QString(), QStringLiteral("cannot read %1: %2").arg(o_.path, reader.error()));
        return result_;
    }
    std::optional<CsvRecord> header = reader.next();
    if (!header) {
        if (!reader.error().isEmpty())
            problem(reader.errorLine(), QString(), reader.error());
        else
            problem(1, QString(), QStringLiteral("the file is empty: no header row"));
        return result_;
    }
    if (!readHeader(*header))
        return result_;
    const bool writing = write_;
    std::optional<store::Transaction> tx;
    if (writing)
        tx.emplace(db_);
    if (writing)
        history_.emplace(db_);
    loadRegister();
    qint64 rows = 0;
    while (std::optional<CsvRecord> r = reader.next()) {
        takeRow(*r);
        if ((++rows & 255) == 0 && progress_ && !progress_(reader.bytesRead(), reader.size())) {
            result_.cancelled = true;
            break;
        }
    }
    if (!reader.error().isEmpty()) {
        // The rest of the file is unread: nothing can be stored, even
        // skipping rows.
        write_ = false;
        problem(reader.errorLine(), QString(), reader.error());
        return result_;
    }
    if (progress_ && !result_.cancelled)
        result_.cancelled = !progress_(reader.size(), reader.size());
    if (writing && write_ && !result_.cancelled)
        flush();
    if (!writing || result_.cancelled || !write_)
        return result_;
    batchInsert_.reset();
    history_.reset();
    if (rejectedOut_) {
        rejectedOut_->close();
        if (rejectedOut_->error() != QFileDevice::NoError || !rejected_->commit())
            throw std::runtime_error("the rejected rows' file could not be written");
        result_.rejectedFile = rejected_->target();
    }
    try {
        tx->commit();
    } catch (...) {
        if (!result_.rejectedFile.isEmpty())
            QFile::remove(result_.rejectedFile);
        throw;
    }
    result_.stored = true;
    return result_;
}

} // namespace

QString Problem::text() const {
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason;
}

QString fieldName(Kind kind, Field field) {
    for (const FieldInfo& info : fieldTable())
        if (info.field == field && nameOf(info, kind))
            return QString::fromLatin1(nameOf(info, kind));
    return QString();
}

std::vector<Field> fieldsOf(Kind kind) {
    std::vector<Field> out;
    for (const FieldInfo& info : fieldTable())
        if (nameOf(info, kind))
            out.push_back(info.field);
    return out;
}

std::optional<Field> fieldForHeading(Kind kind, const QString& heading) {
    const QString key = headingKey(heading);
    for (const FieldInfo& info : fieldTable()) {
        const char* name = nameOf(info, kind);
        if (!name)
            continue;
        if (key == QLatin1String(name) || info.headings.contains(key))
            return info.field;
    }
    return std::nullopt;
}

QString rejectedPath(const QString& source) {
    const QFileInfo info(source);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".rejected.csv"));
}

QString CollectingMessages::take() {
    const QString text = texts.join(QStringLiteral("; "));
    texts.clear();
    return text;
}

bool CollectingMessages::present(common::MessageKind, const QString& text) {
    texts << text;
    return false;
}

clsImport::clsImport(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

ImportResult clsImport::DryRun(const ImportOptions& options, const Progress& progress) {
    return Run(db_, clock_, options, false, progress).go();
}

ImportResult clsImport::Import(const ImportOptions& options, const Progress& progress) {
    // Whatever stops the run before its commit rolls it all back.
    try {
        return Run(db_, clock_, options, true, progress).go();
    } catch (const store::DbError& error) {
        ImportResult failed;
        failed.problems.push_back(
            {0, QString(), QStringLiteral("the register refused the import: ") + error.text()});
        return failed;
    } catch (const std::runtime_error& error) {
        ImportResult failed;
        failed.problems.push_back({0, QString(), QString::fromStdString(error.what())});
        return failed;
    }
}

} // namespace imports
