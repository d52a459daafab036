#pragma once

// Asset database files a restore and vemora-admin check must judge alike:
// registers that would not open or not work after installing, and a sound
// one of an earlier schema version.

#include <QString>
#include <QStringList>

#include <vector>

namespace testing_support {

struct UnsoundRegister {
    const char* name;
    void (*make)(const QString& path);
    const char* problem; // a part of what vemora-admin check lists
    const char* reason;  // a part of the reason a restore gives
};

// Each: a version-1 file lacking a column, a current file stamped version
// 1, a file without the reserved locations, a file whose items name
// missing products.
const std::vector<UnsoundRegister>& unsoundRegisters();

// A sound keyed register at path as the first schema version left it (its
// indexes, user_version 1), holding the given categories.
void makeVersion1Register(const QString& path, const QStringList& categories);

// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString& path);

// Everything a register file holds, one line per row: every row of every
// table (the Find table and the engine's counters included) in its stored
// order, the schema's entries and the schema version. Two files with the
// same lines hold the same register, whatever their pages look like.
QStringList registerLines(const QString& path);

// Makes a copy at copy of the register at original with the pages of the
// files made before the current page size.
void makeOldPagesCopy(const QString& original, const QString& copy);

} // namespace testing_support
