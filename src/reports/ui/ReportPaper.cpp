#include "reports/ui/ReportPaper.h"

#include "common/FileGuard.h"
#include "common/Progress.h"
#include "reports/ReportLayout.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace reports {

QFont reportFont(double pointSize) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(pointSize);
    return font;
}

std::optional<PaperFailure> printReportText(QPrinter& printer, const QString& text,
                                            common::Progress* progress) {
    QStringList lines = text.split(LineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!lines.isEmpty())
        printer.setDocName(lines.first());

    QPainter painter;
    if (!painter.begin(&printer))
        return PaperFailure{QStringLiteral("The print job could not be started"), CannotStartJob};
    // The painter's origin is the printable area's top left corner.
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    QFont font = reportFont(PaperPointSize);
    // A fixed-pitch font: the line with the most characters is the widest.
    const auto longest =
        std::max_element(lines.cbegin(), lines.cend(),
                         [](const QString& a, const QString& b) { return a.size() < b.size(); });
    const qreal widest =
        longest == lines.cend() ? 0 : QFontMetricsF(font, &printer).horizontalAdvance(*longest);
    if (widest > area.width())
        font.setPointSizeF(PaperPointSize * area.width() / widest * 0.99);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    qreal baseline = metrics.ascent();
    if (progress)
        progress->stage(QStringLiteral("Laying out the pages"), lines.size());
    qint64 printed = 0;
    for (const QString& line : lines) {
        if (progress && (++printed & 255) == 0)
            progress->report(printed);
        if (baseline + metrics.descent() > area.height()) {
            if (!printer.newPage())
                return PaperFailure{QStringLiteral("A new page could not be started"),
                                    NewPageFailed};
            baseline = metrics.ascent();
        }
        painter.drawText(QPointF(0, baseline), line);
        baseline += metrics.lineSpacing();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted)
        return PaperFailure{QStringLiteral("The print job failed"), JobFailed};
    return std::nullopt;
}

namespace {

// True when the file ends as every complete PDF does: a write that failed
// half-way (a full disk, a size limit) leaves a file without its end.
bool endsAsPdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    file.seek(std::max<qint64>(0, file.size() - 64));
    return file.readAll().contains("%%EOF");
}

} // namespace

std::optional<PaperFailure> writeReportPdf(const QString& path, const QString& text,
                                           common::Progress* progress) {
    // Printed to a file beside the target and renamed over it when whole:
    // a failed job leaves an existing file as it was.
    common::ReplacementFile file(path);
    if (!file.create())
        return PaperFailure{QStringLiteral("The print job could not be started"), CannotStartJob};
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file.temporaryPath());
        if (std::optional<PaperFailure> failure = printReportText(printer, text, progress))
            return failure;
    }
    if (progress)
        progress->stage(QStringLiteral("Saving the file"));
    if (!endsAsPdf(file.temporaryPath()) || !file.commit())
        return PaperFailure{QStringLiteral("The print job failed"), JobFailed};
    if (progress)
        progress->finish();
    return std::nullopt;
}

QStringList SystemPrinters::names() const {
    return QPrinterInfo::availablePrinterNames();
}

std::unique_ptr<QPrinter> SystemPrinters::printer(const QString& name) const {
    return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
}

} // namespace reports
