#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>

namespace corvane {

// The element of a window with the given objectName and type, for code outside the window (its
// tests, the benchmarks, the screenshot program) that acts on it as the operator would. A missing
// element is a programming error, reported with its name instead of a null pointer.
template <typename T>
T* namedChild(const QObject& window, const QString& name) {
    T* child = window.findChild<T*>(name);
    if (child == nullptr) {
        throw std::logic_error("no element named " + name.toStdString() + " of the expected type in " +
                               window.objectName().toStdString());
    }
    return child;
}

} // namespace corvane
