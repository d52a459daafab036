#include "store/LocationPaths.h"

#include "store/Database.h"
#include "store/FindText.h"
#include "store/StoreConstants.h"

#include <algorithm>

namespace store {

namespace {

// Deeper than any tree the program builds; stops a damaged file whose
// parents form a ring.
constexpr int MaxDepth = 256;

// "?, ?, ?" for n values.
QString placeholders(int n) {
    QString marks;
    marks.reserve(n * 3);
    for (int i = 0; i < n; ++i)
        marks += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
    return marks;
}

} // namespace

LocationPaths::LocationPaths(Database& db) : db_(db) {}

LocationPaths::LocationPaths(Database& db, const std::vector<int>& locIds) : db_(db) {
    prefetch(locIds);
}

void LocationPaths::prefetch(const std::vector<int>& locIds) const {
    // One level of the tree per round: the ids asked for, then the parents
    // of the rows just read that are not known yet, up to the top. A
    // parent already known (a ring in a damaged file included) is not read
    // again, so the rounds end.
    std::vector<int> wanted;
    QSet<int> queued;
    const auto want = [&](int id) {
        // A row read already (by a lookup of names) is climbed through to
        // the first ancestor not read yet.
        for (int depth = 0; depth < MaxDepth; ++depth) {
            const auto known = rows_.constFind(id);
            if (known == rows_.constEnd() || known->parent == id)
                break;
            id = known->parent;
        }
        if (id != loc::None && !rows_.contains(id) && !absent_.contains(id) &&
            !queued.contains(id)) {
            queued.insert(id);
            wanted.push_back(id);
        }
    };
    if (whole_)
        return;
    for (const int id : locIds)
        want(id);
    if (wanted.size() > static_cast<size_t>(WholeTableAbove)) {
        Query q(db_, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_ParentID FROM Locations"));
        while (q.next())
            rows_.insert(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
                         {q.text(QStringLiteral("Loc_Desc")),
                          static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")))});
        whole_ = true;
        return;
    }
    while (!wanted.empty()) {
        const std::vector<int> level = std::move(wanted);
        wanted.clear();
        std::vector<int> parents;
        for (size_t from = 0; from < level.size(); from += BatchSize) {
            const int n = static_cast<int>(std::min<size_t>(BatchSize, level.size() - from));
            Query q(db_, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_ParentID FROM Locations "
                                        "WHERE Loc_ID IN (") +
                             placeholders(n) + QLatin1Char(')'));
            for (int i = 0; i < n; ++i)
                q.bind(i + 1, level[from + static_cast<size_t>(i)]);
            while (q.next()) {
                const int id = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
                Row read{q.text(QStringLiteral("Loc_Desc")),
                         static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")))};
                if (read.parent != id)
                    parents.push_back(read.parent);
                rows_.insert(id, std::move(read));
            }
            for (int i = 0; i < n; ++i) {
                const int id = level[from + static_cast<size_t>(i)];
                if (!rows_.contains(id))
                    absent_.insert(id);
            }
        }
        for (const int parent : parents)
            want(parent);
    }
}

const LocationPaths::Row* LocationPaths::row(int locId) const {
    auto found = rows_.constFind(locId);
    if (found == rows_.constEnd() && !whole_ && locId != loc::None && !absent_.contains(locId)) {
        prefetch({locId});
        found = rows_.constFind(locId);
    }
    return found == rows_.constEnd() ? nullptr : &*found;
}

bool LocationPaths::contains(int locId) const {
    return row(locId) != nullptr;
}

QStringList LocationPaths::names(int locId, bool withBranches) const {
    QStringList names;
    int id = locId;
    for (int depth = 0; depth < MaxDepth; ++depth) {
        const Row* at = row(id);
        if (!at)
            break;
        // The main branches, which every placed item and licence shares,
        // are left out unless asked for, or the location is one itself.
        if (withBranches || (id != loc::AvailableLocations && id != loc::AvailableLicences) ||
            names.isEmpty())
            names.prepend(at->desc);
        if (at->parent == loc::None || at->parent == id)
            break;
        id = at->parent;
    }
    return names;
}

QString LocationPaths::path(int locId) const {
    const auto cached = paths_.constFind(locId);
    if (cached != paths_.constEnd())
        return *cached;
    QString joined = names(locId, false).join(Separator);
    paths_.insert(locId, joined);
    return joined;
}

QString LocationPaths::fullPath(int locId, const QString& separator) const {
    return names(locId, true).join(separator);
}

int LocationPaths::branchOf(int locId) const {
    int id = locId;
    for (int depth = 0; depth < MaxDepth; ++depth) {
        const Row* at = row(id);
        if (!at)
            return 0;
        if (at->parent == loc::None || at->parent == id)
            return id;
        id = at->parent;
    }
    return 0;
}

void LocationPaths::prefetchNamed(const QStringList& descs) const {
    // The folded texts of Find fold more than case (accents go too), so
    // what they find is a superset of the matches: each location found is
    // read and filed under its own description, trimmed and case folded.
    QStringList asked;
    for (const QString& desc : descs) {
        const QString trimmed = desc.trimmed();
        const QString key = trimmed.toCaseFolded();
        if (namesAsked_.contains(key))
            continue;
        namesAsked_.insert(key);
        asked << trimmed;
    }
    std::vector<int> found;
    for (qsizetype from = 0; from < asked.size(); from += BatchSize) {
        const int n = static_cast<int>(std::min<qsizetype>(BatchSize, asked.size() - from));
        QString marks;
        for (int i = 0; i < n; ++i)
            marks += i == 0 ? QStringLiteral("fold_text(?)") : QStringLiteral(", fold_text(?)");
        // The rows themselves only: a common name ("Finance") is many
        // locations, and their ancestors are read when a path is asked for.
        Query q(db_, QStringLiteral("SELECT l.Loc_ID, l.Loc_Desc, l.Loc_ParentID FROM FindText f "
                                    "INNER JOIN Locations l ON l.Loc_ID = f.Item_ID "
                                    "WHERE f.Kind = ? AND f.Folded IN (") +
                         marks + QLatin1Char(')'));
        q.bind(1, static_cast<int>(FindKind::Location));
        for (int i = 0; i < n; ++i)
            q.bind(i + 2, asked.at(from + i));
        while (q.next()) {
            const int id = static_cast<int>(q.integerAt(0));
            if (!rows_.contains(id))
                rows_.insert(id, {QString::fromUtf8(q.utf8At(1)).trimmed(),
                                  static_cast<int>(q.integerAt(2))});
            found.push_back(id);
        }
    }
    for (const int id : found) {
        const auto at = rows_.constFind(id);
        if (at == rows_.constEnd() || named_.contains(id))
            continue;
        named_.insert(id);
        std::vector<int>& ids = byFolded_[at->desc.toCaseFolded()];
        ids.insert(std::lower_bound(ids.begin(), ids.end(), id), id);
    }
}

std::vector<int> LocationPaths::named(const QString& desc) const {
    const QString key = desc.trimmed().toCaseFolded();
    if (!namesAsked_.contains(key))
        prefetchNamed({desc});
    return byFolded_.value(key);
}

} // namespace store
