#include "catalogue/clsProducts.h"

#include "catalogue/clsCategories.h"

#include "common/Clock.h"
#include "common/DialogMode.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

namespace catalogue {

QString LicenceUse::summary() const {
    if (!owned)
        return QString();
    return QStringLiteral("In use %1 of %2 owned (%3 temporary)")
        .arg(inUse)
        .arg(*owned)
        .arg(temporary);
}

clsProducts::clsProducts(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

std::optional<common::ListRows> clsProducts::FillListViewWithProds(int catId,
                                                                   const QString& catDesc) {
    CurCatDesc = catDesc.trimmed();
    if (!db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_ID = ?"), catId)) {
        messages_.fail(QStringLiteral("Internal Error: selecting category"));
        return std::nullopt;
    }
    CurCatID = catId;
    common::ListRows rows;
    // Each product's live items as the store keeps them counted
    // (ProductCounts; a product without a row has none): normal licences
    // are the live ones less the temporary ones.
    store::Query q(
        db_, QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, "
                            "coalesce(n.Stock_Count, 0) AS StockCount, "
                            "coalesce(n.Licence_Count, 0) - coalesce(n.Temp_Count, 0) AS LicCount, "
                            "coalesce(n.Temp_Count, 0) AS TempLicCount, p.Prod_Owned "
                            "FROM Products p LEFT JOIN ProductCounts n ON n.Prod_ID = p.Prod_ID "
                            "WHERE p.Prod_Cat_ID = ? ORDER BY p.Prod_Desc") +
                 store::IgnoreCase + QStringLiteral(", p.Prod_ID"));
    q.bindAll(catId);
    while (q.next()) {
        const std::int64_t licences = q.integer(QStringLiteral("LicCount"));
        const std::int64_t temporary = q.integer(QStringLiteral("TempLicCount"));
        const std::optional<std::int64_t> owned = q.optionalInteger(QStringLiteral("Prod_Owned"));
        // Owned and in use are shown for licence products: tracked ones and
        // those with licences in use.
        const bool licenceProduct = owned || licences + temporary > 0;
        rows.push_back(
            {QStringLiteral("P") + QString::number(q.integer(QStringLiteral("Prod_ID"))),
             {q.rawText(QStringLiteral("Prod_Code")), q.text(QStringLiteral("Prod_Desc")),
              QString::number(q.integer(QStringLiteral("StockCount"))), QString::number(licences),
              QString::number(temporary), owned ? QString::number(*owned) : QString(),
              licenceProduct ? QString::number(licences + temporary) : QString()}});
    }
    return rows;
}

Choices clsProducts::FillProdMaintCatCombo() {
    return FillComboWithCats();
}

std::optional<ProductDetails> clsProducts::FillProdFormWithDets(int ProdID) {
    store::Query q(db_, QStringLiteral("SELECT * FROM Products WHERE Prod_ID = ?"));
    q.bindAll(ProdID);
    if (!q.next()) {
        messages_.fail(QStringLiteral("Internal Error: selecting product"));
        return std::nullopt;
    }
    ProductDetails out;
    out.code = q.text(QStringLiteral("Prod_Code"));
    out.desc = q.text(QStringLiteral("Prod_Desc"));
    if (!q.isNull(QStringLiteral("Supp_ID")))
        out.suppId = static_cast<int>(q.integer(QStringLiteral("Supp_ID")));
    if (!q.isNull(QStringLiteral("Prod_Cost")))
        out.cost = q.money(QStringLiteral("Prod_Cost")).field();
    if (const auto owned = q.optionalInteger(QStringLiteral("Prod_Owned")))
        out.owned = QString::number(*owned);
    const int catId = static_cast<int>(q.integer(QStringLiteral("Prod_Cat_ID")));
    const QString added = q.text(QStringLiteral("Date_Added"));

    if (out.suppId) {
        store::Query s(db_,
                       QStringLiteral("SELECT Supp_Name FROM Suppliers WHERE Supplier_ID = ?"));
        s.bindAll(*out.suppId);
        if (s.next())
            out.suppName = s.text(QStringLiteral("Supp_Name"));
        else
            messages_.fail(QStringLiteral("Internal Error: selecting supplier"));
    }
    if (!db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_ID = ?"), catId)) {
        messages_.fail(
            QStringLiteral("Internal Error: getting category description for this product"));
        return out;
    }
    out.catId = catId;
    out.dateAdded = store::readStoredDate(added);
    return out;
}

common::ListRows clsProducts::FillStockListView(int ProdID) {
    common::ListRows rows;
    store::Query q(db_, QStringLiteral("SELECT s.Stock_ID, s.Stock_Code, l.Loc_Desc "
                                       "FROM Stock s JOIN Locations l ON s.Loc_ID = l.Loc_ID "
                                       "WHERE s.Prod_ID = ? ORDER BY s.Stock_ID"));
    q.bindAll(ProdID);
    while (q.next())
        rows.push_back(
            {QStringLiteral("S") + QString::number(q.integer(QStringLiteral("Stock_ID"))),
             {q.text(QStringLiteral("Stock_Code")), q.text(QStringLiteral("Loc_Desc"))}});
    return rows;
}

common::ListRows clsProducts::FillLicenceListView(int ProdID) {
    common::ListRows rows;
    store::Query q(db_, QStringLiteral("SELECT c.Licence_ID, c.Licence_Name, c.Type, l.Loc_Desc "
                                       "FROM Licences c JOIN Locations l ON c.Loc_ID = l.Loc_ID "
                                       "WHERE c.Prod_ID = ? ORDER BY c.Licence_ID"));
    q.bindAll(ProdID);
    while (q.next())
        rows.push_back(
            {QStringLiteral("L") + QString::number(q.integer(QStringLiteral("Licence_ID"))),
             {q.text(QStringLiteral("Licence_Name")), q.text(QStringLiteral("Loc_Desc")),
              q.text(QStringLiteral("Type")) == store::LicenceNormal ? QStringLiteral("NORM")
                                                                     : QStringLiteral("TEMP")}});
    return rows;
}

ProductCheck clsProducts::ValidateProduct(const QString& mode, const ProductFields& fields,
                                          int prodId) {
    ProductCheck out;
    const auto refuse = [&](ProductField field, const QString& text) {
        messages_.refuse(text);
        out.refused = field;
        return out;
    };
    if (mode != common::mode::Mod && mode != common::mode::Add) {
        messages_.fail(QStringLiteral("Internal Error: Invalid Validation Type"));
        return out;
    }
    ProductValues values;
    // Texts are stored as given (trimmed) or refused: pasted text that the
    // key filter would not have let in is never cleaned behind the user.
    values.code = fields.code.trimmed();
    if (values.code.isEmpty())
        return refuse(ProductField::Code, QStringLiteral("Please enter a product code"));
    if (!common::fitsField(common::FieldKind::FreeText, values.code))
        return refuse(ProductField::Code, QStringLiteral("Please enter a valid product code"));
    if (values.code.size() > ProductCodeLimit)
        return refuse(ProductField::Code, common::limitMessage(ProductCodeLimit));
    values.desc = fields.desc.trimmed();
    if (values.desc.isEmpty())
        return refuse(ProductField::Description,
                      QStringLiteral("Please enter a product description"));
    if (!common::fitsField(common::FieldKind::FreeText, values.desc))
        return refuse(ProductField::Description,
                      QStringLiteral("Please enter a valid product description"));
    if (values.desc.size() > ProductDescLimit)
        return refuse(ProductField::Description, common::limitMessage(ProductDescLimit));
    if (!fields.catId)
        return refuse(ProductField::Category, QStringLiteral("Please select a category"));
    values.catId = *fields.catId;
    // Decimal point, thousands in groups of three after commas, at most two
    // decimals, no sign: read once, exactly, into hundredths.
    // An amount too long to hold is above the limit, not malformed.
    store::Money amount;
    const store::Money::Reading reading = store::Money::read(fields.cost, amount);
    const QString tooHigh = QStringLiteral("Product cost cannot exceed 1,000,000.00");
    if (reading == store::Money::Reading::TooLarge)
        return refuse(ProductField::Cost, tooHigh);
    if (fields.cost.trimmed().size() > CostLimit)
        return refuse(ProductField::Cost, common::limitMessage(CostLimit));
    if (reading == store::Money::Reading::Invalid)
        return refuse(ProductField::Cost, QStringLiteral("Please enter a valid product cost"));
    if (amount > MaxProductCost)
        return refuse(ProductField::Cost, tooHigh);
    const std::optional<store::Money> cost = amount;
    values.cost = *cost;
    if (!fields.cost.trimmed().isEmpty())
        out.costText = cost->display();
    values.suppId = fields.suppId;
    // Digits only, within the limit; empty is "not tracked".
    const QString owned = fields.owned.trimmed();
    if (!owned.isEmpty()) {
        bool ok = false;
        const int count = owned.toInt(&ok);
        if (owned.size() > LicencesOwnedLimit ||
            !common::fitsField(common::FieldKind::Digits, owned) || !ok || count > MaxLicencesOwned)
            return refuse(ProductField::Owned, LicencesOwnedRefusal);
        values.owned = count;
    }

    const QString duplicate =
        QStringLiteral("SELECT Prod_ID FROM Products WHERE Prod_Code = ?") + store::IgnoreCase;
    const bool taken =
        mode == common::mode::Add
            ? db_.exists(duplicate, values.code)
            : db_.exists(duplicate + QStringLiteral(" AND Prod_ID <> ?"), values.code, prodId);
    if (taken)
        return refuse(ProductField::Code,
                      QStringLiteral("You may not create duplicate a product with the same code"));
    out.values = std::move(values);
    return out;
}

ProductSave clsProducts::save(const QString& mode, int prodId, const ProductFields& fields) {
    const ProductCheck check = ValidateProduct(mode, fields, prodId);
    ProductSave out{std::nullopt, check.refused, check.costText};
    if (!check.values)
        return out;
    const ProductValues& v = *check.values;
    if (!db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_ID = ?"), v.catId)) {
        messages_.fail(QStringLiteral("Internal Error: Getting CategoryID"));
        return out;
    }
    // A supplier chosen in this dialog may have been deleted from another
    // one meanwhile: named as such, before the engine's key check would.
    if (v.suppId && !db_.exists(QStringLiteral("SELECT Supplier_ID FROM Suppliers WHERE "
                                               "Supplier_ID = ?"),
                                *v.suppId)) {
        messages_.refuse(QStringLiteral("The chosen supplier no longer exists, please choose "
                                        "another"));
        out.refused = ProductField::Supplier;
        return out;
    }
    const QString stamp = clock_.now().toString(store::StoredDateTime);
    try {
        return write(mode, prodId, v, stamp, out);
    } catch (const store::DbError& error) {
        // Another user stored the same code since the check.
        if (!error.isUniqueViolation())
            throw;
        messages_.conflict(
            QStringLiteral("You may not create duplicate a product with the same code"));
        out.refused = ProductField::Code;
        return out;
    }
}

ProductSave clsProducts::write(const QString& mode, int prodId, const ProductValues& v,
                               const QString& stamp, ProductSave out) {
    // The category and supplier checked above stay until the commit: their
    // deletion by another user waits for it, and then finds the product.
    store::Transaction tx(db_);
    if (!store::lockRow(db_, QStringLiteral("Categories"), QStringLiteral("Cat_ID"), v.catId,
                        store::RowLock::Keep)) {
        messages_.fail(QStringLiteral("Internal Error: Getting CategoryID"));
        return out;
    }
    if (v.suppId && !store::lockRow(db_, QStringLiteral("Suppliers"), QStringLiteral("Supplier_ID"),
                                    *v.suppId, store::RowLock::Keep)) {
        messages_.conflict(
            QStringLiteral("The chosen supplier no longer exists, please choose another"));
        out.refused = ProductField::Supplier;
        return out;
    }
    out = writeRow(mode, prodId, v, stamp, out);
    if (out.prodId)
        tx.commit();
    return out;
}

ProductSave clsProducts::writeRow(const QString& mode, int prodId, const ProductValues& v,
                                  const QString& stamp, ProductSave out) {
    if (mode == common::mode::Add) {
        db_.execute(QStringLiteral("INSERT INTO Products (Prod_Desc, Prod_Code, Prod_Cat_ID, "
                                   "Supp_ID, Prod_Cost, Date_Added, Prod_Owned) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                    v.desc, v.code, v.catId, v.suppId, v.cost, stamp, v.owned);
        out.prodId = static_cast<int>(db_.lastInsertId());
        return out;
    }
    const int changed =
        db_.execute(QStringLiteral("UPDATE Products SET Prod_Desc = ?, Prod_Code = ?, "
                                   "Prod_Cat_ID = ?, Supp_ID = ?, Prod_Cost = ?, Date_Added = ?, "
                                   "Prod_Owned = ? WHERE Prod_ID = ?"),
                    v.desc, v.code, v.catId, v.suppId, v.cost, stamp, v.owned, prodId);
    if (changed != 1) {
        messages_.fail(QStringLiteral("Internal Error: Modifying Product"));
        return out;
    }
    out.prodId = prodId;
    return out;
}

ProductSave clsProducts::AddNewProduct(const ProductFields& fields) {
    return save(common::mode::Add, 0, fields);
}

ProductSave clsProducts::ModifyProduct(int prodId, const ProductFields& fields) {
    return save(common::mode::Mod, prodId, fields);
}

bool clsProducts::DeleteProduct(int OldProdID) {
    const int p = OldProdID;
    if (!messages_.ask(QStringLiteral("Are you sure you wish to delete this product")))
        return false;
    if (db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Loc_ID <> ? AND "
                                  "Prod_ID = ?"),
                   store::loc::RemovedLicences, p)) {
        messages_.refuse(QStringLiteral("Cant Remove this product, licences are still tied to it"));
        return false;
    }
    if (db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID <> ? AND Prod_ID = ?"),
                   store::loc::RemovedStock, p)) {
        messages_.refuse(QStringLiteral("Cant Remove this product, stock is still tied to it"));
        return false;
    }
    const bool removedItems =
        db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Loc_ID = ? AND "
                                  "Prod_ID = ?"),
                   store::loc::RemovedLicences, p) ||
        db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID = ? AND Prod_ID = ?"),
                   store::loc::RemovedStock, p);
    if (removedItems &&
        !messages_.ask(QStringLiteral(
            "WARNING !!\r"
            "You have removed stock and licences for this product on the system.\r"
            "These will be completely removed including any historic data\r"
            "Remove this product together with its removed stock items and licences\r")))
        return false;

    return store::withRetries(db_, [&] {
        // The items, their history and the product go together or not at
        // all.
        store::Transaction tx(db_);
        // Locked, the product takes no new item until the commit; what the
        // checks above found must still hold, as another user may have
        // added, moved or removed its items since.
        if (!store::lockRow(db_, QStringLiteral("Products"), QStringLiteral("Prod_ID"), p)) {
            messages_.conflict(common::RemovedByAnotherUser);
            return false;
        }
        if (db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Loc_ID <> ? AND "
                                      "Prod_ID = ?"),
                       store::loc::RemovedLicences, p)) {
            messages_.conflict(
                QStringLiteral("Cant Remove this product, licences are still tied to it"));
            return false;
        }
        if (db_.exists(
                QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID <> ? AND Prod_ID = ?"),
                store::loc::RemovedStock, p)) {
            messages_.conflict(
                QStringLiteral("Cant Remove this product, stock is still tied to it"));
            return false;
        }
        const bool removedNow =
            db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Prod_ID = ?"), p) ||
            db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Prod_ID = ?"), p);
        if (removedNow && !removedItems) {
            // Removed items the user was not asked about.
            messages_.conflict(common::ChangedByAnotherUser);
            return false;
        }
        if (removedNow) {
            db_.execute(QStringLiteral("DELETE FROM StockHistory WHERE Type = ? AND Stock_Lic_ID "
                                       "IN (SELECT Stock_ID FROM Stock WHERE Prod_ID = ?)"),
                        store::HistoryStock, p);
            db_.execute(QStringLiteral("DELETE FROM StockHistory WHERE Type = ? AND Stock_Lic_ID "
                                       "IN (SELECT Licence_ID FROM Licences WHERE Prod_ID = ?)"),
                        store::HistoryLicence, p);
            db_.execute(QStringLiteral("DELETE FROM Stock WHERE Prod_ID = ?"), p);
            db_.execute(QStringLiteral("DELETE FROM Licences WHERE Prod_ID = ?"), p);
        }
        if (db_.execute(QStringLiteral("DELETE FROM Products WHERE Prod_ID = ?"), p) != 1) {
            messages_.fail(QStringLiteral("Internal Error: Deleting Product"));
            return false; // the transaction rolls back as it goes
        }
        tx.commit();
        return true;
    });
}

