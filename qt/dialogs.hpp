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
    // An existing file to open, offered through Qt name filters, starting
    // in `folder`; nullopt when cancelled.
    virtual std::optional<QString> chooseOpen(const QStringList& nameFilters,
                                              const QString& folder) = 0;
    // A file name to save under, starting in `folder` with the name
    // `proposed` (empty: none); nullopt when cancelled.
    virtual std::optional<QString> chooseSave(const QStringList& nameFilters, const QString& folder,
                                              const QString& proposed) = 0;
    // An existing file, or the folder the choice is in, starting in
    // `folder`; nullopt when cancelled.
    virtual std::optional<QString> chooseFileOrFolder(const QString& title,
                                                      const QString& folder) = 0;
    // A modal box with one OK button.
    virtual void message(QMessageBox::Icon icon, const QString& title, const QString& text) = 0;
    // A modal question with the buttons Yes and No; true for Yes.
    virtual bool ask(const QString& title, const QString& text) = 0;
};

enum class FileChoice { Open, Save };

// Sets the shared dialog up for one choice: the mode, the name filters with
// their patterns hidden, the start folder (the working folder, not where
// the last choice ended) and the name offered.
void configureFileDialog(QFileDialog& dialog, FileChoice choice, const QStringList& nameFilters,
                         const QString& folder, const QString& proposed = {});

// The real questions: the window's shared QFileDialog and QMessageBox.
class SharedDialogs : public Dialogs {
public:
    SharedDialogs(QWidget& window, QFileDialog& dialog) : window_(window), dialog_(dialog) {}

    std::optional<QString> chooseOpen(const QStringList& nameFilters,
                                      const QString& folder) override;
    std::optional<QString> chooseSave(const QStringList& nameFilters, const QString& folder,
                                      const QString& proposed) override;
    std::optional<QString> chooseFileOrFolder(const QString& title, const QString& folder) override;
    void message(QMessageBox::Icon icon, const QString& title, const QString& text) override;
    bool ask(const QString& title, const QString& text) override;

private:
    std::optional<QString> choose();

    QWidget& window_;
    QFileDialog& dialog_;
};

}  // namespace z5
