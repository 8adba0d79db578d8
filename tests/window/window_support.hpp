// Helpers for the window's Qt Test suites: answering modal dialogs and boxes
// from the test, running in a given current directory, recording program
// starts.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMetaEnum>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "shell/mainwindow.hpp"
#include "shell/programstart.hpp"
#include "tests/support/support.hpp"

namespace z5::test {

inline QString qs(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

// Answers every modal widget of type T that shows with `answer`, which must
// close it before any check that could return early.
template <class T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T*)> answer) : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!modal || !modal->isVisible()) return;
            ++answered;
            answer_(modal);
        });
        timer_.start(5);
    }
    int answered = 0;

private:
    std::function<void(T*)> answer_;
    QTimer timer_;
};

// Answers every message box with its only button, OK, noting it as
// "<icon> <title>: <text>", ended by " (busy)" while the hourglass shows.
inline ModalAnswer<QMessageBox> recordBoxes(QStringList& boxes) {
    return ModalAnswer<QMessageBox>([&boxes](QMessageBox* box) {
        const char* icon = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
        const bool busy = QApplication::overrideCursor() &&
                          QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        boxes << QString("%1 %2: %3%4")
                     .arg(icon, box->windowTitle(), box->text(), busy ? " (busy)" : "");
        box->accept();
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    });
}

// Makes `folder` the current directory for its lifetime.
struct InFolder {
    explicit InFolder(const QString& folder) {
        if (!QDir::setCurrent(folder)) throw std::runtime_error("cannot enter the test folder");
    }
    ~InFolder() { QDir::setCurrent(before); }
    QString before = QDir::currentPath();
};

// Records each program start as "<command line> in <folder>"; the command
// line `failing` does not start.
class RecordingStarter : public ProgramStarter {
public:
    explicit RecordingStarter(QStringList& starts, QString failing = {})
        : starts_(starts), failing_(std::move(failing)) {}
    QString start(const QString& commandLine, const QString& folder) override {
        starts_ << commandLine + " in " + QDir::toNativeSeparators(folder);
        return commandLine == failing_ ? QString("no such program") : QString();
    }

private:
    QStringList& starts_;
    QString failing_;
};

// z5.ini text: the start folder, then command line and caption of programs
// 1 .. 6 (missing ones empty), one program per line.
inline std::string iniText(const std::string& start, const QStringList& programs) {
    std::string text = "\"" + start + "\"\r\n";
    for (int n = 0; n < 6; ++n)
        text += (n < programs.size() ? programs[n] : ",").toStdString() + "\r\n";
    return text;
}

// A window started from `folder` (z5.ini written there first): Form_Load
// must succeed.
inline std::unique_ptr<frmZ5Def> loadWindow(const std::string& folder, const std::string& ini,
                                            WindowOptions options = {}) {
    writeFile(folder + "/z5.ini", ini);
    InFolder in(qs(folder));
    auto window = std::make_unique<frmZ5Def>(options);
    if (!window->Form_Load()) throw std::runtime_error("Form_Load failed");
    return window;
}

}  // namespace z5::test
