// The help window that F1 opens: what each menu entry does and which files
// it reads and writes.
#pragma once

#include <QDialog>

namespace z5 {

// The name the program's help carries.
inline constexpr const char* kHelpFile = "help.hlp";

// The help as HTML: the fixed text with a table of every converter entry of
// the menu, taken from the menu tree and the command table.
QString helpText();

class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
};

}  // namespace z5
