#pragma once

// The main window with pop-up menus recorded instead of opened, for window
// tests.

#include "shell/ui/frmVemora.h"

#include <vector>

class QMenu;

namespace testing_support {

class RecordingMain : public shell::frmVemora {
public:
    using frmVemora::frmVemora;
    void popUp(QMenu* menu, const QPoint&) override { popped.push_back(menu); }
    std::vector<QMenu*> popped;
};

} // namespace testing_support
