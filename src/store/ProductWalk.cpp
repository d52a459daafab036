#include "store/ProductWalk.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

namespace store {

QString productsAfter(const ProductPlace& place) {
    if (place.prodId == 0)
        return QString();
    return QStringLiteral(" AND (p.Prod_Desc") + IgnoreCase +
           QStringLiteral(" > ? OR (p.Prod_Desc") + IgnoreCase +
           QStringLiteral(" = ? AND p.Prod_ID > ?))");
}

std::vector<BoundValue> productsAfterValues(const ProductPlace& place) {
    if (place.prodId == 0)
        return {};
    return {place.prodDesc, place.prodDesc, place.prodId};
}

int bindProductsAfter(Query& q, int index, const ProductPlace& place) {
    return bindValues(q, index, productsAfterValues(place));
}

QString productsInOrder(const QString& thenBy) {
    return QStringLiteral(" ORDER BY p.Prod_Desc") + IgnoreCase + QStringLiteral(", p.Prod_ID") +
           thenBy;
}

} // namespace store
