#include "qt/qthost.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>

#include "qt/dialogs.hpp"

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

QtHost::QtHost(QWidget& window, Dialogs& dialogs, std::string folder,
               std::function<void(const std::string&)> notice)
    : WindowHost(std::move(folder), std::move(notice)), window_(window), dialogs_(dialogs) {}

std::optional<std::string> QtHost::openFileName(std::string_view filter) {
    const std::optional<QString> file =
        dialogs_.chooseOpen(qtNameFilters(filter), fromNative(workingFolder()));
    if (!file) return std::nullopt;
    return toNative(*file);
}

std::optional<std::string> QtHost::saveFileName(std::string_view filter,
                                                const std::string& initialFolder,
                                                const std::string& proposedName) {
    const std::optional<QString> file = dialogs_.chooseSave(
        qtNameFilters(filter), fromNative(initialFolder), fromNative(proposedName));
    if (!file) return std::nullopt;
    return toNative(*file);
}

void QtHost::setCaption(const std::string& caption) {
    // "[*]" in a title is Qt's modified-marker placeholder; doubled it shows as
    // written, so a path holding it is shown as it is.
    QString title = fromNative(caption);
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    window_.setWindowTitle(title);
}

void QtHost::showBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtHost::messageBox(const std::string& text, const std::string& title) {
    dialogs_.message(QMessageBox::Warning, QString::fromLocal8Bit(title),
                     QString::fromLocal8Bit(text));
}

}  // namespace z5
