#pragma once

// A small register for Find and paths:
//   1 Available Locations / Head Office / Main Building / Room 101
//                         / Head Office / Café Étage
//   2 Available Licences
//   3 Removed Locations / Old Room
// Products "LAP-01" Laptop Pro and "SW-OFF" Office Suite; stock PC-1001 in
// Room 101, PC-1002 removed, MON-77 in the café; licences ABCD-EFGH-1234 in
// Room 101 and the temporary ZZZZ-KEY in the pool; supplier Société Générale.

#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

namespace testing_support {

struct FindFixture {
    explicit FindFixture(TestDatabase& t) {
        headOffice = t.addLocation(QStringLiteral("Head Office"), 1, 2, 1);
        building = t.addLocation(QStringLiteral("Main Building"), headOffice, 3, 1);
        room = t.addLocation(QStringLiteral("Room 101"), building, 4, 1);
        cafe = t.addLocation(QStringLiteral("Café Étage"), headOffice, 3, 1);
        oldRoom = t.addLocation(QStringLiteral("Old Room"), store::loc::RemovedLocations, 2, 3);
        const int cat = t.addCategory(QStringLiteral("Hardware"));
        category = cat;
        laptop = t.addProduct(QStringLiteral("LAP-01"), QStringLiteral("Laptop Pro"), cat);
        suite = t.addProduct(QStringLiteral("SW-OFF"), QStringLiteral("Office Suite"), cat);
        pc1 = t.addStock(QStringLiteral("PC-1001"), laptop, room);
        pc2 = t.addStock(QStringLiteral("PC-1002"), laptop, store::loc::RemovedStock);
        monitor = t.addStock(QStringLiteral("MON-77"), laptop, cafe);
        key = t.addLicence(QStringLiteral("ABCD-EFGH-1234"), suite, room, store::LicenceNormal);
        temp = t.addLicence(QStringLiteral("ZZZZ-KEY"), suite, store::loc::AvailableLicences,
                            store::LicenceTemporary);
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES (?)"),
                       QStringLiteral("Société Générale"));
        supplier = static_cast<int>(t.db().lastInsertId());
    }
    int headOffice, building, room, cafe, oldRoom, category, laptop, suite, pc1, pc2, monitor, key,
        temp, supplier;
};

} // namespace testing_support
