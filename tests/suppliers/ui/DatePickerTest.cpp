// The shared date picker (src/common/ui/DatePicker), first used by the
// supplier dialog's DTSupplyDate.

#include "common/ui/DatePicker.h"

#include <QCheckBox>
#include <QDateTimeEdit>

#include <gtest/gtest.h>

TEST(DatePicker, HoldsADateAndTimeOrNoDate) {
    common::DatePicker picker(true);
    const QDateTime at(QDate(2026, 5, 6), QTime(7, 8, 9));
    picker.setDateTime(at);
    EXPECT_TRUE(picker.hasDate());
    EXPECT_EQ(picker.dateTime(), at);
    EXPECT_EQ(picker.editor()->displayFormat(), QStringLiteral("dd/MM/yy HH:mm:ss"));
    EXPECT_TRUE(picker.editor()->calendarPopup());

    picker.checkBox()->setChecked(false);
    EXPECT_FALSE(picker.hasDate());
    EXPECT_FALSE(picker.dateTime().isValid());
    EXPECT_FALSE(picker.editor()->isEnabled());

    picker.setDateTime(at.addDays(1));
    EXPECT_TRUE(picker.checkBox()->isChecked());
    EXPECT_EQ(picker.dateTime(), at.addDays(1));
    picker.setDateTime(QDateTime());
    EXPECT_FALSE(picker.hasDate());
}

TEST(DatePicker, DateOnlyDropsTheTimeAndWithoutCheckBoxAlwaysHoldsADate) {
    common::DatePicker picker(false);
    picker.setDateTime(QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
    EXPECT_EQ(picker.dateTime(), QDateTime(QDate(2026, 5, 6), QTime(0, 0)));
    EXPECT_EQ(picker.date(), QDate(2026, 5, 6));
    picker.setCheckable(false);
    picker.setDate(QDate());
    EXPECT_TRUE(picker.hasDate());
    EXPECT_EQ(picker.date(), QDate(2026, 5, 6));
}
