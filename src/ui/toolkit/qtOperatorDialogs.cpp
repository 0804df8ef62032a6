#include "ui/toolkit/qtOperatorDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

void QtOperatorDialogs::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtOperatorDialogs::confirm(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(u"&Yes"_s, QMessageBox::YesRole);
    QPushButton* no = box.addButton(u"&No"_s, QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtOperatorDialogs::beep() {
    QApplication::beep();
}

int QtOperatorDialogs::showModal(QWidget& window) {
    if (auto* dialog = qobject_cast<QDialog*>(&window)) {
        return dialog->exec();
    }
    // A plain window: make it application-modal and wait until it is hidden again. The event loop
    // keeps running meanwhile, so timers, posted requests and sockets go on being served.
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    window.raise();
    window.activateWindow();
    QEventLoop loop;
    while (window.isVisible()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    window.setWindowModality(Qt::NonModal);
    return 0;
}

} // namespace corvane
