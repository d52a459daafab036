#include "assets/clsStockLicenceHist.h"

#include "common/Messages.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/LocationPaths.h"
#include "store/StoreConstants.h"

#include <algorithm>

namespace assets {

namespace {

// Stored stamps are ISO text ("yyyy-MM-dd HH:mm:ss", with or without
// milliseconds): the shown form "dd/MM/yy HH:mm" is a rearrangement of it.
QString shownStamp(const QString& stored) {
    static const QString pattern = QStringLiteral("dddd-dd-dd dd:dd");
    if (stored.size() < pattern.size())
        return stored;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = stored.at(i);
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (pattern.at(i) == QLatin1Char('d') ? !digit : c != pattern.at(i))
            return stored;
    }
    return stored.mid(8, 2) + QLatin1Char('/') + stored.mid(5, 2) + QLatin1Char('/') +
           stored.mid(2, 2) + QLatin1Char(' ') + stored.mid(11, 5);
}

} // namespace

clsStockLicenceHist::clsStockLicenceHist(store::Database& db, common::Messages& messages)
    : db_(db), messages_(messages) {}

bool clsStockLicenceHist::knownType(const QString& itemType) {
    return itemType == store::HistoryStock || itemType == store::HistoryLicence;
}

std::optional<HistoryItem> clsStockLicenceHist::GetInitData(int itemId, const QString& itemType) {
    if (!knownType(itemType))
        return std::nullopt;
    const bool stock = itemType == store::HistoryStock;
    store::Query q(db_,
                   stock ? QStringLiteral("SELECT s.Stock_Code AS code, p.Prod_Desc FROM Stock s "
                                          "JOIN Products p ON p.Prod_ID = s.Prod_ID "
                                          "WHERE s.Stock_ID = ?")
                         : QStringLiteral("SELECT l.Licence_Name AS code, p.Prod_Desc "
                                          "FROM Licences l JOIN Products p ON "
                                          "p.Prod_ID = l.Prod_ID WHERE l.Licence_ID = ?"));
    q.bindAll(itemId);
    if (!q.next()) {
        messages_.fail((stock ? QStringLiteral("Internal Error: Getting stock code for ")
                              : QStringLiteral("Internal Error: Getting licence code for ")) +
                       QString::number(itemId));
        return std::nullopt;
    }
    return HistoryItem{q.text(QStringLiteral("code")), q.text(QStringLiteral("Prod_Desc"))};
}

common::ListRows clsStockLicenceHist::FillHistory(int itemId, const QString& itemType) {
    common::ListRows rows;
    if (!knownType(itemType))
        return rows;
    // A row names its location by description only. It is shown as the
    // path of the one location of that name; where several share it, the
    // item's own location when it is one of them (the place it stands now),
    // else as stored, rather than as the path of a place it may never have
    // been. The rows are read first, then the locations of every name they
    // hold in one go.
    std::optional<int> standsAt;
    {
        store::Query at(db_, itemType == store::HistoryStock
                                 ? QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_ID = ?")
                                 : QStringLiteral("SELECT Loc_ID FROM Licences "
                                                  "WHERE Licence_ID = ?"));
        at.bindAll(itemId);
        if (at.next())
            standsAt = static_cast<int>(at.integer(QStringLiteral("Loc_ID")));
    }
    // Within one stamp, rows keep the order they were written in.
    QStringList places;
    {
        store::Query q(db_, QStringLiteral("SELECT Loc_Desc, move_date, Moved_By FROM "
                                           "StockHistory WHERE Type = ? AND Stock_Lic_ID = ? "
                                           "ORDER BY move_date, rowid"));
        q.bindAll(itemType, itemId);
        int counter = 0;
        while (q.next()) {
            const QString place = q.rawText(QStringLiteral("Loc_Desc"));
            places << place;
            rows.push_back({QStringLiteral("Z") + QString::number(++counter),
                            {shownStamp(q.rawText(QStringLiteral("move_date"))), place,
                             q.text(QStringLiteral("Moved_By"))},
                            false});
        }
    }
    const store::LocationPaths paths(db_);
    places.removeDuplicates();
    paths.prefetchNamed(places);
    // Paths only of the locations shown: a name of one location, and the
    // place the item stands at.
    std::vector<int> shown;
    if (standsAt)
        shown.push_back(*standsAt);
    for (const QString& place : std::as_const(places))
        if (const std::vector<int> named = paths.named(place); named.size() == 1)
            shown.push_back(named.front());
    paths.prefetch(shown);
    const auto shownPlace = [&](const QString& stored) {
        const std::vector<int> named = paths.named(stored);
        if (named.size() == 1)
            return paths.path(named.front());
        if (standsAt && std::find(named.begin(), named.end(), *standsAt) != named.end())
            return paths.path(*standsAt);
        return stored;
    };
    // The stored description stands in the row until it is replaced.
    for (common::ListRow& row : rows)
        row.texts[1] = shownPlace(row.texts[1]);
    return rows;
}

} // namespace assets
