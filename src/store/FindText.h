#pragma once

// The searchable texts of the register, kept folded for Find: one FindText
// row per stock item (its code), licence (its key), product (code and
// description), location (description) and supplier (name). The rows follow
// their records through triggers on the five tables, so every writer keeps
// them right without knowing of them; the triggers fold with fold_text(),
// which every connection registers.

#include <QString>
#include <QStringView>

namespace store {

class Database;

// FindText.Kind codes.
enum class FindKind { Stock = 1, Licence = 2, Product = 3, Location = 4, Supplier = 5 };

// A text as Find compares it: accents dropped (a letter and its accented
// forms are one, as in the register's order) and case folded. "Écran" and
// "ecran" fold alike.
QString foldForFind(QStringView text);

// The LIKE pattern (escape character '!') that matches any text holding
// the folded text anywhere: the folded text between wildcards, its own
// wildcard and escape characters escaped. Both sides are folded, so the
// engine's own case rules do not come into it. "" for a blank text.
QString findPattern(QStringView text);

// The SQL function fold_text(x) name, registered on every connection.
inline constexpr const char* FoldFunctionName = "fold_text";

// The migration that adds the table, its triggers and the rows of the
// records already there.
void addFindText(Database& db);

} // namespace store
