#include "ui/programWindows.h"

#include "engine/pagingEngine.h"
#include "engine/servicesFile.h"
#include "ui/results.h"
#include "ui/toolkit/handlerGuard.h"
#include "ui/windowStyle.h"

#include <QPushButton>

namespace corvane {

// Members are built in declaration order: Form1 (whose creation handler fills the service table
// and reads the settings), then the other windows, then the data module.
ProgramWindows::ProgramWindows(OperatorDialogs& dialogs, ModalRunner& modal, const QString& programDirectory,
                               const Clock* clock, const QString& systemServicesFile)
    : clock(clock != nullptr ? *clock : systemClock)
    , Form1(settings, dialogs, modal, this->clock)
    , contactsGridForm(settings, Form1.engine().serviceTable(), dialogs)
    , configForm(settings, Form1.engine().serviceTable(), dialogs)
    , AboutForm(&Form1)
    , SendLaterForm(Form1.engine(), this->clock, dialogs)
    , DataModule2(programDirectory) {
    // The program ends when the main window closes, even with the instructions or results beside it.
    for (QWidget* secondary :
         std::initializer_list<QWidget*>{&contactsGridForm, &viewContactForm, &InstructionsForm, &sendingMemoForm,
                                         &configForm, &AboutForm, &SendLaterForm}) {
        secondary->setAttribute(Qt::WA_QuitOnClose, false);
        giveScrollBarHandlesContrast(*secondary);
    }
    giveScrollBarHandlesContrast(Form1);
    configForm.setCheckAllButton(&Form1.selectAllButton());
    contactsGridForm.setDataModule(DataModule2);
    SecondaryWindows windows;
    windows.configForm = &configForm;
    windows.contactsGridForm = &contactsGridForm;
    windows.SendLaterForm = &SendLaterForm;
    windows.viewContactForm = &viewContactForm;
    windows.InstructionsForm = &InstructionsForm;
    windows.sendingMemoForm = &sendingMemoForm;
    windows.AboutForm = &AboutForm;
    Form1.setSecondaryWindows(windows);
    connectGuarded(&sendingMemoForm, &TsendingMemoForm::pageAgainRequested, &Form1, Form1.dialogs(),
                   [this] { Form1.pageAgainThoseNotPaged(); });
    Form1.setDataModule(DataModule2);
    // A site's services file goes over the built-in table before any window shows it.
    const QString servicesFile = findServicesFile(programDirectory, systemServicesFile);
    if (!servicesFile.isEmpty()) {
        readServicesFile(servicesFile, Form1.engine().serviceTable());
    }
}

} // namespace corvane
