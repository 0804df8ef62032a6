#pragma once

#include "contacts/datamod.h"
#include "platform/clock.h"
#include "settings/settings.h"
#include "ui/Unit1.h"
#include "ui/about.h"
#include "ui/config.h"
#include "ui/contactsGridForm.h"
#include "ui/instructions.h"
#include "ui/results.h"
#include "ui/sendLater.h"
#include "ui/viewContact.h"

#include <memory>

namespace corvane {

class ModalRunner;

class OperatorDialogs;

// Every window of the program, created once in the fixed order (main window first, the data
// module last) and living until the program ends.
class ProgramWindows {
public:
    // programDirectory: where the contacts table lives; usually the program file's directory.
    // clock: the local time to use; the system's when none is given.
    // modal: how the main window shows the modal windows (the real modal loop in the program).
    // systemServicesFile: the services file used when none is beside the program.
    // Throws ServicesFileError when the services file cannot be used: the program must not start.
    ProgramWindows(OperatorDialogs& dialogs, ModalRunner& modal, const QString& programDirectory,
                   const Clock* clock = nullptr,
                   const QString& systemServicesFile = QStringLiteral("/etc/corvane/services.ini"));

    Settings settings;
    SystemClock systemClock;
    const Clock& clock;
    TForm1 Form1;
    TcontactsGridForm contactsGridForm;
    TviewContactForm viewContactForm;
    TInstructionsForm InstructionsForm;
    TsendingMemoForm sendingMemoForm;
    TconfigForm configForm;
    TAboutForm AboutForm;
    TSendLaterForm SendLaterForm;
    TDataModule2 DataModule2;
};

} // namespace corvane
