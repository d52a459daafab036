#pragma once

// Rules for texts that reach the catalogue without passing a key filter
// (pasted into a box, or handed in by another caller), and the entries of
// the category and product choosers.

#include <QString>

#include <vector>

namespace catalogue {

// The text as the key filter would have let it in: every control
// character (CR, LF, Tab, ...) becomes a blank, the apostrophe and the
// vertical bar are dropped, and the result is trimmed.
QString cleanFreeText(const QString& text);

// One entry of a chooser: the text shown and the record id it stands for.
// Descriptions are not unique, so a choice is always taken by its id.
struct Choice {
    int id = 0;
    QString text;
    friend bool operator==(const Choice& a, const Choice& b) {
        return a.id == b.id && a.text == b.text;
    }
};
using Choices = std::vector<Choice>;

} // namespace catalogue
