#include "shell/ui/frmSplash.h"

#include "common/ui/Images.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(this);
    picture->setPixmap(common::resourcePicture(QStringLiteral(":/splash.svg"), QSize(480, 280)));
    layout->addWidget(picture);
    lblVersion_ = new QLabel(QStringLiteral("Version XXXX"), picture);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    lblVersion_->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    lblVersion_->setGeometry(192, 236, 200, 24);

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(1000);
    connect(Timer1_, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1_->start();
}

void frmSplash::reject() {
    // Escape and the close box do not end the splash: its timer does.
}

void frmSplash::Timer1_Timer() {
    const int remembered = ticks_++;
    if (remembered == 2) {
        Timer1_->stop();
        accept();
    }
}

} // namespace shell
