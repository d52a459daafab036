#pragma once

#include "common/Messages.h"

class QWidget;

namespace common {

// Messages shown as modal message boxes over the active window.
class BoxMessages : public Messages {
protected:
    bool present(MessageKind kind, const QString& text) override;
    bool presentNoByDefault(const QString& text) override;

private:
    bool showBox(MessageKind kind, const QString& text, bool noByDefault);
};

} // namespace common
