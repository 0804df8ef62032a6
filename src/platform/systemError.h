#pragma once

#include <QString>

namespace corvane {

// The system's text for an errno value, as strerror gives it.
QString systemErrorText(int errorCode);

} // namespace corvane
