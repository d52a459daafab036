#include "common/ui/DialogKit.h"

#include "common/ui/KeyFilter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace common {

QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
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

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QString& tip,
                        QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
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

QPushButton* button(QWidget* parent, const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void FieldGrid::line(const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, owner_);
    label->setBuddy(field);
    grid_->addWidget(label, row_, 0);
    grid_->addWidget(field, row_++, 1, 1, 3);
}

void FieldGrid::picked(const QString& caption, QWidget* field, QWidget* pick, QWidget* clear) {
    auto* label = new QLabel(caption, owner_);
    label->setBuddy(pick);
    grid_->addWidget(label, row_, 0);
    grid_->addWidget(field, row_, 1);
    grid_->addWidget(pick, row_, 2);
    grid_->addWidget(clear, row_++, 3);
    grid_->setColumnStretch(1, 1);
    field->setMinimumWidth(220);
}

void fillChoices(QComboBox* combo, const Choices& choices) {
    combo->clear();
    for (const Choice& c : choices)
        combo->addItem(c.text, c.id);
}

void selectChoice(QComboBox* combo, int id) {
    const int index = combo->findData(id);
    combo->setCurrentIndex(index >= 0 ? index : combo->count() - 1);
}

ActionButtons layOutDialog(QWidget* dialog, QWidget* fields) {
    ActionButtons out{button(dialog, QStringLiteral("&Add"), "btnAdd"),
                      button(dialog, QStringLiteral("&Close"), "btnCancel")};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(out.add);
    buttons->addWidget(out.close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(fields);
    layout->addLayout(buttons);
    return out;
}

void filterCodeAndCost(QLineEdit* code, int codeLimit, QLineEdit* cost, Messages& messages,
                       QPushButton* add, QObject* watcher) {
    KeyFilter::install(code, messages, FieldKind::FreeText, codeLimit, add);
    KeyFilter::install(cost, messages, FieldKind::Cost, CostLimit, add);
    code->installEventFilter(watcher);
}

} // namespace common
