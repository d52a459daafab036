#include "store/Collation.h"

#include <QCollator>
#include <QLocale>

namespace store {

namespace {

// Making a collator is costly and one must not be shared between threads,
// so each thread keeps its own.
QCollator& collator() {
    thread_local QCollator instance = [] {
        QCollator c{QLocale(QLocale::English)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return instance;
}

int sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

int compareText(QStringView a, QStringView b) {
    // Equality is decided by case folding alone; the collator only orders
    // texts that folding tells apart, and folding breaks the collator's ties.
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded == 0)
        return 0;
    const int dictionary = collator().compare(a, b);
    return sign(dictionary != 0 ? dictionary : folded);
}

SortKey::SortKey(const QCollatorSortKey& key, QString folded)
    : key_(key), folded_(std::move(folded)) {}

SortKey sortKey(const QString& text) {
    return SortKey(collator().sortKey(text), text.toCaseFolded());
}

int SortKey::compare(const SortKey& other) const {
    if (folded_ == other.folded_)
        return 0;
    const int dictionary = key_.compare(other.key_);
    return sign(dictionary != 0 ? dictionary
                                : QString::compare(folded_, other.folded_, Qt::CaseInsensitive));
}

} // namespace store
