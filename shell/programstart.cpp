#include "shell/programstart.hpp"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "platform/programs.hpp"

namespace z5 {

QString SystemStarter::start(const QString& commandLine, const QString& folder) {
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty()) return QStringLiteral("the command line is empty");
    QProcess process;
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    process.setWorkingDirectory(folder);
    if (process.startDetached()) return {};
    return process.errorString();
}

QString shellCommandLine(const std::function<QString(const char*)>& environment,
                         const std::function<bool(const QString&)>& onPath) {
    return QString::fromStdString(commandShellLine(
        [&](const char* name) { return environment(name).toStdString(); },
        [&](const std::string& program) { return onPath(QString::fromStdString(program)); }));
}

QString shellCommandLine() {
    return shellCommandLine(
        [](const char* name) { return qEnvironmentVariable(name); },
        [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
}

}  // namespace z5
