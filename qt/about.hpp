// The About window: a credit, the site's name and address, and a picture
// button that closes it. It does not block the main window.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace z5 {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Centres the window on its screen and shows it, raised.
    void Form_Load();
    void cmdOK_Click();

private:
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* cmdOK;
};

// Moves `window` to the middle of the screen it is on.
void centreOnScreen(QWidget& window);

}  // namespace z5
