#pragma once

// The fixed-pitch layout of a report line, column by column. Every writer
// appends to the line being built, so a report of many rows is made in one
// string without temporaries per column.

#include "store/Money.h"

#include <QDate>
#include <QString>

#include <optional>

namespace reports {

// Line end of every report line, the last one included.
inline const QString LineEnd = QStringLiteral("\r\n");
// Blanks between the underlined report name and the report date.
inline constexpr int HeadingDateGap = 135;
// Length of the rule under the captions.
inline constexpr int RuleLength = 160;

// A stored text as one column of the given width: control characters
// (line breaks, tabs) written as blanks, trimmed, cut to width - 1
// characters (never inside a character pair) and filled with blanks to the
// width, so at least one blank follows it.
void appendText(QString& line, QStringView value, int width);

// "Normal" for the type code N (after trimming), "Temp" for any other,
// filled to the width.
void appendType(QString& line, QStringView type, int width);

// The date as "dd/mm/yy" filled to the width; blanks for no date.
void appendExpiry(QString& line, const std::optional<QDate>& date, int width);

// The days from today to the date, as a whole number (negative before
// today) filled to the width; blanks for no date or no today.
void appendDaysLeft(QString& line, const std::optional<QDate>& date, const QDate& today, int width);

// The cost figure "##,##0.00" ending in character costEnd, then one blank.
// A figure wider than its room starts right after the line so far: it is
// never cut and the padding never goes negative. No cost: 21 blanks.
void appendCost(QString& line, const std::optional<store::Money>& cost, int costEnd);

// A stored date ("yyyy-MM-dd", possibly followed by a time) as a date; no
// value for an empty or unreadable text.
std::optional<QDate> storedDate(QStringView text);

} // namespace reports
