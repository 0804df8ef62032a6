#pragma once

#include "engine/pagingEngine.h"
#include "pointService.h"
#include "ui/programWindows.h"
#include "ui/toolkit/modalRunner.h"
#include "ui/toolkit/namedChild.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

namespace corvane::bench {

// Modal windows open and return at once, so nothing waits for an operator.
struct QuietModal final : ModalRunner {
    int showModal(QWidget&) override { return 0; }
};

// Points service 1 at 127.0.0.1:port, names the group, and makes the main window ready to send the
// message to it, as the operator would by clicking the group and typing; no time-out.
inline void prepareGroupSend(ProgramWindows& windows, int port, int group, const QString& message) {
    TForm1& form = windows.Form1;
    test::pointService(form.engine().serviceTable(), 1, QStringLiteral("127.0.0.1"), port);
    windows.settings.timeout = 0;
    windows.settings.groupNames[group] = QStringLiteral("Everyone");
    form.fillGroupslistbox();
    namedChild<QListWidget>(form, QStringLiteral("groupsListBox"))->setCurrentRow(0);
    form.groupsListBoxClick();
    namedChild<QPlainTextEdit>(form, QStringLiteral("messageMemo"))->setPlainText(message);
}

} // namespace corvane::bench
