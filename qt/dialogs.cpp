#include "qt/dialogs.hpp"

#include <QFileDialog>

namespace z5 {

void configureFileDialog(QFileDialog& dialog, FileChoice choice, const QStringList& nameFilters,
                         const QString& folder) {
    if (choice == FileChoice::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDirectory(folder);
    }
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(nameFilters);
    dialog.selectFile(QString());
}

std::optional<QString> SharedDialogs::chooseOpen(const QStringList& nameFilters) {
    configureFileDialog(dialog_, FileChoice::Open, nameFilters);
    return choose();
}

std::optional<QString> SharedDialogs::chooseSave(const QStringList& nameFilters,
                                                 const QString& folder) {
    configureFileDialog(dialog_, FileChoice::Save, nameFilters, folder);
    return choose();
}

std::optional<QString> SharedDialogs::choose() {
    if (dialog_.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog_.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return files.first();
}

void SharedDialogs::message(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, &window_);
    box.exec();
}

}  // namespace z5
