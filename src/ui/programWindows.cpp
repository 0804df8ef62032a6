#include "ui/programWindows.h"

namespace corvane {

// Members are built in declaration order: Form1 (whose creation handler fills the service table
// and reads the settings), then the other windows, then the data module.
ProgramWindows::ProgramWindows(OperatorDialogs& dialogs, const QString& programDirectory)
    : Form1(settings, dialogs, clock)
    , AboutForm(&Form1)
    , DataModule2(programDirectory) {
    SecondaryWindows windows;
    windows.viewContactForm = &viewContactForm;
    windows.InstructionsForm = &InstructionsForm;
    windows.sendingMemoForm = &sendingMemoForm;
    windows.AboutForm = &AboutForm;
    Form1.setSecondaryWindows(windows);
    Form1.setDataModule(DataModule2);
}

} // namespace corvane
