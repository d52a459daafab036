#include "common/NodeKey.h"

#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

struct KeyCase {
    const char* key;
    char kind; // 0: not a key
    int id;
    int locId;
};

const KeyCase Keys[] = {
    {"L0", 'L', 0, 0},
    {"L5", 'L', 5, 0},
    {" L12 ", 'L', 12, 0},
    {"S7", 'S', 7, 0},
    {"P123456", 'P', 123456, 0},
    {"N12-3", 'N', 12, 3},
    {"T12-3", 'T', 12, 3},
    {"T1-0", 'T', 1, 0},
    // Not keys.
    {"", 0, 0, 0},
    {"L", 0, 0, 0},
    {"5", 0, 0, 0},
    {"L-5", 0, 0, 0},
    {"L5-3", 0, 0, 0}, // only licence groups carry a location
    {"N12-", 0, 0, 0},
    {"N-3", 0, 0, 0},
    {"N12-3-4", 0, 0, 0},
    {"L1x", 0, 0, 0},
    {"L 5", 0, 0, 0},
    {"L+5", 0, 0, 0},
    {"L\u0665", 0, 0, 0},      // an Arabic-Indic digit
    {"L12345678901", 0, 0, 0}, // would overflow an id
};

} // namespace

TEST(NodeKey, ReadsLocationStockAndLicenceGroupKeysAndRefusesTheRest) {
    for (const KeyCase& c : Keys) {
        const common::NodeKey key = common::parseNodeKey(QString::fromUtf8(c.key));
        EXPECT_EQ(key.valid(), c.kind != 0) << c.key;
        if (c.kind == 0) {
            EXPECT_EQ(common::idOfKey(QString::fromUtf8(c.key)), 0) << c.key;
            continue;
        }
        EXPECT_EQ(key.kind, QLatin1Char(c.kind)) << c.key;
        EXPECT_EQ(key.id, c.id) << c.key;
        EXPECT_EQ(key.locId, c.locId) << c.key;
        EXPECT_EQ(common::idOfKey(QString::fromUtf8(c.key)), c.id) << c.key;
    }
}

TEST(NodeKey, LicenceGroupKeysReadBack) {
    for (const bool temporary : {false, true}) {
        const QString key = common::licenceGroupKey(temporary, 42, 7);
        EXPECT_EQ(key, temporary ? QStringLiteral("T42-7") : QStringLiteral("N42-7"));
        const common::NodeKey read = common::parseNodeKey(key);
        EXPECT_EQ(read.id, 42);
        EXPECT_EQ(read.locId, 7);
    }
}
