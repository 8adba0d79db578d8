// The help window that F1 opens, drawn from the help blocks.
#pragma once

#include <QDialog>

namespace z5 {

// The help blocks as HTML: headings, paragraphs, lists, examples, and the
// converters as a table.
QString helpHtml();

class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
};

}  // namespace z5