std::optional<LicenceUse> clsProducts::LicenceUseOf(int prodId) {
    store::Query q(db_, QStringLiteral("SELECT p.Prod_Owned, "
                                       "SUM(CASE WHEN l.Licence_ID IS NULL THEN 0 ELSE 1 END) "
                                       " AS InUse, "
                                       "SUM(CASE WHEN l.Type = ? THEN 1 ELSE 0 END) AS TempInUse "
                                       "FROM Products p LEFT JOIN Licences l "
                                       " ON l.Prod_ID = p.Prod_ID AND l.Loc_ID <> ? "
                                       "WHERE p.Prod_ID = ? GROUP BY p.Prod_ID, p.Prod_Owned"));
    q.bindAll(store::LicenceTemporary, store::loc::RemovedLicences, prodId);
    if (!q.next())
        return std::nullopt;
    LicenceUse use;
    if (const auto owned = q.optionalInteger(QStringLiteral("Prod_Owned")))
        use.owned = static_cast<int>(*owned);
    use.inUse = static_cast<int>(q.integer(QStringLiteral("InUse")));
    use.temporary = static_cast<int>(q.integer(QStringLiteral("TempInUse")));
    return use;
}

Choices clsProducts::FillComboWithCats() {
    // The same chooser as the category page's.
    return clsCategories(db_, messages_).FillComboWithCats();
}

Choices clsProducts::FillUpCombo(int catId) {
    Choices out;
    store::Query q(db_,
                   QStringLiteral("SELECT Prod_ID, Prod_Desc FROM Products WHERE Prod_Cat_ID = ? "
                                  "ORDER BY Prod_Desc") +
                       store::IgnoreCase + QStringLiteral(", Prod_ID"));
    q.bindAll(catId);
    while (q.next())
        out.push_back({static_cast<int>(q.integer(QStringLiteral("Prod_ID"))),
                       q.rawText(QStringLiteral("Prod_Desc"))});
    return out;
}

} // namespace catalogue
