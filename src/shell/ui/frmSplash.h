#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace shell {

// The splash window: the product picture and the version, closed by its
// timer on the third tick.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* lblVersion() const { return lblVersion_; }
    QTimer* Timer1() const { return Timer1_; }
    // The tick counter, 0 when the splash is shown.
    int ticks() const { return ticks_; }
    // Ignored: the splash closes on its third tick, however the user tries.
    void reject() override;

    void Timer1_Timer();

private:
    QLabel* lblVersion_;
    QTimer* Timer1_;
    int ticks_ = 0;
};

} // namespace shell
