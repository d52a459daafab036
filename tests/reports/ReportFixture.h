#pragma once

// A small register for the report tests, on the test clock's day
// (10/12/2026): live, removed and expiring licences and stock, items with
// and without suppliers, long texts, a cost too wide for its column, a
// description holding a line break, texts whose order depends on ignoring
// case, and a product whose code sorts first and description last, so that
// an order by one column is never the order by the other.

#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <QString>

namespace testing_support {

struct ReportFixture {
    int software = 0, hardware = 0, networking = 0;
    int acme = 0, zeta = 0, bravo = 0;
    int headOffice = 0, warehouse = 0, finance = 0;
    int office = 0, antivirus = 0, laptop = 0, switches = 0, zipDrive = 0;
};

inline int addSupplier(TestDatabase& t, const QString& name) {
    t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name, Supp_Date) VALUES (?, ?)"),
                   name, QStringLiteral("2026-01-01"));
    return static_cast<int>(t.db().lastInsertId());
}

// A licence with its supplier (0: none), expiry ("" for none) and cost in
// hundredths.
inline int addReportLicence(TestDatabase& t, const QString& key, int product, int location,
                            const QString& type, int supplier, const QString& expiry,
                            qint64 cents) {
    const int id = t.addLicence(key, product, location, type);
    t.db().execute(QStringLiteral("UPDATE Licences SET Supp_ID = ?, Exp_Date = ?, Cost = ? "
                                  "WHERE Licence_ID = ?"),
                   supplier ? std::optional<int>(supplier) : std::nullopt,
                   expiry.isEmpty() ? std::optional<QString>() : std::optional<QString>(expiry),
                   store::Money::fromCents(cents), id);
    return id;
}

inline int addReportStock(TestDatabase& t, const QString& code, int product, int location,
                          int supplier, qint64 cents) {
    const int id = t.addStock(code, product, location);
    t.db().execute(QStringLiteral("UPDATE Stock SET Supp_ID = ?, Cost = ? WHERE Stock_ID = ?"),
                   supplier ? std::optional<int>(supplier) : std::nullopt,
                   store::Money::fromCents(cents), id);
    return id;
}

inline void setProductSupplier(TestDatabase& t, int product, int supplier) {
    t.db().execute(QStringLiteral("UPDATE Products SET Supp_ID = ? WHERE Prod_ID = ?"), supplier,
                   product);
}

inline ReportFixture seedReportFixture(TestDatabase& t) {
    using namespace store::loc;
    ReportFixture f;
    f.software = t.addCategory(QStringLiteral("Software"));
    f.hardware = t.addCategory(QStringLiteral("hardware"));
    f.networking = t.addCategory(QStringLiteral("Networking"));
    f.acme = addSupplier(t, QStringLiteral("Acme Supplies"));
    f.zeta = addSupplier(t, QStringLiteral("zeta Traders"));
    f.bravo = addSupplier(t, QStringLiteral("Bravo Ltd"));
    f.headOffice =
        t.addLocation(QStringLiteral("Head Office"), AvailableLocations, 2, AvailableLocations);
    f.warehouse =
        t.addLocation(QStringLiteral("Warehouse"), AvailableLocations, 2, AvailableLocations);
    f.finance =
        t.addLocation(QStringLiteral("Finance Dept"), AvailableLicences, 2, AvailableLicences);

    f.office = t.addProduct(QStringLiteral("OFF-365"), QStringLiteral("Office Suite Professional"),
                            f.software);
    setProductSupplier(t, f.office, f.acme);
    // Exactly 19 characters: fills its column with one blank after it.
    f.antivirus =
        t.addProduct(QStringLiteral("av-100"), QStringLiteral("Antivirus Endpoints"), f.software);
    f.laptop = t.addProduct(QStringLiteral("LAP-14"), QStringLiteral("Laptop 14 inch"), f.hardware);
    setProductSupplier(t, f.laptop, f.zeta);
    // Pasted from older data with a line break in it.
    f.switches =
        t.addProduct(QStringLiteral("SW-24"), QStringLiteral("Switch\r\n24 port"), f.networking);
    setProductSupplier(t, f.switches, f.bravo);

    // First by code, last by description.
    f.zipDrive = t.addProduct(QStringLiteral("AA-01"), QStringLiteral("Zip Drive"), f.hardware);

    const QString normal = store::LicenceNormal, temporary = store::LicenceTemporary;
    // A 30-character key; expired yesterday.
    addReportLicence(t, QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD-EEEE-F"), f.office, f.finance,
                     normal, f.bravo, QStringLiteral("2026-12-09"), 123450);
    // Expires today: not yet expired.
    addReportLicence(t, QStringLiteral("key-0002"), f.office, AvailableLicences, temporary, 0,
                     QStringLiteral("2026-12-10"), 0);
    // No expiry date; a cost of 1,000,000.00, twelve characters.
    addReportLicence(t, QStringLiteral("AV-0003"), f.antivirus, f.finance, temporary, f.zeta,
                     QString(), 100000000);
    // Removed, long expired: only in the removed licences.
    addReportLicence(t, QStringLiteral("AV-0004"), f.antivirus, RemovedLicences, normal, f.acme,
                     QStringLiteral("2025-01-31"), 9999);
    addReportLicence(t, QStringLiteral("KEY-0005"), f.office, AvailableLicences, normal, f.acme,
                     QStringLiteral("2027-03-01"), 25000);
    // Expired at the turn of the year, no supplier.
    addReportLicence(t, QStringLiteral("AV-0006"), f.antivirus, f.finance, normal, 0,
                     QStringLiteral("2026-01-01"), 4000);

    addReportStock(t, QStringLiteral("LAP-0001"), f.laptop, f.headOffice, f.zeta, 89900);
    addReportStock(t, QStringLiteral("lap-0002"), f.laptop, f.warehouse, 0, 100000000);
    addReportStock(t, QStringLiteral("SW-0001"), f.switches, f.headOffice, f.bravo, 4550);
    addReportStock(t, QStringLiteral("SW-0002"), f.switches, RemovedStock, f.acme, 1000);
    addReportStock(t, QStringLiteral("LAP-0003"), f.laptop, RemovedStock, 0, 0);
    addReportStock(t, QStringLiteral("ZIP-0001"), f.zipDrive, f.warehouse, 0, 2500);
    return f;
}

} // namespace testing_support
