#include "qt/mainwindow.hpp"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>

#include "qt/about.hpp"
#include "qt/dialogs.hpp"
#include "qt/folders.hpp"
#include "qt/help.hpp"
#include "qt/pictures.hpp"
#include "qt/picturewindow.hpp"
#include "qt/programstart.hpp"
#include "qt/qthost.hpp"
#include "window/help.hpp"
#include "window/texts.hpp"

namespace z5 {
namespace {

QString text(std::string_view s) {
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}

// Paths cross between the window and the controller in the file system's
// own 8-bit encoding.
QString fromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string toNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QFont serif(int points, bool bold) {
    QFont font(QString::fromUtf8(kLabelFace), points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::Serif);  // the nearest serif face where it is missing
    return font;
}

}  // namespace

frmZ5Def::frmZ5Def(WindowOptions options, QWidget* parent)
    : QMainWindow(parent), controller_(*this, std::make_unique<SystemStarter>(), options) {
    setObjectName(QStringLiteral("frmZ5Def"));
    setWindowTitle(QLatin1String(kWindowTitle));

    DrvList1 = new DriveList;
    DirList1 = new FolderList;
    DrvList1->setObjectName(QStringLiteral("DrvList1"));
    DirList1->setObjectName(QStringLiteral("DirList1"));
    connect(DrvList1, &DriveList::driveChosen, this,
            [this](const QString& root) { controller_.driveChosen(toNative(root)); });
    connect(DirList1, &FolderList::pathChanged, this,
            [this](const QString& folder) { controller_.folderChosen(toNative(folder)); });

    // The working folder's full path, which a narrow folder list may cut.
    txtFolder = new QLineEdit;
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    txtFolder->setReadOnly(true);
    txtFolder->setFrame(false);
    txtFolder->setAcceptDrops(false);  // files dropped on it are the window's
    auto* folderLabel = new QLabel(QStringLiteral("Working folder:"));
    folderLabel->setBuddy(txtFolder);

    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(drawLogo(112));
    Label1 = new QLabel(QString::fromUtf8(kLabel1Text));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(serif(26, true));
    Label2 = new QLabel(QString::fromUtf8(kLabel2Text));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(serif(16, false));
    Label3 = new QLabel(QString::fromUtf8(kLabel3Text));
    Label3->setObjectName(QStringLiteral("Label3"));

    auto* folders = new QVBoxLayout;
    folders->addWidget(DrvList1);
    folders->addWidget(DirList1, 1);
    auto* brand = new QVBoxLayout;
    for (QLabel* label : {Image1, Label1, Label2, Label3})
        brand->addWidget(label, 0, Qt::AlignHCenter);
    brand->addStretch(1);
    auto* central = new QWidget;
    auto* rows = new QVBoxLayout(central);
    auto* path = new QHBoxLayout;
    path->addWidget(folderLabel);
    path->addWidget(txtFolder, 1);
    rows->addLayout(path);
    auto* columns = new QHBoxLayout;
    columns->addLayout(folders, 3);
    columns->addLayout(brand, 2);
    rows->addLayout(columns, 1);
    setCentralWidget(central);
    setAcceptDrops(true);
    statusBar();

    dlgCommon = new QFileDialog(this);
    dlgCommon->setObjectName(QStringLiteral("dlgCommon"));
    dialogs_ = std::make_unique<SharedDialogs>(*this, *dlgCommon);

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { controller_.help(); });

    buildMenus();
    resize(560, 400);
}

frmZ5Def::~frmZ5Def() = default;

void frmZ5Def::buildMenus() {
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& e : menuTree()) {
        const QString name = text(e.name);
        QMenu* parentMenu = menus.value(text(e.parent));
        QAction* action = nullptr;
        if (e.role == MenuRole::Submenu) {
            auto* menu = new QMenu(text(e.caption), this);
            menu->setObjectName(name);
            menus.insert(name, menu);
            action = menu->menuAction();
        } else {
            // A separator's caption "-" means a line; as text the style would
            // draw it beside the line.
            const bool line = e.role == MenuRole::Separator;
            action = new QAction(line ? QString() : text(e.caption), this);
            action->setObjectName(name);
            action->setSeparator(line);
            action->setShortcut(QKeySequence(text(e.shortcut), QKeySequence::PortableText));
            connect(action, &QAction::triggered, this, [this, &e] { controller_.choose(e); });
        }
        if (parentMenu)
            parentMenu->addAction(action);
        else
            menuBar()->addAction(action);
        entries_.insert(name, action);
    }
}

