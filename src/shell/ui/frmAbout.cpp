#include "shell/ui/frmAbout.h"

#include "common/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Vemora! Assets"));
    auto* layout = new QVBoxLayout(this);
    auto* lblTitle = new QLabel(common::MessageTitle, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblVersion_ = new QLabel(QStringLiteral("Version XXXX"), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
}

} // namespace shell
