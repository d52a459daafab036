#pragma once

// Full location paths ("Head Office › Main Building › Room 101") for the
// rows of a list. Only the locations asked for and their ancestors are
// read, by id, a batch of ids per statement and one level of the tree at a
// time (or, for a list naming very many, the whole table in one pass), and
// kept for the life of the object. A list reads its rows first,
// hands the distinct location ids to prefetch() and then asks for each
// row's path: a few statements for the whole list, however large the
// location table. Asking for a location not read yet reads it (and its
// ancestors) there and then. Make one per fill of a list (or per search).

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

namespace store {

class Database;

class LocationPaths {
public:
    // Between the names of a path.
    static inline const QString Separator = QStringLiteral(" \u203a ");
    // Ids per statement when locations are read by id.
    static constexpr int BatchSize = 200;
    // More ids than this in one prefetch are cheaper to find in one pass
    // over the whole table than one by one (a list of tens of thousands
    // of rows names most of the locations there are).
    static constexpr int WholeTableAbove = 1000;

    // Reads nothing until asked.
    explicit LocationPaths(Database& db);
    // Reads the locations and their ancestors at once (prefetch).
    LocationPaths(Database& db, const std::vector<int>& locIds);

    // Reads those of the locations not read yet, and their ancestors; ids
    // that name no location are remembered as such. Repeats are harmless.
    // Above WholeTableAbove ids not read yet, the whole table is read.
    void prefetch(const std::vector<int>& locIds) const;

    // The path of a location from the top: stored descriptions, trimmed,
    // joined by Separator. A location under "Available Locations" or
    // "Available Licences" starts at its first own ancestor (the main
    // branches are left out); the reserved rows themselves and what lies
    // under "Removed Locations" keep their branch. Empty for an id that
    // names no location.
    QString path(int locId) const;
    // Every name from the top down to the location, the main branches
    // included, joined by separator; empty for an id that names no
    // location.
    QString fullPath(int locId, const QString& separator) const;
    // The reserved row at the top of a location's branch (itself for a
    // reserved row); 0 for an unknown id.
    int branchOf(int locId) const;
    // Whether the location exists.
    bool contains(int locId) const;

    // Looks up, in one go, the locations of each description (see named).
    void prefetchNamed(const QStringList& descs) const;
    // The locations whose description is the text (trimmed, case ignored),
    // in id order. They are found through Find's folded texts (FindText),
    // whose index holds every location's description, and then compared
    // exactly.
    std::vector<int> named(const QString& desc) const;

private:
    // The descriptions from the top down to the location, the main branches
    // left out unless withBranches.
    QStringList names(int locId, bool withBranches) const;
    struct Row {
        QString desc;
        int parent = 0;
    };
    // The row of a location, read when it is not yet; null for none.
    const Row* row(int locId) const;

    Database& db_;
    mutable QHash<int, Row> rows_;
    // Ids read and found to name no location.
    mutable QSet<int> absent_;
    // The whole table has been read: an id not in rows_ names nothing.
    mutable bool whole_ = false;
    mutable QHash<int, QString> paths_;
    // Descriptions (trimmed, case folded) looked up so far, and the
    // locations found for them.
    mutable QSet<QString> namesAsked_;
    mutable QHash<QString, std::vector<int>> byFolded_;
    mutable QSet<int> named_;
};

} // namespace store
