#include "ui/windowStyle.h"

#include "ui/toolkit/typingLimit.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionComplex>
#include <QWidget>

namespace corvane {

void makeFixedDialogWindow(QWidget& window, int clientWidth, int clientHeight) {
    window.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setFixedSize(clientWidth, clientHeight);
}

void setBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

namespace {

// The application's style, with the scroll bar's handle painted over in a colour that stands out.
class ContrastingHandleStyle final : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control != CC_ScrollBar || (option->state & State_Enabled) == 0) {
            return;
        }
        const QRect handle = subControlRect(control, option, SC_ScrollBarSlider, widget);
        if (!handle.isValid()) {
            return;
        }
        painter->save();
        painter->setPen(QColor(0x5A, 0x5A, 0x5A));
        painter->setBrush(QColor(0xA0, 0xA0, 0xA0));
        painter->drawRect(handle.adjusted(1, 1, -2, -2));
        painter->restore();
    }
};

} // namespace

void giveScrollBarHandlesContrast(QWidget& window) {
    static QPointer<ContrastingHandleStyle> style;
    if (style.isNull()) {
        style = new ContrastingHandleStyle;
        style->setParent(QCoreApplication::instance());
    }
    for (QScrollBar* bar : window.findChildren<QScrollBar*>()) {
        bar->setStyle(style);
    }
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget.setPalette(palette);
}

void shareFittingFont(std::initializer_list<QLabel*> lines) {
    if (lines.size() == 0) {
        return;
    }
    QFont font = (*lines.begin())->font();
    const auto allFit = [&] {
        const QFontMetrics metrics(font);
        for (const QLabel* line : lines) {
            if (metrics.horizontalAdvance(line->text()) > line->contentsRect().width()) {
                return false;
            }
        }
        return true;
    };
    while (!allFit() && font.pointSizeF() > 5) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    for (QLabel* line : lines) {
        line->setFont(font);
    }
}

namespace {

QString spoken(QString caption) {
    caption.remove(u'&');
    caption = caption.trimmed();
    while (caption.endsWith(u':')) {
        caption.chop(1);
    }
    return caption.trimmed();
}

// The caption standing left of the control on its line, in the same parent.
QString captionBeside(const QWidget& control) {
    const QRect at = control.geometry();
    const QLabel* best = nullptr;
    for (const QObject* sibling : control.parentWidget()->children()) {
        const auto* label = qobject_cast<const QLabel*>(sibling);
        if (label == nullptr || label->text().isEmpty()) {
            continue;
        }
        const QRect rect = label->geometry();
        const int middle = rect.center().y();
        if (middle >= at.top() - 4 && middle <= at.bottom() + 4 && rect.right() <= at.left() + 2 &&
            (best == nullptr || rect.right() > best->geometry().right())) {
            best = label;
        }
    }
    return best != nullptr ? spoken(best->text()) : QString();
}

} // namespace

void nameControlsForScreenReaders(QWidget& window) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus || !control->accessibleName().isEmpty() ||
            control->parentWidget() == nullptr) {
            continue;
        }
        QString name;
        if (const auto* button = qobject_cast<const QAbstractButton*>(control); button != nullptr) {
            name = spoken(button->text());
        }
        if (name.isEmpty()) {
            name = captionBeside(*control);
        }
        if (!name.isEmpty()) {
            control->setAccessibleName(name);
        }
    }
}

QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& text, int x, int y, int width, int height) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(x, y, width, height);
    return label;
}

QLineEdit* makeEdit(QWidget* parent, const QString& objectName, int x, int y, int width, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setGeometry(x, y, width, 22);
    if (maxLength > 0) {
        limitTyping(*edit, maxLength);
    }
    return edit;
}

QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& caption, int x, int y, int width,
                        int height) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setGeometry(x, y, width, height);
    return button;
}

} // namespace corvane
