#include "common/ui/DialogKit.h"

#include "common/ui/KeyFilter.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace common {

namespace {

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

QLineEdit* textBox(QWidget* parent, const char* name) {
    return named(new QLineEdit(parent), name);
}

QLineEdit* shownOnly(QWidget* parent, const char* name) {
    QLineEdit* edit = textBox(parent, name);
    edit->setEnabled(false);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

QLineEdit* hiddenId(QWidget* parent, const char* name) {
    QLineEdit* edit = textBox(parent, name);
    edit->setVisible(false);
    return edit;
}

QComboBox* comboBox(QWidget* parent, const char* name) {
    return named(new QComboBox(parent), name);
}

QLabel* label(QWidget* parent, const QString& text, const char* name) {
    return named(new QLabel(text, parent), name);
}

QGroupBox* frame(QWidget* parent, const char* name) {
    return named(new QGroupBox(parent), name);
}

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QString& tip,
                        QStyle::StandardPixmap icon) {
    auto* b = named(new QToolButton(parent), name);
    b->setToolTip(tip);
    b->setIcon(parent->style()->standardIcon(icon));
    return b;
}

} // namespace

QToolButton* pickButton(QWidget* parent, const char* name, const QString& tip) {
    return toolButton(parent, name, tip, QStyle::SP_FileDialogContentsView);
}

QToolButton* clearButton(QWidget* parent, const char* name, const QString& tip) {
    return toolButton(parent, name, tip, QStyle::SP_DialogResetButton);
}

QPushButton* button(QWidget* parent, const QString& caption, const char* name,
                    AutoDefault autoDefault) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(autoDefault == AutoDefault::On);
    return b;
}

FieldGrid::FieldGrid(QWidget* frame, Qt::Alignment labels)
    : grid_(new QGridLayout(frame)), owner_(frame), labels_(labels) {}

QLineEdit* FieldGrid::box(const char* name, FieldKind kind, int limit, OnEnter enter) {
    QLineEdit* edit = textBox(owner_, name);
    rules_.push_back({edit, kind, limit, enter});
    return edit;
}

QLineEdit* FieldGrid::text(const QString& caption, const char* name, FieldKind kind, int limit,
                           OnEnter enter) {
    QLineEdit* edit = box(name, kind, limit, enter);
    line(caption, edit);
    return edit;
}

QLabel* FieldGrid::labelFor(const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, owner_);
    l->setBuddy(buddy);
    grid_->addWidget(l, row_, 0, labels_);
    return l;
}

void FieldGrid::line(const QString& caption, QWidget* field, int columns) {
    if (!caption.isEmpty())
        labelFor(caption, field);
    grid_->addWidget(field, row_++, 1, 1, columns);
}

void FieldGrid::pair(const QString& caption, QWidget* first, QWidget* second) {
    labelFor(caption, first);
    auto* both = new QHBoxLayout;
    both->addWidget(first);
    both->addWidget(second, 1);
    grid_->addLayout(both, row_++, 1, 1, 3);
}

void FieldGrid::picked(const QString& caption, QWidget* field, QWidget* pick, QWidget* clear) {
    labelFor(caption, pick);
    grid_->addWidget(field, row_, 1);
    grid_->addWidget(pick, row_, 2);
    grid_->addWidget(clear, row_++, 3);
    grid_->setColumnStretch(1, 1);
    field->setMinimumWidth(220);
}

void FieldGrid::filterKeys(Messages& messages, QAbstractButton* action) {
    for (const Rule& r : rules_)
        KeyFilter::install(r.edit, messages, r.kind, r.limit,
                           r.enter == OnEnter::Action ? action : nullptr);
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> trailing,
                       std::initializer_list<QPushButton*> leading) {
    auto* row = new QHBoxLayout;
    for (QPushButton* b : leading)
        row->addWidget(b);
    row->addStretch(1);
    for (QPushButton* b : trailing)
        row->addWidget(b);
    return row;
}

void layOutDialog(QWidget* dialog, QWidget* fields, std::initializer_list<QPushButton*> buttons) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(fields);
    layout->addLayout(buttonRow(buttons));
}

ActionButtons layOutDialog(QWidget* dialog, QWidget* fields) {
    ActionButtons out{button(dialog, QStringLiteral("&Add"), "btnAdd"),
                      button(dialog, QStringLiteral("&Close"), "btnCancel")};
    layOutDialog(dialog, fields, {out.add, out.close});
    return out;
}

void layOutPrompt(QWidget* dialog, QLabel* prompt, QLineEdit* field,
                  std::initializer_list<QPushButton*> buttons) {
    prompt->setBuddy(field);
    field->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(prompt);
    layout->addWidget(field);
    layout->addLayout(buttonRow(buttons));
}

void layOutList(QWidget* dialog, QWidget* list, std::initializer_list<QPushButton*> buttons) {
    const int rows = static_cast<int>(buttons.size());
    auto* grid = new QGridLayout(dialog);
    grid->addWidget(list, 0, 0, rows + 1, 1);
    int row = 0;
    for (QPushButton* b : buttons)
        grid->addWidget(b, row++, 1);
    grid->setRowStretch(rows, 1);
    grid->setColumnStretch(0, 1);
}

void showMode(QWidget* dialog, QPushButton* action, std::optional<DialogMode> mode,
              const QString& addTitle, const QString& modifyTitle) {
    if (mode == DialogMode::Add) {
        dialog->setWindowTitle(addTitle);
        action->setText(QStringLiteral("&Add"));
    } else if (mode == DialogMode::Modify) {
        dialog->setWindowTitle(modifyTitle);
        action->setText(QStringLiteral("&Modify"));
    }
}

namespace {

class EnterFilter : public QObject {
public:
    EnterFilter(QObject* watched, std::function<void()> act)
        : QObject(watched), act_(std::move(act)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                act_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> act_;
};

} // namespace

void onEnter(QWidget* watched, std::function<void()> act) {
    watched->installEventFilter(new EnterFilter(watched, std::move(act)));
}

void filterCodeAndCost(QLineEdit* code, int codeLimit, QLineEdit* cost, Messages& messages,
                       QPushButton* add, QObject* watcher) {
    KeyFilter::install(code, messages, FieldKind::FreeText, codeLimit, add);
    KeyFilter::install(cost, messages, FieldKind::Cost, CostLimit, add);
    code->installEventFilter(watcher);
}

void showPicked(QLineEdit* id, QLineEdit* name,
                const std::optional<std::pair<int, QString>>& chosen) {
    if (chosen) {
        id->setText(QString::number(chosen->first));
        name->setText(chosen->second);
    } else {
        id->clear();
        name->clear();
    }
}

void fillChoices(QComboBox* combo, const Choices& choices) {
    // The entries go into a model of their own before the combo sees it:
    // one reset of the combo for the whole list, not one insertion per
    // entry (tens of thousands of products). Setting the model deletes the
    // one it had, which was the combo's own.
    auto* model = new QStandardItemModel(combo);
    QList<QStandardItem*> column;
    column.reserve(static_cast<qsizetype>(choices.size()));
    for (const Choice& c : choices) {
        auto* item = new QStandardItem(c.text);
        item->setData(c.id, Qt::UserRole);
        column << item;
    }
    model->appendColumn(column);
    combo->setModel(model);
    combo->setCurrentIndex(choices.empty() ? -1 : 0);
}

void selectChoice(QComboBox* combo, int id) {
    const int index = combo->findData(id);
    combo->setCurrentIndex(index >= 0 ? index : combo->count() - 1);
}

} // namespace common
