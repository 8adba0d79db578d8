#include "shell/help.hpp"

#include <QTextBrowser>
#include <QVBoxLayout>

#include "commands/help.hpp"

namespace z5 {

namespace {

// The element around a run of blocks of one kind: opened before the first,
// closed after the last.
QString group(HelpKind kind, bool open) {
    switch (kind) {
        case HelpKind::Item:
            return open ? QStringLiteral("<ul>\n") : QStringLiteral("</ul>\n");
        case HelpKind::Command:
            return open ? QStringLiteral(
                              "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n")
                        : QStringLiteral("</table>\n");
        default:
            return {};
    }
}

}  // namespace

QString helpHtml() {
    QString html = QStringLiteral("<html><body>\n");
    HelpKind last = HelpKind::Title;
    for (const HelpBlock& b : helpBlocks()) {
        const QString text = QString::fromUtf8(b.text).toHtmlEscaped();
        if (b.kind != last) html += group(last, false) + group(b.kind, true);
        last = b.kind;
        switch (b.kind) {
            case HelpKind::Title:
                html += QStringLiteral("<h2>%1</h2>\n").arg(text);
                break;
            case HelpKind::Heading:
                html += QStringLiteral("<h3>%1</h3>\n").arg(text);
                break;
            case HelpKind::Paragraph:
                html += QStringLiteral("<p>%1</p>\n").arg(text);
                break;
            case HelpKind::Item:
                html += QStringLiteral("<li>%1</li>\n").arg(text);
                break;
            case HelpKind::Example:
                html += QStringLiteral("<pre>\n%1\n</pre>\n").arg(text);
                break;
            case HelpKind::Command:
                // Captions may hold runs of blanks ("Clean  Up"); HTML would fold them.
                html +=
                    QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>\n")
                        .arg(QString(text).replace(QStringLiteral("  "), QStringLiteral("&nbsp; ")),
                             QString::fromUtf8(b.detail).toHtmlEscaped());
                break;
        }
    }
    return html + group(last, false) + QStringLiteral("</body></html>\n");
}

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Z5 Def Tool Help - ") +
                   QString::fromUtf8(kHelpFile.data(), qsizetype(kHelpFile.size())));
    setModal(false);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("helpText"));
    browser->setHtml(helpHtml());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    resize(640, 520);
}

}  // namespace z5
