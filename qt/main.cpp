#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

#include "platform/files.hpp"
#include "qt/mainwindow.hpp"
#include "window/texts.hpp"

#ifndef Z5_VERSION
#define Z5_VERSION "0"
#endif

int main(int argc, char** argv) {
    z5::removeTemporaryFilesOnSignals();
    QCoreApplication::setApplicationName(QStringLiteral("z5deftool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Z5_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(z5::kProgramSummary));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption allCommands(QStringLiteral("all-commands"),
                                         QString::fromUtf8(z5::kAllCommandsHelp));
    parser.addOption(allCommands);
    parser.addPositionalArgument(QStringLiteral("FILE"), QString::fromUtf8(z5::kFilesHelp),
                                 QStringLiteral("[FILE...]"));

    // --help and --version answer without a display: they are looked for
    // before the window system is opened. Qt's own options (-platform ...)
    // are unknown to this first look and left to process() below.
    QStringList words;
    for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    parser.parse(words);
    if (parser.isSet(version) || parser.isSet(help)) {
        QCoreApplication console(argc, argv);
        if (parser.isSet(version)) parser.showVersion();
        parser.showHelp();
    }

    QApplication app(argc, argv);
    parser.process(app);

    z5::frmZ5Def window(z5::WindowOptions{
        .allCommands = parser.isSet(allCommands),
        .programFolder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()});
    if (!window.Form_Load()) return 1;
    window.show();
    std::vector<std::string> files;
    for (const QString& file : parser.positionalArguments())
        files.push_back(QFile::encodeName(file).toStdString());
    // Once the window shows, as if the files were dropped on it.
    QMetaObject::invokeMethod(
        &window, [&window, files] { window.controller().openFiles(files); }, Qt::QueuedConnection);
    return app.exec();
}
