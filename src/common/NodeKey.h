#pragma once

// Keys of tree nodes and list rows: one letter, then a record id in decimal
// digits ("L5", "S7", "P12"), or for a group of licences on the allocation
// page a product id and a location id ("N12-3", "T12-3").

#include <QChar>
#include <QString>

namespace common {

struct NodeKey {
    QChar kind;    // the first letter; null for a malformed key
    int id = 0;    // the record id (for a licence group, the product id)
    int locId = 0; // for a licence group, the location it is held in
    bool valid() const { return !kind.isNull(); }
    friend bool operator==(const NodeKey& a, const NodeKey& b) {
        return a.kind == b.kind && a.id == b.id && a.locId == b.locId;
    }
};

// Reads a key; a key that is not one letter and digits (with "-" and
// digits after an "N" or "T") gives an invalid NodeKey.
NodeKey parseNodeKey(const QString& key);

// "N12-3" / "T12-3".
QString licenceGroupKey(bool temporary, int prodId, int locId);

// The id part of a row or node key (0 for a malformed key).
int idOfKey(const QString& key);

} // namespace common
