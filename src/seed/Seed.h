#pragma once

// Demonstration data: fills an empty asset database with a realistic,
// reproducible register (locations, categories, products, suppliers, stock
// items, licences and their movement history). The same scale always gives
// the same contents: the generator draws from a fixed-seed std::mt19937 and
// turns its raw output into numbers with its own integer arithmetic, and
// every date counts back from the fixed moment 2026-01-01 00:00:00.
//
// At scale 1 the register holds about 5,000 locations (4,000 under
// "Available Locations", 1,000 under "Available Licences", 50 removed ones
// parked under row 3), 40 categories, 2,000 products, 200 suppliers,
// 100,000 stock items, 100,000 licences and 1,000,000 history rows. Every
// count is multiplied by the scale, rounded, and kept at least 1.
//
// Stored forms: Date_Added and move_date "yyyy-MM-dd HH:mm:ss", the picked
// dates Exp_Date and Supp_Date "yyyy-MM-dd", money in whole hundredths.

#include <QString>

namespace store {
class Database;
}

namespace seed {

// How many rows of each kind a scale asks for.
struct SeedCounts {
    int categories = 0;
    int suppliers = 0;
    int products = 0;
    int stockLocations = 0;   // user locations under row 1
    int licenceLocations = 0; // user locations under row 2
    int removedLocations = 0; // parked under row 3
    int stock = 0;            // all stock items, removed ones included
    int removedStock = 0;     // of those, at location 5
    int licences = 0;         // all licences, removed ones included
    int removedLicences = 0;  // of those, at location 4
    int pooledLicences = 0;   // of those, in the pool (location 2 itself)
    int busiestLicences = 0;  // of those, at the busiest licence location
    int history = 0;          // StockHistory rows

    // The counts for a scale; throws std::invalid_argument unless the scale
    // is a finite number above 0.
    static SeedCounts forScale(double scale);
};

struct SeedResult {
    SeedCounts counts;
    // The location holding the most licences (under "Available Licences");
    // busiestLicenceLocation(db) finds it again in a seeded file.
    int busiestLicenceLocation = 0;
    // The location holding the most live stock (under "Available Locations").
    int busiestStockLocation = 0;
};

// Fills a database that holds the schema and its reserved rows and nothing
// else, in one transaction. Throws std::invalid_argument for a bad scale or
// a database that already holds data, store::DbError from the store.
SeedResult seedDatabase(store::Database& db, double scale);

// Creates a new keyed asset database at path (refusing an existing file, as
// store::createAssetDatabase does) and seeds it, schema and data in one
// transaction. A file left by a failed seed is removed.
SeedResult createSeededDatabase(const QString& path, double scale);

// The location with the most licences, locations 2 (the pool) and 4
// (removed licences) left out; the lowest id on a tie; 0 when no licence
// stands at any other location.
int busiestLicenceLocation(store::Database& db);

} // namespace seed
