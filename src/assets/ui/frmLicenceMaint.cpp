#include "assets/ui/frmLicenceMaint.h"

#include "common/Session.h"
#include "common/ui/DatePicker.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace assets {

frmLicenceMaint::frmLicenceMaint(common::Session& session, QWidget* parent)
    : ItemDialog(session, session.logic<clsLicences>(),
                 {"frmLicenceMaint", "fraLicence", "btnLocation", "txtSuppName", "dteDateAdded"},
                 common::ErrorForm::Description, parent),
      licences_(session.logic<clsLicences>()) {
    Frame1 = new QGroupBox(frame);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* types = new QHBoxLayout(Frame1);
    const QString captions[] = {QStringLiteral("Normal"), QStringLiteral("Temporary")};
    for (int i = 0; i < 2; ++i) {
        optType[i] = new QRadioButton(captions[i], Frame1);
        optType[i]->setObjectName(QStringLiteral("optType"));
        optType[i]->setProperty("index", i);
        types->addWidget(optType[i]);
    }
    optType[1]->setStyleSheet(QStringLiteral("color: red"));
    optType[0]->setChecked(true);
    dteExpDate = new common::DatePicker(false, frame);
    dteExpDate->setObjectName(QStringLiteral("dteExpDate"));
    buildFields(QStringLiteral("Licence Key"),
                {{QString(), Frame1}, {QStringLiteral("Expiry"), dteExpDate}});
    connect(this, &ItemDialog::itemStored, this, &frmLicenceMaint::licenceChanged);
}

int frmLicenceMaint::itemId() const {
    return LicID;
}

bool frmLicenceMaint::loadMode(common::DialogMode mode) {
    using common::DialogMode;
    if (mode != DialogMode::Add && LicID == 0) {
        messages_.fail(QStringLiteral("Internal Error:  No licence ID set"));
        // Nothing to show or store: the dialog goes once its loop runs.
        btnAdd->setEnabled(false);
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return false;
    }
    switch (mode) {
    case DialogMode::View:
        setWindowTitle(QStringLiteral("Viewing of a Licence"));
        break;
    case DialogMode::Add:
        setWindowTitle(QStringLiteral("Adding a Licence"));
        dteExpDate->setDate(QDate());
        break;
    case DialogMode::Modify:
        setWindowTitle(QStringLiteral("Modifying a Licence"));
        break;
    }
    return true;
}

void frmLicenceMaint::showItem(int id) {
    const std::optional<LicenceDetails> d = licences_.GetLicDets(id);
    if (!d)
        return;
    txtCode->setText(d->key);
    dteExpDate->setDate(d->expiry);
    optType[d->temporary ? 1 : 0]->setChecked(true);
    showShared(*d, d->locId);
}

ItemSave frmLicenceMaint::storeItem(bool adding) {
    LicenceFields f;
    readShared(f);
    f.key = txtCode->text();
    f.expiry = dteExpDate->date();
    f.temporary = !optType[0]->isChecked();
    const LicenceSave saved =
        adding ? licences_.InsertLicence(f) : licences_.ModifyLicencedets(LicID, f);
    return {saved.licId, saved.refused, saved.costText, saved.changedMeanwhile};
}

QWidget* frmLicenceMaint::ownField(ItemField field) {
    return field == ItemField::Expiry ? dteExpDate : nullptr;
}

void frmLicenceMaint::done(int result) {
    LicID = 0;
    QDialog::done(result);
}

} // namespace assets
