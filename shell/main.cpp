#include <QApplication>
#include <QCommandLineParser>

#include "shell/mainwindow.hpp"
#include "textfmt/files.hpp"

#ifndef Z5_VERSION
#define Z5_VERSION "0"
#endif

int main(int argc, char** argv) {
    z5::removeTemporaryFilesOnSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("z5deftool"));
    QApplication::setApplicationVersion(QStringLiteral(Z5_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Z5 Def Tool window: converts the data files of the racing simulation to editable "
        "definition files and back. Reads z5.ini from the current directory."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption allCommands(
        QStringLiteral("all-commands"),
        QStringLiteral("Start with 3do > Def Tools > Compile and the Other menu enabled, so every "
                       "converter can be reached from the window."));
    parser.addOption(allCommands);
    parser.process(app);

    z5::frmZ5Def window(z5::WindowOptions{.allCommands = parser.isSet(allCommands)});
    if (!window.Form_Load()) return 1;
    window.show();
    return app.exec();
}
