#include "platform/error.h"

namespace corvane {

Error::Error(QString text)
    : m_text(std::move(text))
    , m_utf8(m_text.toUtf8()) {}

AbortError::AbortError()
    : Error(QStringLiteral("Operation aborted")) {}

} // namespace corvane
