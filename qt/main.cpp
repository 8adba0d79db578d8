#include <QApplication>
#include <QCommandLineParser>

#include "qt/mainwindow.hpp"
#include "textfmt/files.hpp"

#ifndef Z5_VERSION
#define Z5_VERSION "0"
#endif

int main(int argc, char** argv) {
    z5::removeTemporaryFilesOnSignals();
    QCoreApplication::setApplicationName(QStringLiteral("z5deftool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(Z5_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Z5 Def Tool window: converts the data files of the racing simulation to editable "
        "definition files and back. Reads z5.ini from the current directory."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption allCommands(
        QStringLiteral("all-commands"),
        QStringLiteral("Start with 3do > Def Tools > Compile and the Other menu enabled, so every "
                       "converter can be reached from the window."));
    parser.addOption(allCommands);

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

    z5::frmZ5Def window(z5::WindowOptions{.allCommands = parser.isSet(allCommands)});
    if (!window.Form_Load()) return 1;
    window.show();
    return app.exec();
}
