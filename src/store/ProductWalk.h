#pragma once

// Walking the products in the order the lists show them: by description
// through the collation, then by id, the order of ixProductsDescOrder. A
// long list is read a slice at a time by going on from the last product
// read (a keyset), so that a slice costs what it holds and the products
// walked past, never the rows before it.

#include <QString>

#include "store/Database.h"

#include <cstdint>
#include <vector>

namespace store {

// The last product read; the default is before the first.
struct ProductPlace {
    std::int64_t prodId = 0;
    QString prodDesc; // as stored
};

// The condition " AND (…)" that keeps the products (alias p) after place;
// empty before the first product.
QString productsAfter(const ProductPlace& place);
// The values of productsAfter(place), in order.
std::vector<BoundValue> productsAfterValues(const ProductPlace& place);
// Binds them from position index on; returns the position after them.
int bindProductsAfter(Query& q, int index, const ProductPlace& place);
// " ORDER BY" the products' order (alias p), with more keys after it when
// given (", s.Stock_ID").
QString productsInOrder(const QString& thenBy = QString());

} // namespace store
