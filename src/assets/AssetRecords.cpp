#include "assets/AssetRecords.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

namespace assets {

QString storedCode(const QString& typed) {
    return catalogue::cleanFreeText(typed).toUpper();
}

std::optional<int> idFromText(const QString& text) {
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return id;
}

std::optional<int> supplierFromText(const QString& text) {
    const std::optional<int> id = idFromText(text);
    if (!id || *id == 0)
        return std::nullopt;
    return id;
}

catalogue::Choices productChoices(store::Database& db) {
    catalogue::Choices out;
    store::Query q(db,
                   QStringLiteral("SELECT Prod_ID, Prod_Desc FROM Products ORDER BY Prod_Desc") +
                       store::IgnoreCase + QStringLiteral(", Prod_ID"));
    while (q.next())
        out.push_back({static_cast<int>(q.integer(QStringLiteral("Prod_ID"))),
                       q.text(QStringLiteral("Prod_Desc"))});
    return out;
}

std::optional<QString> productDescription(store::Database& db, int prodId) {
    store::Query q(db, QStringLiteral("SELECT Prod_Desc FROM Products WHERE Prod_ID = ?"));
    q.bindAll(prodId);
    if (!q.next())
        return std::nullopt;
    return q.text(QStringLiteral("Prod_Desc"));
}

} // namespace assets
