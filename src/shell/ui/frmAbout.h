#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace common {
class Messages;
}

namespace shell {

// The About box: the program's icon, title, version and a legal warning,
// "&OK" and "&System Info...". Its version label is set at start-up, before
// the box is ever shown, so the one instance lives as long as the program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(common::Messages& messages, QWidget* parent = nullptr);
    QLabel* lblVersion() const { return lblVersion_; }

    // "&System Info...": starts the system-information program.
    void cmdSysInfo_Click();

private:
    common::Messages& messages_;
    QLabel* lblVersion_;
};

} // namespace shell
