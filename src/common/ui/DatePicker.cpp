#include "common/ui/DatePicker.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>

namespace common {

DatePicker::DatePicker(bool withTime, QWidget* parent) : QWidget(parent), withTime_(withTime) {
    check_ = new QCheckBox(this);
    check_->setObjectName(QStringLiteral("check"));
    check_->setChecked(true);
    edit_ = new QDateTimeEdit(this);
    edit_->setObjectName(QStringLiteral("edit"));
    edit_->setCalendarPopup(true);
    edit_->setDisplayFormat(withTime ? QStringLiteral("dd/MM/yy HH:mm:ss")
                                     : QStringLiteral("dd/MM/yy"));
    // Two-digit years are shown; the pop-up reaches any year.
    edit_->setMinimumDate(QDate(1900, 1, 1));
    edit_->setDateTime(
        QDateTime(QDate::currentDate(), withTime ? QTime::currentTime() : QTime(0, 0)));
    setFocusProxy(edit_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(check_);
    row->addWidget(edit_, 1);

    connect(check_, &QCheckBox::toggled, this, [this] {
        follow();
        emit changed();
    });
    connect(edit_, &QDateTimeEdit::dateTimeChanged, this, [this] { emit changed(); });
}

void DatePicker::follow() {
    edit_->setEnabled(!checkable_ || check_->isChecked());
}

void DatePicker::setDateTime(const QDateTime& at) {
    if (at.isValid()) {
        edit_->setDateTime(withTime_ ? at : QDateTime(at.date(), QTime(0, 0)));
        check_->setChecked(true);
    } else {
        check_->setChecked(!checkable_);
    }
    follow();
}

void DatePicker::setDate(const QDate& date) {
    setDateTime(date.isValid() ? QDateTime(date, QTime(0, 0)) : QDateTime());
}

bool DatePicker::hasDate() const {
    return !checkable_ || check_->isChecked();
}

QDateTime DatePicker::dateTime() const {
    if (!hasDate())
        return {};
    const QDateTime at = edit_->dateTime();
    return withTime_ ? at : QDateTime(at.date(), QTime(0, 0));
}

QDate DatePicker::date() const {
    return dateTime().date();
}

void DatePicker::setCheckable(bool checkable) {
    checkable_ = checkable;
    check_->setVisible(checkable);
    if (!checkable)
        check_->setChecked(true);
    follow();
}

void DatePicker::setReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
    check_->setEnabled(!readOnly);
}

} // namespace common
