#include "shell/ui/frmAbout.h"

#include "common/Messages.h"
#include "common/ui/Images.h"
#include "shell/SystemInfo.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

namespace {

const QString Disclaimer = QStringLiteral(
    "Warning: this computer program is protected by copyright law and international treaties. "
    "Unauthorised copying or distribution of this program, or of any part of it, may result in "
    "civil and criminal penalties. The program is provided as it is, without warranty of any "
    "kind; keep regular backups of your asset database.");

QFrame* line(QWidget* parent, int index) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("Line1"));
    frame->setProperty("index", index);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

} // namespace

frmAbout::frmAbout(common::Messages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Vemora! Assets"));

    auto* Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(
        common::resourcePicture(QStringLiteral(":/icons/loc1_system.svg"), QSize(48, 48)));
    Image1->setAlignment(Qt::AlignTop);

    auto* lblTitle = new QLabel(QStringLiteral("Vemora! Assets"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion_ = new QLabel(QStringLiteral("Version XXXX"), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    auto* lblDescription =
        new QLabel(QStringLiteral("A register of IT equipment and software licences."), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));

    auto* lblDisclaimer = new QLabel(Disclaimer, this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);

    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Image1, 0, 0, 3, 1);
    layout->addWidget(lblTitle, 0, 1);
    layout->addWidget(lblVersion_, 1, 1);
    layout->addWidget(lblDescription, 2, 1);
    layout->addWidget(line(this, 0), 3, 0, 1, 2);
    layout->addWidget(lblDisclaimer, 4, 0, 1, 2);
    layout->addWidget(line(this, 1), 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    layout->addLayout(buttons, 6, 0, 1, 2);
    setFixedWidth(460);
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(messages_);
}

} // namespace shell
