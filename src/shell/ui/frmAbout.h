#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace shell {

// The About box. Its version label is set at start-up, before the box is
// ever shown, so the one instance lives as long as the program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    QLabel* lblVersion() const { return lblVersion_; }

private:
    QLabel* lblVersion_;
};

} // namespace shell
