#include "shell/programstart.hpp"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

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
#ifdef _WIN32
    (void)onPath;
    // COMSPEC is a path, not a command line: a blank in it must not split it.
    const QString comspec = environment("COMSPEC");
    if (comspec.isEmpty()) return QStringLiteral("cmd.exe");
    return comspec.contains(u' ') ? u'"' + comspec + u'"' : comspec;
#else
    const QString terminal = environment("TERMINAL");
    if (!terminal.trimmed().isEmpty()) return terminal;
    const QString debianDefault = QStringLiteral("x-terminal-emulator");
    return onPath(debianDefault) ? debianDefault : QStringLiteral("xterm");
#endif
}

QString shellCommandLine() {
    return shellCommandLine(
        [](const char* name) { return qEnvironmentVariable(name); },
        [](const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); });
}

}  // namespace z5
