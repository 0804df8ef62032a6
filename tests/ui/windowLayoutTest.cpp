// Every window as the operator sees it at the default font: no caption, label or list entry cut off.
#include "guiFixture.h"
#include "printers.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

class WindowLayout : public test::GuiFixture {
protected:
    // The texts in the window that do not fit the room their control gives them.
    static QStringList clippedTexts(QWidget& window) {
        QStringList clipped;
        for (QLabel* label : window.findChildren<QLabel*>()) {
            // The service names of the contacts window are cut at 109 pixels on purpose.
            if (!label->isVisibleTo(&window) || label->wordWrap() || label->text().isEmpty() ||
                label->objectName().startsWith(u"service"_s)) {
                continue;
            }
            if (label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width()) {
                clipped.append(label->objectName() + u": "_s + label->text());
            }
        }
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(&window) || button->text().isEmpty()) {
                continue;
            }
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            option.icon = button->icon();
            option.iconSize = button->iconSize();
            const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const int needed = button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) +
                               (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            if (needed > room.width()) {
                clipped.append(button->objectName() + u": "_s + button->text());
            }
        }
        for (QCheckBox* box : window.findChildren<QCheckBox*>()) {
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
            if (box->isVisibleTo(&window) && box->fontMetrics().horizontalAdvance(box->text()) > room.width()) {
                clipped.append(box->objectName() + u": "_s + box->text());
            }
        }
        for (QComboBox* combo : window.findChildren<QComboBox*>()) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const int room = combo->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                                 .width();
            for (int i = 0; i < combo->count(); ++i) {
                if (combo->fontMetrics().horizontalAdvance(combo->itemText(i)) > room) {
                    clipped.append(combo->objectName() + u": "_s + combo->itemText(i));
                }
            }
        }
        return clipped;
    }
};

TEST_F(WindowLayout, NoTextIsClippedInAnyWindow) {
    writeSettings("[Groups]\r\ngroup1Name=Night shift\r\ngroup10Name=Engineering and facilities staff\r\n");
    TForm1& f = start({{u"Ann"_s, u"1"_s, 1, {1, 10}}});
    windows->contactsGridForm.FormShow();
    QList<QWidget*> all{&f,
                        &windows->contactsGridForm,
                        &windows->viewContactForm,
                        &windows->InstructionsForm,
                        &windows->sendingMemoForm,
                        &windows->configForm,
                        &windows->AboutForm,
                        &windows->SendLaterForm};
    for (QWidget* window : all) {
        window->show();
        EXPECT_EQ(clippedTexts(*window), QStringList{}) << window->objectName().toStdString();
    }
    windows->contactsGridForm.GroupSelectComboBox->setCurrentIndex(2);
    windows->contactsGridForm.GroupSelectComboBoxChange();
    EXPECT_EQ(clippedTexts(windows->contactsGridForm), QStringList{}) << "showing a group";
}

// The instructions are twenty lines written to be read as lines: each shows whole on one line of
// the window, and all of them without scrolling.
TEST_F(WindowLayout, InstructionsReadAsTheirTwentyLines) {
    start();
    TInstructionsForm& instructions = windows->InstructionsForm;
    instructions.show();
    QPlainTextEdit& memo = *instructions.Memo1;
    ASSERT_EQ(memo.document()->blockCount(), 20);
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        EXPECT_LE(block.layout()->lineCount(), 1) << block.text().toStdString();
    }
    EXPECT_EQ(memo.verticalScrollBar()->maximum(), 0) << "nothing to scroll";
    EXPECT_EQ(instructions.size(), QSize(404, 310));
}

// A screen reader can name every control the keyboard reaches.
TEST_F(WindowLayout, EveryControlHasAnAccessibleName) {
    writeSettings("[Groups]\r\ngroup1Name=Night shift\r\n");
    TForm1& f = start({{u"Ann"_s, u"1"_s, 1, {1}}});
    windows->contactsGridForm.FormShow();
    for (QWidget* window : QList<QWidget*>{&f, &windows->contactsGridForm, &windows->viewContactForm,
                                           &windows->InstructionsForm, &windows->sendingMemoForm, &windows->configForm,
                                           &windows->AboutForm, &windows->SendLaterForm}) {
        QStringList unnamed;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            // Scroll bars and the parts inside item views and tab bars are named by their owners.
            if ((control->focusPolicy() & Qt::TabFocus) != 0 && control->accessibleName().isEmpty() &&
                !control->objectName().isEmpty() && !control->objectName().startsWith(u"qt_"_s)) {
                unnamed.append(control->objectName());
            }
        }
        EXPECT_EQ(unnamed, QStringList{}) << window->objectName().toStdString();
    }
    const std::pair<QWidget*, QString> spotChecks[] = {
        {ui(f).typeNameedit, u"name search"_s},
        {ui(f).sendButton, u"Send"_s},
        {windows->contactsGridForm.nameEdit, u"Name"_s},
        {windows->contactsGridForm.groupCheckboxes[2], u"Group 2"_s},
        {windows->configForm.timeoutEdit, u"SNPP Timeout"_s},
        {windows->configForm.loggingEnabledCheckbox, u"Logs enabled"_s},
        {windows->SendLaterForm.monthEdit, u"Month"_s},
    };
    for (const auto& [control, name] : spotChecks) {
        EXPECT_EQ(control->accessibleName(), name) << control->objectName().toStdString();
    }
}

} // namespace
} // namespace corvane
