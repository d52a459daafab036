#include "Cases.h"

#include "store/StoreConstants.h"

namespace bench {

Statements locationTreeStatements() {
    const QString columns = QStringLiteral(
        "SELECT Loc_ID, Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID FROM Locations ");
    Statements out{{columns + QStringLiteral("WHERE Loc_Level = ? ORDER BY Loc_ID"),
                    {store::loc::ReservedLevel}}};
    for (int branch : {store::loc::AvailableLocations, store::loc::AvailableLicences,
                       store::loc::RemovedLocations})
        out.push_back({columns +
                           QStringLiteral("WHERE Loc_Top = ? AND Loc_Level > ? "
                                          "ORDER BY Loc_Level, Loc_Desc") +
                           store::IgnoreCase + QStringLiteral(", Loc_ID"),
                       {branch, store::loc::ReservedLevel}});
    return out;
}

Statements allocationItemStatements() {
    Statements out{{QStringLiteral("SELECT Prod_ID, Prod_Desc FROM Products ORDER BY Prod_Desc") +
                        store::IgnoreCase + QStringLiteral(", Prod_ID"),
                    {}},
                   {QStringLiteral("SELECT Stock_ID, Prod_ID, Loc_ID, Stock_Code FROM Stock"), {}}};
    for (const QString& type : {store::LicenceNormal, store::LicenceTemporary})
        out.push_back({QStringLiteral("SELECT Prod_ID, Loc_ID, count(*) AS n FROM Licences "
                                      "WHERE Type = ? GROUP BY Loc_ID, Prod_ID"),
                       {type}});
    return out;
}

Statements locationContentsStatements(int locId) {
    return {
        {QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                        "t.stockcount "
                        "FROM (SELECT Prod_ID, count(*) AS stockcount FROM Stock "
                        "WHERE Loc_ID = ? GROUP BY Prod_ID) t "
                        "JOIN Products p ON p.Prod_ID = t.Prod_ID "
                        "JOIN Categories c ON p.Prod_Cat_ID = c.Cat_ID "
                        "ORDER BY p.Prod_Desc") +
             store::IgnoreCase + QStringLiteral(", p.Prod_ID"),
         {locId}},
        {QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                        "t.normalcount, t.tempcount "
                        "FROM (SELECT Prod_ID, "
                        "sum(CASE WHEN Type = ? THEN 1 ELSE 0 END) AS normalcount, "
                        "sum(CASE WHEN Type = ? THEN 1 ELSE 0 END) AS tempcount "
                        "FROM Licences WHERE Loc_ID = ? AND Type IN (?, ?) "
                        "GROUP BY Prod_ID) t "
                        "JOIN Products p ON p.Prod_ID = t.Prod_ID "
                        "JOIN Categories c ON p.Prod_Cat_ID = c.Cat_ID "
                        "ORDER BY t.normalcount = 0, p.Prod_Desc") +
             store::IgnoreCase + QStringLiteral(", p.Prod_ID"),
         {store::LicenceNormal, store::LicenceTemporary, locId, store::LicenceNormal,
          store::LicenceTemporary}},
    };
}

} // namespace bench
