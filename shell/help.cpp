#include "shell/help.hpp"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "commands/table.hpp"
#include "shell/menutree.hpp"

namespace z5 {
namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString howItAsks(Dialog dialog) {
    switch (dialog) {
        case Dialog::Open:
            return QStringLiteral("asks for FILE with the open dialog");
        case Dialog::Save:
            return QStringLiteral("asks with the save dialog where to write FILE");
        case Dialog::None:
            break;
    }
    return QStringLiteral("reads its definition file from the working folder");
}

QString commandRows() {
    QString rows;
    for (const MenuEntry& e : menuTree()) {
        if (e.role != MenuRole::Command) continue;
        QString what;
        if (const CommandEntry* command = findCommandByMenu(e.name))
            what = howItAsks(command->options.dialog) + QStringLiteral("; ") +
                   text(command->summary).toHtmlEscaped();
        else
            what = QStringLiteral("not built into this program");
        // Captions may hold runs of blanks ("Clean  Up"); HTML would fold them.
        const QString path = text(menuPath(e.name))
                                 .toHtmlEscaped()
                                 .replace(QStringLiteral("  "), QStringLiteral("&nbsp; "));
        rows += QStringLiteral("<tr><td><b>") + path + QStringLiteral("</b></td><td>") + what +
                QStringLiteral("</td></tr>\n");
    }
    return QStringLiteral("<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n") + rows +
           QStringLiteral("</table>\n");
}

}  // namespace

QString helpText() {
    QFile file(QStringLiteral(":/z5deftool/help.html"));
    QString html = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    const QString marker = QStringLiteral("<!-- commands -->");
    if (!html.contains(marker)) html += marker;
    return html.replace(marker, commandRows());
}

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Z5 Def Tool Help - ") + QLatin1String(kHelpFile));
    setModal(false);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("helpText"));
    browser->setHtml(helpText());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    resize(640, 520);
}

}  // namespace z5
