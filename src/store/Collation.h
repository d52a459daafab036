#pragma once

// The program's one text order, used by the UNICASE collation of every
// connection and by windows that sort many texts themselves.
//
// Equality ignores case only: "Écran" = "éCRAN", but "Écran" ≠ "Ecran".
// Order is a dictionary's: case is ignored and an accented letter sorts with
// its base letter, so "Ecole" < "École" < "Ecoles" < "Zone". Texts that the
// dictionary order cannot tell apart but that differ after case folding are
// put in the order of their folded forms. The dictionary is the English one
// whatever the user's locale, so a database sorts the same everywhere.

#include <QCollatorSortKey>
#include <QString>
#include <QStringView>

namespace store {

// Negative, zero or positive as a sorts before, with or after b.
int compareText(QStringView a, QStringView b);

// A text's position in the order above, computed once: comparing two keys
// gives the same answer as compareText on their texts, without consulting
// the collator again. For sorting many texts (tree siblings, list rows).
class SortKey {
public:
    int compare(const SortKey& other) const;
    friend bool operator<(const SortKey& a, const SortKey& b) { return a.compare(b) < 0; }
    friend bool operator==(const SortKey& a, const SortKey& b) { return a.folded_ == b.folded_; }
    friend bool operator!=(const SortKey& a, const SortKey& b) { return !(a == b); }

private:
    friend SortKey sortKey(const QString& text);
    SortKey(const QCollatorSortKey& key, QString folded);

    QCollatorSortKey key_;
    QString folded_;
};

SortKey sortKey(const QString& text);

} // namespace store
