#include "ui/toolkit/handlerGuard.h"

#include "platform/error.h"
#include "platform/operatorDialogs.h"

#include <QString>
#include <exception>

namespace corvane {

bool runGuarded(OperatorDialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const AbortError&) {
        // Refused on purpose; whoever refused has already told the operator why.
    } catch (const Error& error) {
        dialogs.showMessage(error.text());
    } catch (const std::exception& error) {
        dialogs.showMessage(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace corvane
