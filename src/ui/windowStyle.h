#pragma once

#include <QColor>
#include <initializer_list>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace corvane {

// The conventions every window shares: a fixed single border with only the chosen title-bar
// buttons, silver for a disabled input field, yellow for mode indicators.
inline const QColor silver(0xC0, 0xC0, 0xC0);
inline const QColor indicatorYellow(Qt::yellow);
inline const QColor captionNavy(0x00, 0x00, 0x80);

// A fixed client area; the window cannot be resized, minimised or maximised.
void makeFixedDialogWindow(QWidget& window, int clientWidth, int clientHeight);
void setBackground(QWidget& widget, const QColor& colour);
// Scroll bar handles in a mid grey with a dark outline, for every scroll bar of the window: the
// toolkit's own near-white handle can hardly be told from its groove.
void giveScrollBarHandlesContrast(QWidget& window);
void setTextColour(QWidget& widget, const QColor& colour);
// Gives a run of neighbouring lines one font: the window's own, or, where one of them would not fit
// its width, the largest smaller size at which all of them fit. Neighbours never differ in size.
void shareFittingFont(std::initializer_list<QLabel*> lines);
// Gives every control of the window a name that a screen reader can speak: a button or a check box
// its caption, an input the caption left of it on the same line. Names given beforehand are kept.
void nameControlsForScreenReaders(QWidget& window);
QLabel* makeLabel(QWidget* parent, const char* objectName, const QString& text, int x, int y, int width, int height);
// A one-line edit at a fixed place; maxLength 0 leaves its length open, any other limits typing
// (see limitTyping).
QLineEdit* makeEdit(QWidget* parent, const QString& objectName, int x, int y, int width, int maxLength);
QPushButton* makeButton(QWidget* parent, const char* objectName, const QString& caption, int x, int y, int width,
                        int height);

} // namespace corvane
