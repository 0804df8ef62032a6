// Every window as the operator sees it at the default font: no caption, label or list entry cut off.
#include "guiFixture.h"
#include "printers.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QTextBlock>
#include <cmath>
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
    ui(windows->contactsGridForm).GroupSelectComboBox->setCurrentIndex(2);
    windows->contactsGridForm.GroupSelectComboBoxChange();
    EXPECT_EQ(clippedTexts(windows->contactsGridForm), QStringList{}) << "showing a group";
    windows->sendingMemoForm.offerPageAgain(true);
    EXPECT_EQ(clippedTexts(windows->sendingMemoForm), QStringList{}) << "offering to page again";
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
        {ui(windows->contactsGridForm).nameEdit, u"Name"_s},
        {ui(windows->contactsGridForm).groupCheckboxes[2], u"Group 2"_s},
        {ui(windows->configForm).timeoutEdit, u"SNPP Timeout"_s},
        {ui(windows->configForm).loggingEnabledCheckbox, u"Logs enabled"_s},
        {ui(windows->SendLaterForm).monthEdit, u"Month"_s},
    };
    for (const auto& [control, name] : spotChecks) {
        EXPECT_EQ(control->accessibleName(), name) << control->objectName().toStdString();
    }
}

// The lists have a white background; their scroll bars must still show where the handle is. The
// handle's middle and the groove beside it differ clearly in brightness (WCAG contrast ratio).
TEST_F(WindowLayout, ListScrollBarHandlesStandOutFromTheirGroove) {
    std::vector<Contact> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back({u"Name %1"_s.arg(i, 2, 10, QChar(u'0')), QString::number(1000 + i)});
    }
    TForm1& f = start(many);
    QCoreApplication::processEvents();
    QScrollBar* bar = ui(f).namesListbox->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    const QRect handle = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    const QRect groove = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddPage, bar);
    ASSERT_FALSE(groove.isEmpty());
    const QImage picture = bar->grab().toImage();
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double a = luminance(picture.pixelColor(handle.center()));
    const double b = luminance(picture.pixelColor(groove.center()));
    const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    EXPECT_GE(ratio, 1.5) << "handle " << picture.pixelColor(handle.center()).name().toStdString() << ", groove "
                          << picture.pixelColor(groove.center()).name().toStdString();
}

} // namespace
} // namespace corvane
