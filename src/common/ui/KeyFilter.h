#pragma once

#include "common/KeyRule.h"

#include <QObject>

class QAbstractButton;
class QLineEdit;

namespace common {

class Messages;

// Filters the keys typed into a text box by judgeKey: drops what the field
// refuses, names the limit when it is reached, and makes Enter press the
// dialog's action button.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    // The filter belongs to the edit and goes with it.
    static KeyFilter* install(QLineEdit* edit, Messages& messages, FieldKind kind, int limit,
                              QAbstractButton* action = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyFilter(QLineEdit* edit, Messages& messages, FieldKind kind, int limit,
              QAbstractButton* action);

    QLineEdit* edit_;
    Messages& messages_;
    FieldKind kind_;
    int limit_;
    QAbstractButton* action_;
};

} // namespace common
