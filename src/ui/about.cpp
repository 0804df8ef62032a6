#include "ui/about.h"

#include "ui/windowStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

TAboutForm::TAboutForm(QWidget* mainWindow)
    : QDialog(nullptr)
    , m_mainWindow(mainWindow) {
    setObjectName(u"AboutForm"_s);
    setWindowTitle(u"About"_s);
    makeFixedDialogWindow(*this, 245, 272);

    auto* image = makeLabel(this, "Image1", QString(), 4, 4, 237, 52);
    image->setAlignment(Qt::AlignCenter);

    auto* title = makeLabel(this, "Label1", u"Windows Corvane"_s, 0, 60, 245, 20);
    title->setAlignment(Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setPointSize(10);
    title->setFont(titleFont);
    setTextColour(*title, Qt::blue);

    versionLabel = makeLabel(this, "versionLabel", u"Version: x.xx"_s, 0, 82, 245, 18);
    versionLabel->setAlignment(Qt::AlignCenter);
    auto* support = makeLabel(this, "supportLabel", u"For Support, please contact:"_s, 0, 104, 245, 18);
    support->setAlignment(Qt::AlignCenter);
    auto* contact = makeLabel(this, "contactLabel", QString::fromLatin1(supportTelephone), 0, 122, 245, 22);
    contact->setAlignment(Qt::AlignCenter);
    QFont bigger = contact->font();
    bigger.setPointSize(bigger.pointSize() + 2);
    contact->setFont(bigger);
    setTextColour(*contact, Qt::blue);

    makeLabel(this, "Label2", u"software by:"_s, 10, 150, 100, 18);
    auto* company = makeLabel(this, "aboutCompanyNameLabel", QString::fromLatin1(companyName), 10, 168, 225, 24);
    company->setAlignment(Qt::AlignCenter);
    company->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackground(*company, Qt::white);

    auto* emailTag = makeLabel(this, "Label5", u"email:"_s, 10, 198, 40, 18);
    setTextColour(*emailTag, Qt::blue);
    makeLabel(this, "aboutEmailLabel", QString::fromLatin1(supportEmail), 52, 198, 185, 18);
    auto* webTag = makeLabel(this, "Label9", u"web:"_s, 10, 216, 40, 18);
    setTextColour(*webTag, Qt::blue);
    makeLabel(this, "aboutWebLabel", QString::fromLatin1(supportWeb), 52, 216, 185, 18);

    auto* ok = makeButton(this, "okButton", u"OK"_s, 85, 240, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    nameControlsForScreenReaders(*this);
}

void TAboutForm::showEvent(QShowEvent* event) {
    if (m_mainWindow != nullptr) {
        move(m_mainWindow->pos() + QPoint(50, 50));
    }
    QDialog::showEvent(event);
}

} // namespace corvane
