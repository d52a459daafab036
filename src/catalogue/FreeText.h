#pragma once

// The entries of the category and product choosers.

#include <QString>

#include <vector>

namespace catalogue {

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
