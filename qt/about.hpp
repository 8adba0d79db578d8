// The About window: the version, what the tool does and where its
// documentation is, and a picture button that closes it. It does not block
// the main window.
#pragma once

#include <QDialog>

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
    QPushButton* cmdOK;
};

// Moves `window` to the middle of the screen it is on.
void centreOnScreen(QWidget& window);

}  // namespace z5
