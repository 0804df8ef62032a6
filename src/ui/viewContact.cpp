#include "ui/viewContact.h"

#include "ui/windowStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

TviewContactForm::TviewContactForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"viewContactForm"_s);
    setWindowTitle(u"Contact Information"_s);
    makeFixedDialogWindow(*this, 269, 168);

    auto* box = new QFrame(this);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setGeometry(4, 4, 261, 70);
    int y = 8;
    for (const auto& [name, text] :
         {std::pair{"Label1", u" Name: "_s}, std::pair{"Label2", u" ID: "_s}, std::pair{"Label3", u" Service: "_s}}) {
        auto* tag = makeLabel(this, name, text, 8, y, 56, 18);
        setBackground(*tag, Qt::white);
        y += 22;
    }
    nameLabel = makeLabel(this, "nameLabel", u"[ ]"_s, 66, 8, 197, 18);
    idLabel = makeLabel(this, "idLabel", u"[ ]"_s, 66, 30, 197, 18);
    serviceLabel = makeLabel(this, "serviceLabel", u"[ ]"_s, 66, 52, 197, 18);

    auto* ok = makeButton(this, "okbutton", u"OK"_s, 97, 84, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    shareFittingFont({makeLabel(this, "noteLabel1", u"NOTE:  To edit contact information, use the"_s, 4, 120, 263, 18),
                      makeLabel(this, "notelabel2", u"Contacts Database in the Main menu."_s, 4, 138, 263, 18)});
    nameControlsForScreenReaders(*this);
}

void TviewContactForm::showContact(const QString& name, const QString& id, const QString& service) {
    nameLabel->setText(name);
    idLabel->setText(id);
    serviceLabel->setText(service);
    serviceLabel->adjustSize();
}

} // namespace corvane
