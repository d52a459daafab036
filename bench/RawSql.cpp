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

Statements locationContentsStatements(int locId) {
    return {
        {QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                        "count(*) AS stockcount "
                        "FROM Stock s JOIN Products p ON s.Prod_ID = p.Prod_ID "
                        "JOIN Categories c ON p.Prod_Cat_ID = c.Cat_ID "
                        "WHERE s.Loc_ID = ? "
                        "GROUP BY p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc "
                        "ORDER BY p.Prod_Desc") +
             store::IgnoreCase + QStringLiteral(", p.Prod_ID"),
         {locId}},
        {QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                        "sum(CASE WHEN l.Type = ? THEN 1 ELSE 0 END) AS normalcount, "
                        "sum(CASE WHEN l.Type = ? THEN 1 ELSE 0 END) AS tempcount "
                        "FROM Licences l JOIN Products p ON l.Prod_ID = p.Prod_ID "
                        "JOIN Categories c ON p.Prod_Cat_ID = c.Cat_ID "
                        "WHERE l.Loc_ID = ? AND l.Type IN (?, ?) "
                        "GROUP BY p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc "
                        "ORDER BY normalcount = 0, p.Prod_Desc") +
             store::IgnoreCase + QStringLiteral(", p.Prod_ID"),
         {store::LicenceNormal, store::LicenceTemporary, locId, store::LicenceNormal,
          store::LicenceTemporary}},
    };
}

} // namespace bench
