#include "Cases.h"
#include "Context.h"

#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/TreeImages.h"
#include "locations/clsLocations.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <memory>
#include <stdexcept>

namespace bench {

namespace {

using locations::clsLocations;
using store::loc::ReservedLevel;

const QString NewLocation = QStringLiteral("Bench Room");

struct Place {
    int id = 0;
    int level = 0;
    int top = 0;
};

// Two user locations at the second level under "Available Locations": the
// parents of the rows the cases make.
std::pair<Place, Place> twoParents(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Loc_ID, Loc_Level, Loc_Top FROM Locations "
                                      "WHERE Loc_Top = ? AND Loc_Level = ? ORDER BY Loc_ID"));
    q.bindAll(store::loc::AvailableLocations, ReservedLevel + 1);
    std::vector<Place> found;
    while (found.size() < 2 && q.next())
        found.push_back({static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
                         static_cast<int>(q.integer(QStringLiteral("Loc_Level"))),
                         static_cast<int>(q.integer(QStringLiteral("Loc_Top")))});
    if (found.size() < 2)
        throw std::runtime_error("the database holds too few locations");
    return {found[0], found[1]};
}

// A new childless location, as the program would add it under parent.
int addRow(store::Database& db, const Place& parent, const QString& status = store::StatusUser) {
    db.execute(QStringLiteral("INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, "
                              "Loc_ParentID, Loc_Top) VALUES (?, ?, ?, ?, ?)"),
               NewLocation, status, parent.level + 1, parent.id, parent.top);
    return static_cast<int>(db.lastInsertId());
}

void removeRow(store::Database& db, int id) {
    db.execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ?"), id);
}

const QString ChildOf = QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ParentID = ?");

} // namespace

void addLocationCases(Bench& bench, Context& context) {
    store::Database& db = context.db();
    clsLocations& logic = context.session().logic<clsLocations>();
    const auto [first, second] = twoParents(db);
    const Place removedBranch{store::loc::RemovedLocations, ReservedLevel,
                              store::loc::RemovedLocations};

    // The row the current run made, to take away after it.
    auto made = std::make_shared<int>(0);

    Case add;
    add.name = QStringLiteral("location add");
    add.before = [&logic, first] {
        logic.setCurrentLocId(first.id);
    };
    add.run = [&logic, made] {
        const auto node = logic.AddLocation(NewLocation);
        if (!node)
            throw std::runtime_error("the location was not added");
        *made = common::idOfKey(node->key);
    };
    add.rows = [] {
        return 1;
    };
    add.after = [&db, made] {
        removeRow(db, *made ? *made : static_cast<int>(db.lastInsertId()));
    };
    add.connection = &db;
    add.statements = [first, made] {
        *made = 0;
        return Statements{
            {QStringLiteral(
                 "SELECT Loc_Level, Loc_Status, Loc_Top FROM Locations WHERE Loc_ID = ?"),
             {first.id}},
            {QStringLiteral("INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, "
                            "Loc_ParentID, Loc_Top) VALUES (?, ?, ?, ?, ?)"),
             {NewLocation, store::StatusUser, first.level + 1, first.id, first.top}}};
    };
    bench.add(add);

    // Renamed back and forth, so every run changes the row.
    const int renamed = addRow(db, first);
    auto flip = std::make_shared<bool>(false);
    const auto nextName = [flip] {
        return *flip ? QStringLiteral("Bench Store") : QStringLiteral("Bench Office");
    };
    Case rename;
    rename.name = QStringLiteral("location rename");
    rename.before = [&logic, renamed, flip] {
        *flip = !*flip;
        logic.setCurrentLocId(renamed);
    };
    rename.run = [&logic, nextName] {
        if (!logic.ModifyLocation(nextName()))
            throw std::runtime_error("the location was not renamed");
    };
    rename.rows = [] {
        return 1;
    };
    rename.connection = &db;
    rename.statements = [renamed, nextName] {
        return Statements{
            {QStringLiteral("UPDATE Locations SET Loc_Desc = ? WHERE Loc_ID = ? AND Loc_Level > ?"),
             {nextName(), renamed, ReservedLevel}}};
    };
    bench.add(rename);

    // Moved between the two parents, back and forth.
    const int moved = addRow(db, first);
    auto under = std::make_shared<Place>(first);
    Case move;
    move.name = QStringLiteral("location move");
    move.before = [under, first, second] {
        *under = under->id == first.id ? second : first;
    };
    move.run = [&logic, moved, under] {
        if (!logic.UpdateLocation(moved, under->id))
            throw std::runtime_error("the location was not moved");
    };
    move.rows = [] {
        return 1;
    };
    move.connection = &db;
    move.statements = [moved, under] {
        return Statements{
            {ChildOf, {moved}},
            {QStringLiteral("SELECT Loc_Level, Loc_Top FROM Locations WHERE Loc_ID = ?"),
             {under->id}},
            {QStringLiteral("UPDATE Locations SET Loc_Level = ?, Loc_ParentID = ?, Loc_Top = ? "
                            "WHERE Loc_ID = ? AND Loc_Level > ?"),
             {under->level + 1, under->id, under->top, moved, ReservedLevel}}};
    };
    bench.add(move);

    // Each run removes a location made for it.
    Case park;
    park.name = QStringLiteral("location delete (to removed)");
    park.before = [&db, &logic, made, first] {
        *made = addRow(db, first);
        logic.setCurrentLocId(*made);
        logic.setCurrentLocDesc(NewLocation);
    };
    park.run = [&logic] {
        if (logic.DeleteLocation(common::image::Location) != locations::DeleteResult::Parked)
            throw std::runtime_error("the location was not removed");
    };
    park.rows = [] {
        return 1;
    };
    park.after = [&db, made] {
        removeRow(db, *made);
    };
    park.connection = &db;
    park.statements = [made] {
        return Statements{
            {ChildOf, {*made}},
            {QStringLiteral("UPDATE Locations SET Loc_ParentID = ?, Loc_Top = ? "
                            "WHERE Loc_ID = ? AND Loc_Level > ?"),
             {store::loc::RemovedLocations, store::loc::RemovedLocations, *made, ReservedLevel}}};
    };
    bench.add(park);

    Case erase;
    erase.name = QStringLiteral("location delete (removed, for good)");
    erase.before = [&db, &logic, made, removedBranch] {
        *made = addRow(db, removedBranch);
        logic.setCurrentLocId(*made);
        logic.setCurrentLocDesc(NewLocation);
    };
    erase.run = [&logic] {
        if (logic.DeleteLocation(common::image::RemovedLocation) !=
            locations::DeleteResult::Deleted)
            throw std::runtime_error("the location was not deleted");
    };
    erase.rows = [] {
        return 1;
    };
    erase.after = [&db, made] {
        removeRow(db, *made);
    };
    erase.connection = &db;
    erase.statements = [made] {
        return Statements{
            {QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID = ?"), {*made}},
            {QStringLiteral("SELECT Licence_ID FROM Licences WHERE Loc_ID = ?"), {*made}},
            {ChildOf, {*made}},
            {QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ? AND Loc_Level > ? "
                            "AND Loc_Top = ?"),
             {*made, ReservedLevel, store::loc::RemovedLocations}}};
    };
    bench.add(erase);
}

} // namespace bench
