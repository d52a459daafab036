#pragma once

// The pieces the maintenance dialogs are built from alike.

#include "common/Choice.h"

#include <QString>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QToolButton;
class QObject;
class QWidget;

namespace common {

class Messages;

QLineEdit* textBox(QWidget* parent, const char* name);
// Shows a picked value: disabled and no tab stop.
QLineEdit* shownOnly(QWidget* parent, const char* name);
// Keeps a picked id as decimal text, out of sight.
QLineEdit* hiddenId(QWidget* parent, const char* name);
QToolButton* pickButton(QWidget* parent, const char* name, const QString& tip);
QToolButton* clearButton(QWidget* parent, const char* name, const QString& tip);
// A push button that Enter in a field does not press by itself.
QPushButton* button(QWidget* parent, const QString& caption, const char* name);

// Labelled rows of a dialog's fields.
class FieldGrid {
public:
    FieldGrid(QGridLayout* grid, QWidget* owner) : grid_(grid), owner_(owner) {}
    void line(const QString& caption, QWidget* field);
    // A shown-only value with its pick and clear buttons.
    void picked(const QString& caption, QWidget* field, QWidget* pick, QWidget* clear);
    // The next free row.
    int next() { return row_++; }

private:
    QGridLayout* grid_;
    QWidget* owner_;
    int row_ = 0;
};

// The dialog's frame of fields above its "&Add" and "&Close" buttons; the
// two buttons are made here and handed back.
struct ActionButtons {
    QPushButton* add = nullptr;
    QPushButton* close = nullptr;
};
ActionButtons layOutDialog(QWidget* dialog, QWidget* fields);

// The key rules of a code (or key) field of codeLimit characters and a cost
// field: Enter in either acts as "&Add"; watcher also sees the code's keys.
void filterCodeAndCost(QLineEdit* code, int codeLimit, QLineEdit* cost, Messages& messages,
                       QPushButton* add, QObject* watcher);

// A chooser: each text carries its record's id.
void fillChoices(QComboBox* combo, const Choices& choices);
// Selects the entry of the id; with no such entry the last one stays
// selected.
void selectChoice(QComboBox* combo, int id);

} // namespace common
