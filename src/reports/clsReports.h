#pragma once

// Reports: the report list, the order buttons a report offers, each
// report's query in a chosen order, and the fixed-pitch text it makes.
//
// The text is built here as one string with CR LF line ends: the heading
// block, then one line per row. The page shows it, printing prints it and
// the text export writes it, unchanged.

#include "reports/ReportCatalogue.h"
#include "store/Database.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>
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

// A report's lines written from its query a slice of rows at a time, so
// that a long report can be read between the window's events. With rankBy,
// a column of the query, the lines come sorted by that column's text in the
// register's text order, a missing text first, rows of equal text in the
// order the query returned them; rankKey, another column, names the record
// the text comes from, so that rows of one record have their text read and
// ranked once (without it every row's text is its own).
class ReportLines {
public:
    // Reads rows, which must outlive this object.
    ReportLines(const ReportDef& report, store::Query& rows, const QDate& today,
                const QString& rankBy = QString(), const QString& rankKey = QString());
    // Reads rows of its own.
    ReportLines(const ReportDef& report, store::Query&& rows, const QDate& today,
                const QString& rankBy = QString(), const QString& rankKey = QString());
    ~ReportLines();
    ReportLines(const ReportLines&) = delete;
    ReportLines& operator=(const ReportLines&) = delete;

    // Reads up to maxRows further rows; false once the query has no more.
    bool read(int maxRows);
    // Reads what is left and appends every line, in order, to text; the
    // number of lines.
    int finish(QString& text);
    // The rows read so far.
    int lines() const { return lines_; }

private:
    const ReportDef& report_;
    std::optional<store::Query> owned_;
    store::Query* rows_;
    QDate today_;
    QString rankBy_;
    QString rankKey_;
    bool done_ = false;
    int lines_ = 0;
    // The columns' positions in the query, found on the first row.
    std::vector<int> at_;
    int costAt_ = -1;
    int rankAt_ = -1;
    int keyAt_ = -1;
    // The lines as read; ranked, where each starts, and the number of each
    // row's text (-1 for none) in texts_.
    QString out_;
    std::vector<qsizetype> starts_;
    std::vector<int> rowText_;
    QHash<std::int64_t, int> textOfKey_;
    QStringList texts_;
    // The line being built and the cell being read, each keeping its room.
    QString line_;
    QString cell_;
    QStringDecoder decoder_;
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

    // The report's lines in that order read a slice at a time
    // (ReportLines::read, then finish): the lines RunReportQuery writes.
    std::unique_ptr<ReportLines> StartReportLines(const ReportDef& report, int orderIndex);

    // Appends the first count lines of the report in that order, exactly
    // as the whole report begins, reading only about as many rows (an
    // index walks the order, or the rows of the records whose texts rank
    // first are read); the number of lines written: fewer than count only
    // when that is the whole report. No message.
    int WriteFirstLines(const ReportDef& report, int orderIndex, int count, QString& text);

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
    // the query returned them. rankKey, a column of the query, names the
    // record the ranked text comes from, so that rows of one record have
    // their text read and ranked once; without it every row's text is its
    // own.
    static int WriteReportLines(const ReportDef& report, store::Query& rows, QString& text,
                                const QDate& today = QDate(), const QString& rankBy = QString(),
                                const QString& rankKey = QString());

    // The period of "Licences expiring soon" in days: the user's setting
    // unless set here (vemora-admin report --days N).
    int expiringSoonDays() const { return expiringSoonDays_; }
    void setExpiringSoonDays(int days) { expiringSoonDays_ = days; }

    // The SQL of a report in an order, with the values it is to be run
    // with (bound in this order); for the queries and for tests of them.
    struct ComposedQuery {
        QString sql;
        std::vector<store::BoundValue> values;
    };
    ComposedQuery ComposeQuery(const ReportDef& report, int orderIndex) const;

    // What RunReportQuery reads for a report in an order: the query, and
    // the column by whose text it puts the rows in order itself (see
    // WriteReportLines), or none when the query's order is the report's.
    // The rows are ComposeQuery's; an order by another table's text leaves
    // the engine's ORDER BY without that term (record order, no sort), so
    // that the engine does not compare two rows' texts through the
    // collation at every step of its sort: each distinct text is ranked
    // once instead, the query also reading the key of the record the text
    // comes from (rankKey).
    struct ReadPlan {
        ComposedQuery query;
        QString rankBy;
        QString rankKey;
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
