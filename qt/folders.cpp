#include "qt/folders.hpp"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QStorageInfo>

namespace z5 {
namespace {

QStringList mountedRoots() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid()) roots << cleanFolder(volume.rootPath());
    roots.removeDuplicates();
    roots.sort();
    return roots;
}

// True when `folder` is `root` or lies below it (both in Qt's form).
bool isWithin(const QString& folder, const QString& root) {
    if (folder == root) return true;
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    return folder.startsWith(prefix);
}

}  // namespace

QString cleanFolder(const QString& folder) {
    return QDir::cleanPath(QDir::fromNativeSeparators(QFileInfo(folder).absoluteFilePath()));
}

FolderList::FolderList(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this)) {
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QString());
    setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) hideColumn(column);
    header()->hide();
    setUniformRowHeights(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { takeCurrent(current); });
    // The model lists and sorts folders in the background: once a folder on
    // the way to the current one is listed, and the rows have settled, open
    // the tree further down and scroll to it.
    revealLater_.setSingleShot(true);
    revealLater_.setInterval(100);
    connect(&revealLater_, &QTimer::timeout, this, &FolderList::reveal);
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (!path_.isEmpty() && isWithin(path_, cleanFolder(loaded))) {
            reveal();
            revealLater_.start();
        }
    });
}

void FolderList::reveal() {
    const QModelIndex index = model_->index(path_);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

bool FolderList::setPath(const QString& folder) {
    const QString clean = cleanFolder(folder);
    if (!QFileInfo(clean).isDir()) return false;
    const QModelIndex index = model_->index(clean);
    if (!index.isValid()) return false;
    setCurrentIndex(index);
    takeCurrent(index);
    reveal();
    return true;
}

void FolderList::takeCurrent(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QString folder = cleanFolder(model_->filePath(index));
    if (folder == path_) return;
    path_ = folder;
    emit pathChanged(path_);
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    fill(mountedRoots());
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChosen(itemData(index).toString()); });
}

void DriveList::setVolumes(const QStringList& roots) {
    fixed_ = true;
    QStringList clean;
    for (const QString& root : roots) clean << cleanFolder(root);
    fill(clean);
}

void DriveList::fill(const QStringList& roots) {
    const QString chosen = drive();
    const QSignalBlocker block(this);
    clear();
    for (const QString& root : roots) {
        QString text = QDir::toNativeSeparators(root);
        const QString name = QStorageInfo(root).name();
        if (!name.isEmpty()) text += QStringLiteral("  [") + name + u']';
        addItem(text, root);
    }
    const int again = findData(chosen);
    if (again >= 0) setCurrentIndex(again);
}

QStringList DriveList::roots() const {
    QStringList roots;
    for (int i = 0; i < count(); ++i) roots << itemData(i).toString();
    return roots;
}

void DriveList::showDrive(const QString& root) {
    const QSignalBlocker block(this);
    setCurrentIndex(findData(root));
}

QString DriveList::drive() const {
    return currentData().toString();
}

void DriveList::showPopup() {
    // Volumes come and go (a stick plugged in): list them anew each time.
    if (!fixed_) fill(mountedRoots());
    QComboBox::showPopup();
}

}  // namespace z5
