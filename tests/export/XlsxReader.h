#pragma once

// Reads back what an .xlsx file holds, for the export tests: the first
// sheet's name, its cells (text, number, style), its column widths and
// styles, and the fonts and number formats of those styles. The parts are
// taken out of the file with unzip.

#include <QDate>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace testing_support {

struct XlsxStyle {
    bool bold = false, italic = false, underline = false;
    QString numberFormat; // "General" for none
};

struct XlsxCell {
    QString type;  // "inlineStr", "s", "str" or "" for a number or blank
    QString value; // the text, or the number as written
    int style = 0;
    bool blank = false; // a cell with a style and no value
};

struct XlsxColumn {
    int first = 0, last = 0; // 1-based, as in the file
    double width = 0;
    int style = 0;
};

class XlsxReader {
public:
    explicit XlsxReader(const QString& path) : path_(path) {
        sheetName_ = readSheetName(part(QStringLiteral("xl/workbook.xml")));
        readStyles(part(QStringLiteral("xl/styles.xml")));
        readSheet(part(QStringLiteral("xl/worksheets/sheet1.xml")));
    }

    const QString& sheetName() const { return sheetName_; }
    bool has(const QString& ref) const { return cells_.count(ref) > 0; }
    XlsxCell cell(const QString& ref) const {
        const auto it = cells_.find(ref);
        return it == cells_.end() ? XlsxCell{} : it->second;
    }
    QString text(const QString& ref) const { return cell(ref).value; }
    XlsxStyle style(const QString& ref) const { return styleAt(cell(ref).style); }
    XlsxStyle styleAt(int index) const {
        return index >= 0 && index < static_cast<int>(styles_.size())
                   ? styles_[static_cast<size_t>(index)]
                   : XlsxStyle{};
    }
    // Every cell by its reference ("A1").
    const std::map<QString, XlsxCell>& cells() const { return cells_; }
    const std::vector<XlsxColumn>& columns() const { return columns_; }
    // The column entry that covers a 1-based column, or a zero one.
    XlsxColumn column(int index) const {
        for (const XlsxColumn& c : columns_)
            if (index >= c.first && index <= c.last)
                return c;
        return {};
    }
    // Rows that hold at least one cell, by 1-based number.
    const std::vector<int>& rows() const { return rows_; }
    int lastRow() const { return rows_.empty() ? 0 : rows_.back(); }

    // A date cell's serial number as the date it stands for.
    static QDate serialDate(const QString& value) {
        return QDate(1899, 12, 30).addDays(value.toLongLong());
    }

private:
    QByteArray part(const QString& name) const {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path_, name});
        EXPECT_TRUE(unzip.waitForFinished(60000)) << "unzip must be installed";
        EXPECT_EQ(unzip.exitCode(), 0)
            << name.toStdString() << " missing in " << path_.toStdString();
        return unzip.readAllStandardOutput();
    }

    static QString decode(QString text) {
        // _xHHHH_ stands for a control character.
        static const QRegularExpression escaped(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
        QRegularExpressionMatch m;
        qsizetype from = 0;
        while ((m = escaped.match(text, from)).hasMatch()) {
            const QChar c(static_cast<char16_t>(m.captured(1).toUShort(nullptr, 16)));
            text.replace(m.capturedStart(), m.capturedLength(), c);
            from = m.capturedStart() + 1;
        }
        return text;
    }

    static QString readSheetName(const QByteArray& xml) {
        QXmlStreamReader r(xml);
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == QLatin1String("sheet"))
                return r.attributes().value(QLatin1String("name")).toString();
        }
        return QString();
    }

    void readStyles(const QByteArray& xml) {
        QMap<int, QString> formats{{0, QStringLiteral("General")}, {4, QStringLiteral("#,##0.00")}};
        std::vector<XlsxStyle> fonts;
        QXmlStreamReader r(xml);
        QString section;
        while (!r.atEnd()) {
            r.readNext();
            if (!r.isStartElement())
                continue;
            const QStringView name = r.name();
            if (name == QLatin1String("fonts") || name == QLatin1String("cellXfs") ||
                name == QLatin1String("cellStyleXfs") || name == QLatin1String("numFmts")) {
                section = name.toString();
            } else if (name == QLatin1String("numFmt")) {
                formats[r.attributes().value(QLatin1String("numFmtId")).toInt()] =
                    r.attributes().value(QLatin1String("formatCode")).toString();
            } else if (name == QLatin1String("font") && section == QLatin1String("fonts")) {
                fonts.emplace_back();
            } else if (section == QLatin1String("fonts") && !fonts.empty()) {
                if (name == QLatin1String("b"))
                    fonts.back().bold = true;
                else if (name == QLatin1String("i"))
                    fonts.back().italic = true;
                else if (name == QLatin1String("u"))
                    fonts.back().underline =
                        r.attributes().value(QLatin1String("val")).isEmpty() ||
                        r.attributes().value(QLatin1String("val")) == QLatin1String("single");
            } else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs")) {
                const int font = r.attributes().value(QLatin1String("fontId")).toInt();
                XlsxStyle style = font < static_cast<int>(fonts.size())
                                      ? fonts[static_cast<size_t>(font)]
                                      : XlsxStyle{};
                style.numberFormat = formats.value(
                    r.attributes().value(QLatin1String("numFmtId")).toInt(), QStringLiteral("?"));
                styles_.push_back(style);
            }
        }
        EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    }

    void readSheet(const QByteArray& xml) {
        QXmlStreamReader r(xml);
        QString ref;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isEndElement() && r.name() == QLatin1String("c")) {
                ref.clear();
                continue;
            }
            if (!r.isStartElement())
                continue;
            const QStringView name = r.name();
            if (name == QLatin1String("col")) {
                const auto a = r.attributes();
                columns_.push_back({a.value(QLatin1String("min")).toInt(),
                                    a.value(QLatin1String("max")).toInt(),
                                    a.value(QLatin1String("width")).toDouble(),
                                    a.value(QLatin1String("style")).toInt()});
            } else if (name == QLatin1String("row")) {
                rows_.push_back(r.attributes().value(QLatin1String("r")).toInt());
            } else if (name == QLatin1String("c")) {
                const auto a = r.attributes();
                ref = a.value(QLatin1String("r")).toString();
                XlsxCell& c = cells_[ref];
                c.type = a.value(QLatin1String("t")).toString();
                c.style = a.value(QLatin1String("s")).toInt();
                c.blank = true;
            } else if ((name == QLatin1String("t") || name == QLatin1String("v")) &&
                       !ref.isEmpty()) {
                XlsxCell& c = cells_[ref];
                c.value += decode(r.readElementText());
                c.blank = false;
            }
        }
        EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    }

    QString path_;
    QString sheetName_;
    std::vector<XlsxStyle> styles_;
    std::map<QString, XlsxCell> cells_;
    std::vector<XlsxColumn> columns_;
    std::vector<int> rows_;
};

} // namespace testing_support
