#include "qt/dialogs.hpp"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>

namespace z5 {

void configureFileDialog(QFileDialog& dialog, FileChoice choice, const QStringList& nameFilters,
                         const QString& folder, const QString& proposed) {
    if (choice == FileChoice::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.setDirectory(folder);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters);
    dialog.selectFile(proposed);
}

std::optional<QString> SharedDialogs::chooseOpen(const QStringList& nameFilters,
                                                 const QString& folder) {
    configureFileDialog(dialog_, FileChoice::Open, nameFilters, folder);
    return choose();
}

std::optional<QString> SharedDialogs::chooseSave(const QStringList& nameFilters,
                                                 const QString& folder, const QString& proposed) {
    configureFileDialog(dialog_, FileChoice::Save, nameFilters, folder, proposed);
    return choose();
}

std::optional<QString> SharedDialogs::choose() {
    if (dialog_.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog_.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return files.first();
}

std::optional<QString> SharedDialogs::chooseFileOrFolder(const QString& title,
                                                         const QString& folder) {
    // Qt's own dialog, which takes one more button: a file is chosen as
    // usual, "This Folder" chooses the folder shown.
    QFileDialog dialog(&window_, title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    std::optional<QString> shown;
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* button =
            buttons->addButton(QStringLiteral("This &Folder"), QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&] {
            shown = dialog.directory().absolutePath();
            dialog.reject();
        });
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().first();
    return shown;
}

void SharedDialogs::message(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, &window_);
    box.exec();
}

bool SharedDialogs::ask(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    &window_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace z5
