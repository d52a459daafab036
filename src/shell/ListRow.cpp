#include "shell/ListRow.h"

namespace shell {

int idOfKey(const QString& key) {
    return key.mid(1).trimmed().toInt();
}

} // namespace shell
