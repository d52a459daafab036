#pragma once

#include "common/Messages.h"

class QWidget;

namespace common {

// Messages shown as modal message boxes over the active window.
class BoxMessages : public Messages {
protected:
    bool present(MessageKind kind, const QString& text) override;
    bool presentQuestion(const QString& text, DefaultButton byDefault) override;

private:
    bool showBox(MessageKind kind, const QString& text, DefaultButton byDefault);
};

} // namespace common
