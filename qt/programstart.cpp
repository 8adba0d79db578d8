#include "qt/programstart.hpp"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace z5 {

std::string SystemStarter::start(const std::string& commandLine, const std::string& folder) {
    QStringList words = QProcess::splitCommand(QString::fromLocal8Bit(commandLine));
    if (words.isEmpty()) return "the command line is empty";
    QProcess process;
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    process.setWorkingDirectory(QFile::decodeName(QByteArray::fromStdString(folder)));
    if (process.startDetached()) return {};
    return process.errorString().toLocal8Bit().toStdString();
}

QString shellCommandLine(const std::function<QString(const char*)>& environment,
                         const std::function<bool(const QString&)>& onPath) {
    const QString terminal = environment("TERMINAL");
    if (!terminal.trimmed().isEmpty()) return terminal;
    const QString debianDefault = QStringLiteral("x-terminal-emulator");
    return onPath(debianDefault) ? debianDefault : QStringLiteral("xterm");
}

std::string SystemStarter::shellCommandLine() {
    return z5::shellCommandLine([](const char* name) { return qEnvironmentVariable(name); },
                                [](const QString& program) {
                                    return !QStandardPaths::findExecutable(program).isEmpty();
                                })
        .toLocal8Bit()
        .toStdString();
}

}  // namespace z5
