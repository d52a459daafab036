#include "store/LocationPaths.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QStringList>

namespace store {

namespace {

// Deeper than any tree the program builds; stops a damaged file whose
// parents form a ring.
constexpr int MaxDepth = 256;

} // namespace

LocationPaths::LocationPaths(Database& db) {
    Query q(db, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_ParentID FROM Locations"));
    while (q.next()) {
        const int id = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
        Row row{q.text(QStringLiteral("Loc_Desc")),
                static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")))};
        byFolded_[row.desc.toCaseFolded()].push_back(id);
        rows_.insert(id, std::move(row));
    }
}

QString LocationPaths::path(int locId) const {
    const auto cached = paths_.constFind(locId);
    if (cached != paths_.constEnd())
        return *cached;
    QStringList names;
    int id = locId;
    for (int depth = 0; depth < MaxDepth; ++depth) {
        const auto row = rows_.constFind(id);
        if (row == rows_.constEnd())
            break;
        // The main branches, which every placed item and licence shares,
        // are left out, unless the location is one itself.
        if ((id != loc::AvailableLocations && id != loc::AvailableLicences) || names.isEmpty())
            names.prepend(row->desc);
        if (row->parent == loc::None || row->parent == id)
            break;
        id = row->parent;
    }
    QString joined = names.join(Separator);
    paths_.insert(locId, joined);
    return joined;
}

int LocationPaths::branchOf(int locId) const {
    int id = locId;
    for (int depth = 0; depth < MaxDepth; ++depth) {
        const auto row = rows_.constFind(id);
        if (row == rows_.constEnd())
            return 0;
        if (row->parent == loc::None || row->parent == id)
            return id;
        id = row->parent;
    }
    return 0;
}

std::vector<int> LocationPaths::named(const QString& desc) const {
    return byFolded_.value(desc.trimmed().toCaseFolded());
}

} // namespace store
