#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace corvane {

// An error whose text is meant for the operator: the general error report shows text() as it stands.
class Error : public std::exception {
public:
    explicit Error(QString text);
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// The silent cancellation: an operation refused on purpose, which the general error report does not
// show ("Operation aborted").
class AbortError : public Error {
public:
    AbortError();
};

} // namespace corvane
