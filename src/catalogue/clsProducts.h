#pragma once

// Products: the list of a category's products with live counts, checking
// and storing the product dialog's fields, deleting a product with its
// removed items and their history, and the product enquiry's choosers.

#include "catalogue/FreeText.h"
#include "common/KeyRule.h"
#include "common/ListRow.h"
#include "store/Money.h"

#include <QDate>
#include <QString>

#include <optional>

namespace store {
class Database;
}
namespace common {
class Clock;
class Messages;
} // namespace common

namespace catalogue {

inline constexpr int ProductCodeLimit = 50;
inline constexpr int ProductDescLimit = 255;
inline constexpr int CostLimit = common::CostLimit;
// 1,000,000.00, the highest cost a product may carry.
inline constexpr store::Money MaxProductCost = store::Money::fromCents(100000000);
// The most licences a product may record as owned, and the digits that
// takes.
inline constexpr int MaxLicencesOwned = 1000000;
inline constexpr int LicencesOwnedLimit = 7;
inline const QString LicencesOwnedRefusal =
    QStringLiteral("Please enter the number of licences owned, from 0 to 1,000,000, or leave it "
                   "empty");

// How a product's licences stand against what the organisation owns. In
// use counts every licence that is not removed, the temporary ones among
// them; temporary is shown apart as well.
struct LicenceUse {
    std::optional<int> owned; // no value: not tracked
    int inUse = 0;
    int temporary = 0;
    // Tracked, and more in use than owned.
    bool exceeded() const { return owned && inUse > *owned; }
    // "In use 12 of 10 owned (2 temporary)"; empty when not tracked.
    QString summary() const;
};

// The product dialog's fields as typed. The category and the supplier are
// chosen from lists and come as ids (no value: none chosen).
struct ProductFields {
    QString code;
    QString desc;
    std::optional<int> catId;
    QString cost;
    std::optional<int> suppId;
    // The licences owned as typed; empty: not tracked.
    QString owned;
};

// The fields once checked: texts trimmed, the cost read.
struct ProductValues {
    QString code;
    QString desc;
    int catId = 0;
    store::Money cost;
    std::optional<int> suppId;
    std::optional<int> owned; // no value: not tracked
};

// The field a refusal names, so that the dialog can put the focus on it.
enum class ProductField { None, Code, Description, Category, Cost, Supplier, Owned };

struct ProductCheck {
    std::optional<ProductValues> values; // no value: refused, a message shown
    ProductField refused = ProductField::None;
    // The cost as the dialog now shows it ("##,##0.00"), once it was read;
    // empty until then.
    QString costText;
};

// One product's fields as the product dialog loads them.
struct ProductDetails {
    QString code;
    QString desc;
    // The product's category; no value when its description could not be
    // found ("Internal Error: getting category description for this
    // product" has been shown).
    std::optional<int> catId;
    // Prod_Cost as "0.00" (no thousands separator).
    QString cost;
    std::optional<int> suppId;
    // The supplier's name, trimmed; empty without a supplier, or when the
    // supplier is gone ("Internal Error: selecting supplier").
    QString suppName;
    // The date added or last changed; invalid when none is stored (or the
    // category was not found).
    QDate dateAdded;
    // The licences owned in digits; empty when not tracked.
    QString owned;
};

struct ProductSave {
    std::optional<int> prodId; // the product stored; no value after a message
    ProductField refused = ProductField::None;
    // The cost as the dialog now shows it ("##,##0.00"), once it was read.
    QString costText;
};

class clsProducts {
public:
    clsProducts(store::Database& db, common::Messages& messages, common::Clock& clock);

    // The category whose products the product page lists.
    QString CurCatDesc;
    int CurCatID = 0;

    // The rows of the product list for the category catId (shown as
    // catDesc), by description: key "P" + id, code, description, live stock
    // items, live normal licences, live temporary licences, the licences
    // owned (empty when not tracked) and those in use (live licences of
    // both types; empty for a product neither tracked nor with a live
    // licence). One statement, however many products. No value, and "Internal Error: selecting
    // category", when the category is gone.
    std::optional<common::ListRows> FillListViewWithProds(int catId, const QString& catDesc);

    // The categories for the product dialog's chooser, by description.
    Choices FillProdMaintCatCombo();

    // The product's fields for its dialog. No value, after "Internal Error:
    // selecting product", when there is no such product.
    std::optional<ProductDetails> FillProdFormWithDets(int ProdID);

    // Every stock item of the product, removed ones included: key "S" +
    // Stock_ID, code, location description.
    common::ListRows FillStockListView(int ProdID);
    // Every licence of the product, removed ones included: key "L" +
    // Licence_ID, licence key, location description, "NORM" or "TEMP".
    common::ListRows FillLicenceListView(int ProdID);

    // Checks the fields in mode "ADD" or "MOD" (prodId: the product being
    // changed, whose own code is no duplicate).
    ProductCheck ValidateProduct(const QString& mode, const ProductFields& fields, int prodId);
    ProductSave AddNewProduct(const ProductFields& fields);
    ProductSave ModifyProduct(int prodId, const ProductFields& fields);

    // Deletes a product after asking; one with live stock or licences is
    // refused, one with removed items only goes with them and their history
    // after a second question. True when the product was deleted.
    bool DeleteProduct(int OldProdID);

    // How the product's licences stand against those owned, in one
    // grouped statement; no value when there is no such product.
    std::optional<LicenceUse> LicenceUseOf(int prodId);

    // The product enquiry's choosers: every category, and the products of
    // one category by description (descriptions as stored).
    Choices FillComboWithCats();
    Choices FillUpCombo(int catId);

private:
    // Checks the fields and stores them as a new row (prodId 0) or over
    // the row prodId.
    ProductSave save(const QString& mode, int prodId, const ProductFields& fields);
    // The insert or update of checked values.
    ProductSave write(const QString& mode, int prodId, const ProductValues& v, const QString& stamp,
                      ProductSave out);
    ProductSave writeRow(const QString& mode, int prodId, const ProductValues& v,
                         const QString& stamp, ProductSave out);

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
};

} // namespace catalogue
