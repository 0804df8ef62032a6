#pragma once

#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contactsFixture.h"
#include "engine/recipientSelection.h"
#include "mainWindowUi.h"
#include "namedRows.h"
#include "pointService.h"
#include "recordingDialogs.h"
#include "tempWorkingDir.h"
#include "ui/programWindows.h"
#include "ui/toolkit/checkListBox.h"
#include "ui/toolkit/modalRunner.h"
#include "windowsUi.h"

#include <QFileInfo>
#include <QStatusBar>
#include <QStringList>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::test {

// Shows a modal window for real and lets the test act in it as the operator would, then closes it
// if the test left it open, as the close box would.
class ModalDialogs final : public RecordingDialogs, public ModalRunner {
public:
    std::function<void(QWidget&)> whileModal;
    int modalShows = 0;
    int showModal(QWidget& window) override {
        ++modalShows;
        window.show();
        if (whileModal) {
            whileModal(window);
        }
        if (window.isVisible()) {
            window.close();
        }
        return 0;
    }
};

// The desktop program's whole window set in a fresh directory: a real contacts table and settings
// file, and a recording dialog service instead of message boxes.
class GuiFixture : public ::testing::Test {
protected:
    struct Contact {
        QString name;
        QString id;
        int service = 1;
        std::initializer_list<int> groups = {};
    };

    GuiFixture() { createEmptyContactsTable(dir.filePath(QStringLiteral("contacts.nx1"))); }

    void writeSettings(const QByteArray& ini) const { dir.write(QStringLiteral("corvane3.ini"), ini); }

    // Creates the windows in the program's order and shows the main window (FormShow runs).
    TForm1& start(const std::vector<Contact>& contacts = {}) {
        // The machine's own /etc/corvane/services.ini is no business of a test.
        windows = std::make_unique<ProgramWindows>(dialogs, dialogs, dir.path(), clock.get(),
                                                   dir.filePath(QStringLiteral("no-system-services.ini")));
        if (!contacts.empty()) {
            contactsCursor seed(windows->DataModule2);
            seed.Open();
            for (const Contact& c : contacts) {
                seedContact(seed, c.name, c.id, c.service, c.groups);
            }
        }
        windows->Form1.show();
        return windows->Form1;
    }

    // Gives the folder and its contacts table to a group whose members alone may write them, as the
    // package installs them (folder 2775, table 0664); a test acting as "nobody" is outside it.
    // Only root can hand files to a group; false elsewhere.
    static constexpr gid_t tableGroup = 100; // "users" on Debian
    bool shareTableLikeThePackage() const {
        const QByteArray folder = QFile::encodeName(dir.path());
        const QByteArray table = QFile::encodeName(dir.filePath(QStringLiteral("contacts.nx1")));
        return ::geteuid() == 0 && ::chown(folder.constData(), 0, tableGroup) == 0 &&
               ::chmod(folder.constData(), 02775) == 0 && ::chown(table.constData(), 0, tableGroup) == 0 &&
               ::chmod(table.constData(), 0664) == 0;
    }
    // What the program says of a table shared that way, to a user outside the group.
    QString tableWritableOnlyByTheGroup() const {
        const struct group* entry = ::getgrgid(tableGroup);
        return QStringLiteral("The contacts table cannot be changed: ") +
               QFileInfo(dir.filePath(QStringLiteral("contacts.nx1"))).canonicalFilePath() +
               QStringLiteral(" is writable only by members of the group ") +
               (entry != nullptr ? QString::fromLocal8Bit(entry->gr_name) : QString::number(tableGroup));
    }

    TForm1& form() { return windows->Form1; }
    // Opens a window as its menu command does (shown modally) and lets the test act in it while it
    // is shown.
    template <typename Window>
    void actInModal(Window& window, const std::function<void()>& open, const std::function<void(Window&)>& act) {
        dialogs.whileModal = [&](QWidget&) { act(window); };
        open();
        dialogs.whileModal = nullptr;
    }
    // The main window's elements, by objectName.
    static MainWindowUi ui(const TForm1& window) { return MainWindowUi(window); }
    // The other windows' elements, by objectName.
    template <typename Window>
    static auto ui(const Window& window) {
        return test::ui(window);
    }
    QStringList namesInList() {
        QStringList names;
        for (int i = 0; i < ui(form()).namesListbox->count(); ++i) {
            names.append(ui(form()).namesListbox->Items().item(i));
        }
        return names;
    }

    // The window's controls in the order Tab visits them, from the window's start, by objectName;
    // disabled controls keep their place, hidden ones have none.
    static QStringList tabOrder(QWidget& window) {
        QStringList names;
        for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisibleTo(&window) && !w->objectName().isEmpty() &&
                !names.contains(w->objectName())) {
                names.append(w->objectName());
            }
        }
        return names;
    }

    TempWorkingDir dir;
    ModalDialogs dialogs;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<ProgramWindows> windows;
};

} // namespace corvane::test