bool frmZ5Def::Form_Load() {
    centreOnScreen(*this);
    dlgCommon->setProperty("helpFile", text(kHelpFile));
    return controller_.start();
}

QString frmZ5Def::workingFolder() const {
    return QDir::toNativeSeparators(fromNative(controller_.workingFolder()));
}

void frmZ5Def::setDialogs(std::unique_ptr<Dialogs> dialogs) {
    dialogs_ = std::move(dialogs);
}

void frmZ5Def::showEntry(const MenuEntry& entry, const MenuState& state) {
    QAction* action = entries_.value(text(entry.name));
    action->setText(text(state.caption));
    action->setEnabled(state.enabled);
}

bool frmZ5Def::showFolder(const std::string& folder) {
    // Only the user's own changes of the folder list are reported.
    const QSignalBlocker quiet(DirList1);
    return DirList1->setPath(fromNative(folder));
}

void frmZ5Def::showWorkingFolder(const std::string& folder) {
    txtFolder->setText(fromNative(folder));
    txtFolder->setCursorPosition(0);
    txtFolder->setToolTip(txtFolder->text());
}

void frmZ5Def::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) return event->acceptProposedAction();
}

void frmZ5Def::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(toNative(QDir::toNativeSeparators(url.toLocalFile())));
    if (paths.empty()) return;
    event->acceptProposedAction();
    // The commands run once the drop is over: the program the files came
    // from is not kept waiting while their DONE boxes are open.
    QMetaObject::invokeMethod(
        this, [this, paths] { controller_.filesDropped(paths); }, Qt::QueuedConnection);
}

std::vector<std::string> frmZ5Def::drives() {
    std::vector<std::string> roots;
    for (const QString& root : DrvList1->roots()) roots.push_back(toNative(root));
    return roots;
}

void frmZ5Def::showDrive(const std::string& root) {
    DrvList1->showDrive(fromNative(root));
}

void frmZ5Def::showStatus(const std::string& message) {
    statusBar()->showMessage(text(message));
    statusBar()->setToolTip(text(message));  // a long reason is cut in the bar
}

void frmZ5Def::showError(const std::string& message, Severity severity) {
    dialogs_->message(severity == Severity::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                      QLatin1String(kWindowTitle), text(message));
}

bool frmZ5Def::askYesNo(const std::string& message) {
    return dialogs_->ask(QLatin1String(kWindowTitle), text(message));
}

std::unique_ptr<Host> frmZ5Def::commandHost(const std::string& folder,
                                            std::function<void(const std::string&)> notice) {
    return std::make_unique<QtHost>(*this, *dialogs_, folder, std::move(notice));
}

void frmZ5Def::showPicture(picture::Drawing drawing, const std::string& title,
                           PictureSource source) {
    auto* window = new frmPicture(
        std::move(drawing), QString::fromLocal8Bit(title.c_str()), *dialogs_,
        [this] { return controller_.workingFolder(); }, std::move(source), this);
    window->setWindowFlag(Qt::Window);
    window->show();
}

std::optional<std::string> frmZ5Def::chooseFileOrFolder(const std::string& title,
                                                        const std::string& folder) {
    const std::optional<QString> chosen =
        dialogs_->chooseFileOrFolder(fromNative(title), fromNative(folder));
    if (!chosen) return std::nullopt;
    return toNative(*chosen);
}

void frmZ5Def::showProgress(const std::string& message) {
    showStatus(message);
    statusBar()->repaint();  // the window is busy: no event loop paints it
}

void frmZ5Def::showList(const std::string& title, const std::vector<std::string>& lines) {
    if (!list_) list_ = new frmList(this);
    QStringList rows;
    for (const std::string& line : lines) rows << text(line);
    list_->showLines(text(title), rows);
}

void frmZ5Def::showAbout() {
    if (!about_) about_ = new frmAbout(this);
    about_->Form_Load();
}

void frmZ5Def::showHelp() {
    if (!help_) help_ = new frmHelp(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void frmZ5Def::closeWindow() {
    close();
}

}  // namespace z5
