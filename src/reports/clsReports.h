#pragma once

// Reports: the report list, the order buttons a report offers, each
// report's query in a chosen order, and the fixed-pitch text it makes.
//
// The text is built here as one string with CR LF line ends: the heading
// block, then one line per row. The page shows it, printing prints it and
// the text export writes it, unchanged.

#include "reports/ReportCatalogue.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

namespace store {
class Database;
class Query;
} // namespace store
namespace common {
class Clock;
class Messages;
} // namespace common

namespace reports {

// What a run of a report came to.
enum class ReportOutcome {
    NotInCatalogue, // heading only; no query ran, no message
    Empty,          // heading only; the report's empty message was shown
    Listed,         // heading and at least one line
};

struct ReportRun {
    QString text; // the whole report, CR LF line ends
    ReportOutcome outcome = ReportOutcome::NotInCatalogue;
    int lines = 0; // report lines after the heading
};

class clsReports {
public:
    clsReports(store::Database& db, common::Messages& messages, common::Clock& clock);

    // The entries of cboReports: "(Select a Report)" and the eight report
    // names in catalogue order.
    QStringList FillUpReportCombo() const;

    // The order buttons to show for a report, in layout order: 0, 1, 2 and
    // the report's further buttons; 0 to 2 alone for an unknown name.
    std::vector<int> SetUpFrame(const QString& reportName) const;

    // The heading block, then the report's lines in the order of order
    // button orderIndex. A report that finds nothing shows its message and
    // keeps the heading; a name not in the catalogue gives the heading
    // alone. An order the report does not offer (or an index outside 0 to
    // 9) lists the rows in the order they were recorded.
    ReportRun RunReport(const QString& reportName, int orderIndex);

    // Runs the report's query in that order and appends its lines to text;
    // the number of lines, 0 after the empty message. Does nothing for a
    // name not in the catalogue.
    int RunReportQuery(const QString& reportName, int orderIndex, QString& text);

    // The five heading lines for the report name: the name, its underline
    // with the report date 135 blanks on, an empty line, the captions and a
    // rule of 160 "_".
    QString WriteReportHeading(const QString& reportName) const;

    // Appends one line per remaining row of the query, as the report lays
    // them out; the number of lines written. today is the report date, from
    // which a "Days left" column counts. With rankBy, a column of the
    // query, the lines come sorted by that column's text in the register's
    // text order, a missing text first, rows of equal text in the order
    // the query returned them.
    static int WriteReportLines(const ReportDef& report, store::Query& rows, QString& text,
                                const QDate& today = QDate(), const QString& rankBy = QString());

    // The period of "Licences expiring soon" in days: the user's setting
    // unless set here (vemora-admin report --days N).
    int expiringSoonDays() const { return expiringSoonDays_; }
    void setExpiringSoonDays(int days) { expiringSoonDays_ = days; }

    // The SQL of a report in an order, with the values it is to be run
    // with (bound in this order); for the queries and for tests of them.
    struct ComposedQuery {
        QString sql;
        std::vector<std::variant<int, QString>> values;
    };
    ComposedQuery ComposeQuery(const ReportDef& report, int orderIndex) const;

    // What RunReportQuery reads for a report in an order: the query, and
    // the column by whose text it puts the rows in order itself (see
    // WriteReportLines), or none when the query's order is the report's.
    // The rows are ComposeQuery's; an order by a text leaves the engine's
    // ORDER BY without that term (record order, no sort), so that the
    // engine does not compare two rows' texts through the collation at
    // every step of its sort: each distinct text is ranked once instead.
    struct ReadPlan {
        ComposedQuery query;
        QString rankBy;
    };
    ReadPlan ReadQuery(const ReportDef& report, int orderIndex) const;

private:
    // The query of ComposeQuery; when ranked, without the chosen order's
    // term where ReadQuery ranks it.
    ComposedQuery compose(const ReportDef& report, int orderIndex, bool ranked) const;

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
    int expiringSoonDays_;
};

} // namespace reports
