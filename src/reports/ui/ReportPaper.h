#pragma once

// Putting report text on paper (a printer or a PDF file) and on screen, in
// "Courier New" or, where that font is missing, another fixed-pitch font.

#include <QFont>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QPrinter;

namespace common {
class Progress;
}

namespace reports {

// The report font at a size: "Courier New" when it resolves to a
// fixed-pitch font, else the system's fixed-pitch font.
QFont reportFont(double pointSize);

// The size of the report text area's font at zoom 0; each zoom step adds
// or takes one point, within the smallest and largest zoom.
inline constexpr double ScreenPointSize = 10.0;
inline constexpr int SmallestZoom = -4;
inline constexpr int LargestZoom = 20;
// The size on paper unless the longest line needs a smaller one to fit.
inline constexpr double PaperPointSize = 10.0;

// Why a report did not reach the paper: "description number".
struct PaperFailure {
    QString description;
    int number = 0;
    QString text() const { return description + QLatin1Char(' ') + QString::number(number); }
};

enum PaperError { CannotStartJob = 1, NewPageFailed = 2, JobFailed = 3 };

// Prints the report text (CR LF line ends) on the printer in landscape:
// line by line, unchanged, a new page whenever one is full, the heading
// only where the text has it (once, at the top). The font size is chosen
// so that the longest line fits the printable width. No value on success.
// Lines printed are reported to progress, when given, which may stop the
// job (common::Cancelled passes out).
std::optional<PaperFailure> printReportText(QPrinter& printer, const QString& text,
                                            common::Progress* progress = nullptr);

// Writes the report text to a PDF file with the same layout as printing,
// through a temporary file beside it that replaces it only when complete:
// on failure an existing file is left as it was and no temporary file stays.
// The caller checks the path against common::FileGuard first. May run on a
// thread of its own; a job stopped through progress leaves no file either.
std::optional<PaperFailure> writeReportPdf(const QString& path, const QString& text,
                                           common::Progress* progress = nullptr);

// The installed printers, by device name; replaced in tests.
class ReportPrinters {
public:
    virtual ~ReportPrinters() = default;
    // Device names in the system's order.
    virtual QStringList names() const = 0;
    // A printer for the device of that name (one of names()).
    virtual std::unique_ptr<QPrinter> printer(const QString& name) const = 0;
};

// The printers the system has installed.
class SystemPrinters : public ReportPrinters {
public:
    QStringList names() const override;
    std::unique_ptr<QPrinter> printer(const QString& name) const override;
};

} // namespace reports
