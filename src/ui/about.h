#pragma once

#include <QDialog>

class QLabel;

namespace corvane {

inline constexpr auto companyName = "Corvane Paging Systems";
inline constexpr auto supportTelephone = "+1 555 0100 2626";
inline constexpr auto supportEmail = "support@corvane.example";
inline constexpr auto supportWeb = "www.corvane.example";

// The About window. It places itself 50 pixels right of and below the main window at every showing.
class TAboutForm final : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* mainWindow);

    QLabel* versionLabel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* m_mainWindow;
};

} // namespace corvane
