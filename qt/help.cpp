#include "qt/help.hpp"

#include <QListWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "window/help.hpp"
#include "window/texts.hpp"

namespace z5 {

namespace {

// How a kind of block is marked up: the element around a run of blocks of
// that kind, and the block's own element around its text.
struct Markup {
    const char* group;
    const char* groupEnd;
    const char* block;
};

Markup markup(HelpKind kind) {
    switch (kind) {
        case HelpKind::Title:
            return {"", "", "<h2>%1</h2>\n"};
        case HelpKind::Heading:
            return {"", "", "<h3>%1</h3>\n"};
        case HelpKind::Item:
            return {"<ul>\n", "</ul>\n", "<li>%1</li>\n"};
        case HelpKind::Example:
            return {"", "", "<pre>\n%1\n</pre>\n"};
        case HelpKind::Command:
            return {"<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n", "</table>\n",
                    "<tr><td><b>%1</b></td><td>%2</td></tr>\n"};
        case HelpKind::Paragraph:
            break;
    }
    return {"", "", "<p>%1</p>\n"};
}

QString escaped(const std::string& text) {
    return QString::fromUtf8(text).toHtmlEscaped();
}

}  // namespace

QString helpHtml() {
    QString html = QStringLiteral("<html><body>\n");
    HelpKind last = HelpKind::Title;
    for (const HelpBlock& b : helpBlocks()) {
        if (b.kind != last)
            html += QLatin1String(markup(last).groupEnd) + QLatin1String(markup(b.kind).group);
        last = b.kind;
        // Captions may hold runs of blanks ("Clean  Up"); HTML would fold them.
        const QString text =
            escaped(b.text).replace(QStringLiteral("  "), QStringLiteral("&nbsp; "));
        const QLatin1String block(markup(b.kind).block);
        html += b.kind == HelpKind::Command ? block.arg(text, escaped(b.detail)) : block.arg(text);
    }
    return html + QLatin1String(markup(last).groupEnd) + QStringLiteral("</body></html>\n");
}

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QString::fromUtf8(kHelpTitle) +
                   QString::fromUtf8(kHelpFile.data(), qsizetype(kHelpFile.size())));
    setModal(false);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("helpText"));
    browser->setHtml(helpHtml());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    resize(640, 520);
}

frmList::frmList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmList"));
    setModal(false);
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("lines"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    resize(720, 360);
}

void frmList::showLines(const QString& title, const QStringList& lines) {
    setWindowTitle(title);
    auto* list = findChild<QListWidget*>(QStringLiteral("lines"));
    list->clear();
    list->addItems(lines);
    show();
    raise();
    activateWindow();
}

}  // namespace z5
