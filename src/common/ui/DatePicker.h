#pragma once

#include <QDateTime>
#include <QWidget>

class QCheckBox;
class QDateTimeEdit;

namespace common {

// A date picker with a check box: a date (or date and time) edit with a
// calendar pop-up, and a box that, when cleared, makes the picker hold "no
// date". Without the check box (setCheckable(false)) it always holds a
// date.
class DatePicker : public QWidget {
    Q_OBJECT
public:
    // withTime: shows and keeps the time as well ("dd/MM/yy HH:mm:ss");
    // otherwise the date alone ("dd/MM/yy").
    explicit DatePicker(bool withTime, QWidget* parent = nullptr);

    // An invalid value clears the check box (no date); a valid one sets it.
    void setDateTime(const QDateTime& at);
    void setDate(const QDate& date);
    // The value held: invalid when the check box is cleared.
    QDateTime dateTime() const;
    QDate date() const;
    bool hasDate() const;

    // Whether the check box is shown; a picker without one always holds
    // its date.
    void setCheckable(bool checkable);
    bool isCheckable() const { return checkable_; }
    // A read-only picker shows its value and lets no one change it.
    void setReadOnly(bool readOnly);

    QCheckBox* checkBox() const { return check_; }
    QDateTimeEdit* editor() const { return edit_; }

signals:
    // The value changed, or the check box was set or cleared.
    void changed();

private:
    void follow();

    QCheckBox* check_ = nullptr;
    QDateTimeEdit* edit_ = nullptr;
    bool checkable_ = true;
    bool withTime_ = false;
};

} // namespace common
