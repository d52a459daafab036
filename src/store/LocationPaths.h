#pragma once

// Full location paths ("Head Office › Main Building › Room 101") for many
// rows at once: the location table is read in one pass when this is made,
// and every path is then worked out in memory. Make one per fill of a list
// (or per search), never one per row.

#include <QHash>
#include <QString>

#include <vector>

namespace store {

class Database;

class LocationPaths {
public:
    // Between the names of a path.
    static inline const QString Separator = QStringLiteral(" \u203a ");

    explicit LocationPaths(Database& db);

    // The path of a location from the top: stored descriptions, trimmed,
    // joined by Separator. A location under "Available Locations" or
    // "Available Licences" starts at its first own ancestor (the main
    // branches are left out); the reserved rows themselves and what lies
    // under "Removed Locations" keep their branch. Empty for an id that
    // names no location.
    QString path(int locId) const;
    // The reserved row at the top of a location's branch (itself for a
    // reserved row); 0 for an unknown id.
    int branchOf(int locId) const;
    // Whether the location exists.
    bool contains(int locId) const { return rows_.contains(locId); }
    // The locations whose description is the text (trimmed, case ignored).
    std::vector<int> named(const QString& desc) const;

private:
    struct Row {
        QString desc;
        int parent = 0;
    };
    QHash<int, Row> rows_;
    QHash<QString, std::vector<int>> byFolded_;
    mutable QHash<int, QString> paths_;
};

} // namespace store
