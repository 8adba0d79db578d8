// The folder list DirList1 (a tree of the folders; its current path is the
// working folder) and the drive list DrvList1 (the
// mounted volumes on Linux, the drives on Windows).
#pragma once

#include <QComboBox>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

class QFileSystemModel;

namespace z5 {

class FolderList : public QTreeView {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // The current folder in Qt's form ("/" separators, no trailing one
    // except for a root); empty before the first setPath.
    QString path() const { return path_; }
    // Opens the tree down to `folder` and makes it current. False, with
    // nothing changed, when `folder` is not a folder.
    bool setPath(const QString& folder);

signals:
    void pathChanged(const QString& path);

private:
    void takeCurrent(const QModelIndex& index);
    // Opens the tree down to the current folder and scrolls it into view.
    void reveal();

    QFileSystemModel* model_;
    QString path_;
    QTimer revealLater_;
};

class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    // The roots offered; by default the mounted volumes, listed again each
    // time the list opens. A test may fix them.
    void setVolumes(const QStringList& roots);
    QStringList roots() const;
    // Shows `root` as chosen (none when it is not listed), without
    // reporting a change.
    void showDrive(const QString& root);
    QString drive() const;

    void showPopup() override;

signals:
    void driveChosen(const QString& root);

private:
    void fill(const QStringList& roots);

    bool fixed_ = false;
};

// `folder` in Qt's form: absolute, "/" separators, no "." or "..", no
// trailing separator except for a root.
QString cleanFolder(const QString& folder);

}  // namespace z5
