#include "common/TerminalProgress.h"

#include <QLocale>

#include <algorithm>

#include <unistd.h>

namespace common {

namespace {

// The line is written again no more often than this, unless a new stage
// begins or the work ends.
constexpr qint64 RewriteMs = 100;

} // namespace

TerminalProgress::TerminalProgress(QString title, std::FILE* out)
    : title_(std::move(title)), out_(out), shown_(out && ::isatty(::fileno(out)) == 1) {}

TerminalProgress::~TerminalProgress() {
    const std::lock_guard<std::mutex> lock(writing_);
    if (shown_ && width_ > 0) {
        std::fprintf(out_, "\r%*s\r", width_, "");
        std::fflush(out_);
    }
}

QString TerminalProgress::line() const {
    QString text = title_;
    const QString stage = what();
    if (!stage.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(": ")) + stage;
    const int shown = percent();
    if (shown >= 0)
        text += QStringLiteral(" %1 %").arg(shown);
    else if (done() > 0)
        text += QStringLiteral(" ") + QLocale(QLocale::English).toString(done());
    return text;
}

void TerminalProgress::changed() {
    if (!shown_)
        return;
    const std::lock_guard<std::mutex> lock(writing_);
    const QString text = line();
    const QString stage = what();
    const bool newStage = stage != stageWritten_;
    if (text == written_ || (sinceWritten_.isValid() && sinceWritten_.elapsed() < RewriteMs &&
                             !newStage && percent() != 100))
        return;
    const QByteArray bytes = text.toLocal8Bit();
    const int width = static_cast<int>(bytes.size());
    // Blanks over the end of a longer line written before.
    std::fprintf(out_, "\r%s%*s", bytes.constData(), std::max(0, width_ - width), "");
    std::fflush(out_);
    width_ = std::max(width_, width);
    written_ = text;
    stageWritten_ = stage;
    sinceWritten_.start();
}

std::unique_ptr<Progress> TerminalRunner::makeProgress(const QString& title) {
    return std::make_unique<TerminalProgress>(title, out_);
}

} // namespace common
