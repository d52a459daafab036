#include "import/CsvReader.h"

#include <QStringDecoder>

#include <csv.h>

namespace imports {

namespace {

constexpr qint64 ChunkBytes = 64 * 1024;

// libcsv's parser state between records (its ROW_NOT_BEGUN): nothing of a
// record has been read.
constexpr int RowNotBegun = 0;

void onField(void* data, size_t length, void* reader) {
    static_cast<CsvReader*>(reader)->addField(static_cast<const char*>(data), length);
}

void onRecord(int, void* reader) {
    static_cast<CsvReader*>(reader)->endRecord();
}

// With the tab as the separator, only blanks around a cell are padding.
int blankOnly(unsigned char c) {
    return c == CSV_SPACE ? 1 : 0;
}

} // namespace

CsvReader::CsvReader() : parser_(std::make_unique<csv_parser>()) {}

CsvReader::~CsvReader() {
    if (parserReady_)
        csv_free(parser_.get());
}

bool CsvReader::open(const QString& path) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = file_.errorString();
        return false;
    }
    size_ = file_.size();
    if (csv_init(parser_.get(), CSV_STRICT | CSV_STRICT_FINI) != 0) {
        error_ = QStringLiteral("the CSV reader could not start");
        return false;
    }
    parserReady_ = true;
    if (!fill())
        return true;
    if (chunk_.startsWith("\xEF\xBB\xBF")) {
        pos_ = 3;
    } else if (chunk_.startsWith("\xFF\xFE") || chunk_.startsWith("\xFE\xFF")) {
        fatal(1, QStringLiteral("the file is UTF-16 text; save it as \"CSV UTF-8\""));
        return true;
    }
    // The separator the header line uses most.
    const qsizetype end = chunk_.indexOf('\n', pos_);
    const QByteArray first = chunk_.mid(pos_, end < 0 ? -1 : end - pos_);
    const auto commas = first.count(',');
    const auto semicolons = first.count(';');
    const auto tabs = first.count('\t');
    if (tabs > commas && tabs > semicolons) {
        separator_ = '\t';
        csv_set_space_func(parser_.get(), blankOnly);
    } else if (semicolons > commas) {
        separator_ = ';';
    }
    csv_set_delim(parser_.get(), static_cast<unsigned char>(separator_));
    return true;
}

bool CsvReader::fill() {
    chunk_ = file_.read(ChunkBytes);
    pos_ = 0;
    return !chunk_.isEmpty();
}

void CsvReader::fatal(int line, const QString& text) {
    error_ = text;
    errorLine_ = line;
    ended_ = true;
}

void CsvReader::addField(const char* data, size_t length) {
    ++current_.cellCount;
    if (current_.fields.size() >= MaxColumns)
        return;
    const QByteArrayView bytes(data, static_cast<qsizetype>(length));
    // Stateless: a sequence cut short at the end of a field is an error.
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(bytes);
    if (decode.hasError())
        current_.notUtf8 = true;
    current_.fields << text;
    current_.raw << bytes.toByteArray();
}

void CsvReader::endRecord() {
    current_.line = recordLine_;
    ready_.push_back(std::move(current_));
    current_ = CsvRecord();
    recordBytes_ = 0;
}

std::optional<CsvRecord> CsvReader::next() {
    while (ready_.empty() && !ended_) {
        if (pos_ >= chunk_.size() && !fill()) {
            ended_ = true;
            if (csv_fini(parser_.get(), onField, onRecord, this) != 0)
                fatal(recordLine_, QStringLiteral("a quoted cell that begins on this line is "
                                                  "never closed"));
            break;
        }
        if (atLineStart_ && parser_->pstate == RowNotBegun) {
            recordLine_ = line_;
            recordBytes_ = 0;
        }
        // One line at a time (or what the chunk holds of it), so that every
        // record knows the line it began on.
        const qsizetype newline = chunk_.indexOf('\n', pos_);
        const qsizetype end = newline < 0 ? chunk_.size() : newline + 1;
        const size_t length = static_cast<size_t>(end - pos_);
        const size_t parsed =
            csv_parse(parser_.get(), chunk_.constData() + pos_, length, onField, onRecord, this);
        offset_ += static_cast<qint64>(parsed);
        if (parsed != length) {
            fatal(line_, csv_error(parser_.get()) == CSV_EPARSE
                             ? QStringLiteral("a quote stands inside a cell that is not quoted, "
                                              "or text follows a closing quote")
                             : QStringLiteral("the row is too large to read"));
            break;
        }
        pos_ = end;
        atLineStart_ = newline >= 0;
        if (atLineStart_)
            ++line_;
        if (parser_->pstate != RowNotBegun) {
            recordBytes_ += static_cast<qint64>(length);
            if (recordBytes_ > MaxRecordBytes) {
                fatal(recordLine_, QStringLiteral("the row that begins on this line is longer "
                                                  "than 1 MB; is this a CSV file?"));
                break;
            }
        }
    }
    if (ready_.empty())
        return std::nullopt;
    CsvRecord record = std::move(ready_.front());
    ready_.pop_front();
    return record;
}

QByteArray csvLine(const QList<QByteArray>& fields) {
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QByteArray& field = fields.at(i);
        const bool quote = field.contains(',') || field.contains('"') || field.contains('\n') ||
                           field.contains('\r') || field.startsWith(' ') || field.endsWith(' ');
        if (quote) {
            QByteArray doubled = field;
            doubled.replace("\"", "\"\"");
            out += '"' + doubled + '"';
        } else {
            out += field;
        }
    }
    out += "\r\n";
    return out;
}

} // namespace imports
