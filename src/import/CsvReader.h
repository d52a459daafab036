#pragma once

// Reads a CSV file (RFC 4180: quoted fields, doubled quotes, line breaks
// inside quotes) one record at a time with libcsv, never holding more of
// the file than one record. Every record carries the line it starts on.
// The text must be UTF-8 (a byte order mark is skipped); a field that is
// not is flagged, never guessed at. A record longer than MaxRecordBytes or
// wider than MaxColumns, a malformed quote or a UTF-16 file ends the
// reading with a fatal error naming its line.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>

struct csv_parser;

namespace imports {

// The longest record read, and the most cells kept of one.
inline constexpr qint64 MaxRecordBytes = 1024 * 1024;
inline constexpr int MaxColumns = 1000;

struct CsvRecord {
    int line = 0;       // the line the record starts on, from 1
    QStringList fields; // at most MaxColumns, decoded
    int cellCount = 0;  // every cell of the record, also those past MaxColumns
    bool notUtf8 = false;
    // The record's bytes as read, each field as it came (for the rejected
    // rows' file).
    QList<QByteArray> raw;
};

class CsvReader {
public:
    CsvReader();
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Opens the file; false when it cannot be read (error() says why). The
    // field separator is the comma, or the semicolon or tab when the first
    // line holds more of them than of commas (spreadsheets of countries
    // whose decimal mark is the comma save with semicolons).
    bool open(const QString& path);
    // The next record; no value at the end of the file or after a fatal
    // error (error() is then set).
    std::optional<CsvRecord> next();

    // Why reading stopped early, with the line it stopped at; empty when it
    // did not.
    const QString& error() const { return error_; }
    int errorLine() const { return errorLine_; }
    // How far the reading has come, for a progress bar.
    qint64 bytesRead() const { return offset_; }
    qint64 size() const { return size_; }
    char separator() const { return separator_; }

    // Called by the parser.
    void addField(const char* data, size_t length);
    void endRecord();

private:
    bool fill();
    void fatal(int line, const QString& text);

    QFile file_;
    std::unique_ptr<csv_parser> parser_;
    bool parserReady_ = false;
    QByteArray chunk_;
    qsizetype pos_ = 0;
    qint64 offset_ = 0;
    qint64 size_ = 0;
    int line_ = 1; // the line being fed
    bool atLineStart_ = true;
    int recordLine_ = 1;     // where the record being read started
    qint64 recordBytes_ = 0; // bytes fed since it started
    bool ended_ = false;
    char separator_ = ',';
    CsvRecord current_;
    std::deque<CsvRecord> ready_;
    QString error_;
    int errorLine_ = 0;
};

// One record written back as a CSV line (quoted where needed, CR LF).
QByteArray csvLine(const QList<QByteArray>& fields);

} // namespace imports
