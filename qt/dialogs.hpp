// The window's modal questions: the shared file dialog and message boxes,
// behind one interface so that a test can answer them from a script.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

namespace z5 {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An existing file to open, offered through Qt name filters; nullopt
    // when cancelled.
    virtual std::optional<QString> chooseOpen(const QStringList& nameFilters) = 0;
    // A file name to save under, starting in `folder`; nullopt when cancelled.
    virtual std::optional<QString> chooseSave(const QStringList& nameFilters,
                                              const QString& folder) = 0;
    // An existing file, or the folder the choice is in; nullopt when
    // cancelled.
    virtual std::optional<QString> chooseFileOrFolder(const QString& title) = 0;
    // A modal box with one OK button.
    virtual void message(QMessageBox::Icon icon, const QString& title, const QString& text) = 0;
};

enum class FileChoice { Open, Save };

// Sets the shared dialog up for one choice: the mode, the name filters with
// their patterns hidden, and for a save the start folder (an open starts
// where the last choice ended).
void configureFileDialog(QFileDialog& dialog, FileChoice choice, const QStringList& nameFilters,
                         const QString& folder = {});

// The real questions: the window's shared QFileDialog and QMessageBox.
class SharedDialogs : public Dialogs {
public:
    SharedDialogs(QWidget& window, QFileDialog& dialog) : window_(window), dialog_(dialog) {}

    std::optional<QString> chooseOpen(const QStringList& nameFilters) override;
    std::optional<QString> chooseSave(const QStringList& nameFilters,
                                      const QString& folder) override;
    std::optional<QString> chooseFileOrFolder(const QString& title) override;
    void message(QMessageBox::Icon icon, const QString& title, const QString& text) override;

private:
    std::optional<QString> choose();

    QWidget& window_;
    QFileDialog& dialog_;
};

}  // namespace z5
