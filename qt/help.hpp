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

// The list window: one line per row (the reasons of a failed extract or
// build, the verdicts of a verify), without blocking the main window.
class frmList : public QDialog {
    Q_OBJECT
public:
    explicit frmList(QWidget* parent = nullptr);
    // Shows `lines` under `title`, raised.
    void showLines(const QString& title, const QStringList& lines);
};

}  // namespace z5
