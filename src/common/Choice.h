#pragma once

// The entries of a chooser (a combo box of records).

#include <QString>

#include <vector>

namespace common {

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

} // namespace common
