#include "common/SortKey.h"

namespace common {

QString textSortKey(const QString& text) {
    return text.toCaseFolded();
}

} // namespace common
