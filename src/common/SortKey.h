#pragma once

// The order in which the program shows text: dictionary order, ignoring
// case, accented letters with their base letter. Trees and lists sort on
// these keys, computed once per text, so that they order exactly as the
// database's case-insensitive collation does.

#include <QString>

namespace common {

// A key whose plain string order is the dictionary order of the texts.
QString textSortKey(const QString& text);

} // namespace common
