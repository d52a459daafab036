#include "catalogue/clsCategories.h"

#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

namespace catalogue {

namespace {
const QString PleaseEnter = QStringLiteral("Please enter a category");
} // namespace

clsCategories::clsCategories(store::Database& db, common::Messages& messages)
    : db_(db), messages_(messages) {}

bool clsCategories::AnyCategory() {
    return db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories LIMIT 1"));
}

Choices clsCategories::FillComboWithCats() {
    Choices out;
    store::Query q(db_,
                   QStringLiteral("SELECT Cat_ID, Cat_Desc FROM Categories ORDER BY Cat_Desc") +
                       store::IgnoreCase + QStringLiteral(", Cat_ID"));
    while (q.next())
        out.push_back({static_cast<int>(q.integer(QStringLiteral("Cat_ID"))),
                       q.text(QStringLiteral("Cat_Desc"))});
    return out;
}

common::ListRows clsCategories::FillListViewWithCats() {
    // The store keeps each product's live items counted (ProductCounts, a
    // product without a row has none): the counts are added up by category
    // from one row per product, whatever the number of items.
    common::ListRows rows;
    store::Query q(
        db_, QStringLiteral("SELECT c.Cat_ID, c.Cat_Desc, coalesce(k.ProdC, 0) AS ProdC, "
                            "coalesce(k.StockC, 0) AS StockC, coalesce(k.LicenceC, 0) AS LicenceC "
                            "FROM Categories c LEFT JOIN ("
                            " SELECT p.Prod_Cat_ID AS Cat_ID, count(*) AS ProdC,"
                            " CAST(sum(coalesce(n.Stock_Count, 0)) AS INTEGER) AS StockC,"
                            " CAST(sum(coalesce(n.Licence_Count, 0)) AS INTEGER) AS LicenceC"
                            " FROM Products p LEFT JOIN ProductCounts n ON n.Prod_ID = p.Prod_ID"
                            " GROUP BY p.Prod_Cat_ID) k ON k.Cat_ID = c.Cat_ID "
                            "ORDER BY c.Cat_Desc") +
                 store::IgnoreCase + QStringLiteral(", c.Cat_ID"));
    while (q.next())
        rows.push_back({QStringLiteral("C") + QString::number(q.integer(QStringLiteral("Cat_ID"))),
                        {q.rawText(QStringLiteral("Cat_Desc")),
                         QString::number(q.integer(QStringLiteral("ProdC"))),
                         QString::number(q.integer(QStringLiteral("StockC"))),
                         QString::number(q.integer(QStringLiteral("LicenceC")))}});
    return rows;
}

std::optional<QString> clsCategories::checkedDescription(const QString& typed) {
    // Stored as given (trimmed) or refused, never cleaned behind the user.
    const QString desc = typed.trimmed();
    if (desc.isEmpty()) {
        messages_.refuse(PleaseEnter);
        return std::nullopt;
    }
    if (!common::fitsField(common::FieldKind::FreeText, desc)) {
        messages_.refuse(QStringLiteral("Please enter a valid category description"));
        return std::nullopt;
    }
    if (desc.size() > CategoryLimit) {
        messages_.refuse(common::limitMessage(CategoryLimit));
        return std::nullopt;
    }
    return desc;
}

std::optional<int> clsCategories::AddNewCategory(const QString& typed) {
    const std::optional<QString> desc = checkedDescription(typed);
    if (!desc)
        return std::nullopt;
    if (db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_Desc = ?") +
                       store::IgnoreCase,
                   *desc)) {
        messages_.refuse(QStringLiteral("You may not create duplicate categorys"));
        return std::nullopt;
    }
    int added = 0;
    try {
        added = db_.execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"), *desc);
    } catch (const store::DbError& error) {
        // Another user stored the same name since the check.
        if (!error.isUniqueViolation())
            throw;
        messages_.conflict(QStringLiteral("You may not create duplicate categorys"));
        return std::nullopt;
    }
    if (added != 1) {
        messages_.fail(QStringLiteral("Internal Error: adding category"));
        return std::nullopt;
    }
    return static_cast<int>(db_.lastInsertId());
}

bool clsCategories::ModifyCategory(int catId, const QString& typed) {
    const std::optional<QString> desc = checkedDescription(typed);
    if (!desc)
        return false;
    // Another category by the same name (letter case ignored), or this one
    // unchanged, is refused; this one in other letter case is a rename.
    store::Query own(db_, QStringLiteral("SELECT Cat_Desc FROM Categories WHERE Cat_ID = ?"));
    own.bindAll(catId);
    const bool found = own.next();
    if ((found && own.text(QStringLiteral("Cat_Desc")) == *desc) ||
        db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_Desc = ?") +
                       store::IgnoreCase + QStringLiteral(" AND Cat_ID <> ?"),
                   *desc, catId)) {
        messages_.refuse(QStringLiteral("This category already exists"));
        return false;
    }
    int changed = 0;
    try {
        changed =
            found
                ? db_.execute(QStringLiteral("UPDATE Categories SET Cat_Desc = ? WHERE Cat_ID = ?"),
                              *desc, catId)
                : 0;
    } catch (const store::DbError& error) {
        if (!error.isUniqueViolation())
            throw;
        messages_.conflict(QStringLiteral("This category already exists"));
        return false;
    }
    if (changed != 1) {
        messages_.fail(QStringLiteral("Internal Error: Modfying category"));
        return false;
    }
    return true;
}

bool clsCategories::DeleteNewCategory(int catId) {
    return store::withRetries(db_, [&] {
        // Locked first: a product being stored in this category holds it
        // until its commit, and is then found here.
        store::Transaction tx(db_);
        store::lockRow(db_, QStringLiteral("Categories"), QStringLiteral("Cat_ID"), catId);
        if (db_.exists(QStringLiteral("SELECT Prod_ID FROM Products WHERE Prod_Cat_ID = ?"),
                       catId)) {
            messages_.refuse(
                QStringLiteral("You cannot delete a category with a product(s) tied to it."));
            return false;
        }
        if (db_.execute(QStringLiteral("DELETE FROM Categories WHERE Cat_ID = ?"), catId) != 1) {
            messages_.fail(QStringLiteral("Internal Error: Deleting category"));
            return false;
        }
        tx.commit();
        return true;
    });
}

} // namespace catalogue
