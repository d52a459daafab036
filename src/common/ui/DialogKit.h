#pragma once

// The pieces the maintenance dialogs are built from alike: named fields,
// labelled rows that carry each text box's key rule, pick and clear
// buttons, and the layouts of a dialog's buttons.

#include "common/Choice.h"
#include "common/DialogMode.h"
#include "common/KeyRule.h"

#include <QString>
#include <Qt>

#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

class QAbstractButton;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
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
QComboBox* comboBox(QWidget* parent, const char* name);
QLabel* label(QWidget* parent, const QString& text, const char* name);
// The frame that holds a dialog's fields.
QGroupBox* frame(QWidget* parent, const char* name);
QToolButton* pickButton(QWidget* parent, const char* name, const QString& tip);
QToolButton* clearButton(QWidget* parent, const char* name, const QString& tip);

// Whether Enter on a focused push button presses it, as a dialog's buttons
// do by default (On), or is left to the fields' key filters (Off).
enum class AutoDefault { Off, On };
// A push button; by default one that Enter in a field does not press by
// itself.
QPushButton* button(QWidget* parent, const QString& caption, const char* name,
                    AutoDefault autoDefault = AutoDefault::Off);

// What Enter does in a text box: presses the dialog's action button, or is
// dropped.
enum class OnEnter { Action, Drop };

// Labelled rows of a dialog's fields. The text boxes it makes carry their
// key rules, installed by filterKeys once the action button exists (the
// buttons come after the fields, in the tab order too).
class FieldGrid {
public:
    // Rows on a grid of its own in frame.
    explicit FieldGrid(QWidget* frame, Qt::Alignment labels = {});
    FieldGrid(QGridLayout* grid, QWidget* owner, Qt::Alignment labels = {})
        : grid_(grid), owner_(owner), labels_(labels) {}

    // A text box named name in the frame whose keys follow kind and limit,
    // on no row yet.
    QLineEdit* box(const char* name, FieldKind kind, int limit, OnEnter enter = OnEnter::Action);
    // A labelled row of such a text box.
    QLineEdit* text(const QString& caption, const char* name, FieldKind kind, int limit,
                    OnEnter enter = OnEnter::Action);

    // A labelled row (no label when caption is empty) whose field spans
    // columns of the three field columns.
    void line(const QString& caption, QWidget* field, int columns = 3);
    // Two fields on one labelled row, the second taking the room left.
    void pair(const QString& caption, QWidget* first, QWidget* second);
    // A shown-only value with its pick and clear buttons.
    void picked(const QString& caption, QWidget* field, QWidget* pick, QWidget* clear);
    // The next free row.
    int next() { return row_++; }

    // Installs the key filters of the boxes made here; Enter presses
    // action where a box says so.
    void filterKeys(Messages& messages, QAbstractButton* action);

private:
    struct Rule {
        QLineEdit* edit;
        FieldKind kind;
        int limit;
        OnEnter enter;
    };

    QLabel* labelFor(const QString& caption, QWidget* buddy);

    QGridLayout* grid_;
    QWidget* owner_;
    Qt::Alignment labels_;
    int row_ = 0;
    std::vector<Rule> rules_;
};

// A row of push buttons: leading ones on the left, then a stretch, then
// the trailing ones on the right.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> trailing,
                       std::initializer_list<QPushButton*> leading = {});

// The dialog's frame of fields above its buttons, on the right.
void layOutDialog(QWidget* dialog, QWidget* fields, std::initializer_list<QPushButton*> buttons);

// The dialog's frame of fields above its "&Add" and "&Close" buttons; the
// two buttons are made here and handed back.
struct ActionButtons {
    QPushButton* add = nullptr;
    QPushButton* close = nullptr;
};
ActionButtons layOutDialog(QWidget* dialog, QWidget* fields);

// A dialog of one text box under its prompt, above its buttons.
void layOutPrompt(QWidget* dialog, QLabel* prompt, QLineEdit* field,
                  std::initializer_list<QPushButton*> buttons);

// A list (or tree) filling the dialog, with a column of buttons beside it.
void layOutList(QWidget* dialog, QWidget* list, std::initializer_list<QPushButton*> buttons);

// A one-field dialog's caption and action button for its mode: addTitle
// with "&Add", modifyTitle with "&Modify"; another mode leaves both.
void showMode(QWidget* dialog, QPushButton* action, std::optional<DialogMode> mode,
              const QString& addTitle, const QString& modifyTitle);

// Return or Enter pressed in watched runs act, and goes no further.
void onEnter(QWidget* watched, std::function<void()> act);

// The key rules of a code (or key) field of codeLimit characters and a cost
// field: Enter in either acts as "&Add"; watcher also sees the code's keys.
void filterCodeAndCost(QLineEdit* code, int codeLimit, QLineEdit* cost, Messages& messages,
                       QPushButton* add, QObject* watcher);

// A picked record shown as its id (decimal, hidden) and its name; no
// choice empties both.
void showPicked(QLineEdit* id, QLineEdit* name,
                const std::optional<std::pair<int, QString>>& chosen);

// A chooser: each text carries its record's id.
void fillChoices(QComboBox* combo, const Choices& choices);
// Selects the entry of the id; with no such entry the last one stays
// selected.
void selectChoice(QComboBox* combo, int id);

} // namespace common
