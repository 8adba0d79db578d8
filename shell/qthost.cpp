#include "shell/qthost.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace z5 {
namespace {

// Paths cross to the converters in the file system's own 8-bit encoding.
std::string toNative(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}
QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString caseless(QStringView pattern) {
    QString out;
    for (QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += u'[' + QString(c.toLower()) + c.toUpper() + u']';
        else
            out += c;
    }
    return out;
}

}  // namespace

QStringList qtNameFilters(std::string_view filter) {
    const QStringList parts =
        QString::fromLocal8Bit(filter.data(), qsizetype(filter.size())).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            patterns << (pattern == u"*.*" ? QStringLiteral("*") : caseless(pattern));
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QtHost::QtHost(QWidget& window, QFileDialog& dialog, std::function<QString()> folder,
               std::function<void(const QString&)> notice)
    : window_(window), dialog_(dialog), folder_(std::move(folder)), notice_(std::move(notice)) {}

QtHost::~QtHost() {
    setBusy(false);
}

std::optional<std::string> QtHost::choose(std::string_view filter) {
    dialog_.setOption(QFileDialog::HideNameFilterDetails);
    dialog_.setNameFilters(qtNameFilters(filter));
    dialog_.selectFile(QString());
    if (dialog_.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog_.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return toNative(files.first());
}

std::optional<std::string> QtHost::openFileName(std::string_view filter) {
    dialog_.setAcceptMode(QFileDialog::AcceptOpen);
    dialog_.setFileMode(QFileDialog::ExistingFile);
    return choose(filter);
}

std::optional<std::string> QtHost::saveFileName(std::string_view filter,
                                                const std::string& initialFolder) {
    dialog_.setAcceptMode(QFileDialog::AcceptSave);
    dialog_.setFileMode(QFileDialog::AnyFile);
    dialog_.setDirectory(fromNative(initialFolder));
    return choose(filter);
}

std::string QtHost::workingFolder() {
    return toNative(folder_());
}

void QtHost::setCaption(const std::string& caption) {
    // "[*]" in a title is Qt's modified-marker placeholder; doubled it shows as
    // written, so a path holding it is shown as it is.
    QString title = fromNative(caption);
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    window_.setWindowTitle(title);
}

void QtHost::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtHost::messageBox(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Warning, QString::fromLocal8Bit(title),
                    QString::fromLocal8Bit(text), QMessageBox::Ok, &window_);
    box.exec();
}

void QtHost::notice(const std::string& line) {
    notice_(QString::fromLocal8Bit(line));
}

}  // namespace z5
