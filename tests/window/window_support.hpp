// Helpers for the window's Qt Test suites: answering modal dialogs and boxes
// from the test, running in a given current directory, recording program
// starts.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "shell/mainwindow.hpp"
#include "shell/programstart.hpp"

namespace z5::test {

// Answers modal widgets of type T from the test: the first `times` that
// show are handed to `answer`, which must close them; any later one is
// counted as extra and closed. A modal widget of any type that stays open
// longer than the time limit is closed too, so a test cannot hang.
template <class T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T*)> answer, int times = 1, int limitMs = 10000)
        : answer_(std::move(answer)), times_(times), limitMs_(limitMs) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    int answered() const { return answered_; }
    int extra() const { return extra_; }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != seen_) {
            seen_ = modal;
            since_.start();
        }
        if (!modal || !modal->isVisible()) return;
        if (auto* widget = qobject_cast<T*>(modal)) {
            seen_ = nullptr;
            if (answered_ < times_) {
                ++answered_;
                answer_(widget);
            } else {
                ++extra_;
                widget->close();
            }
        } else if (since_.elapsed() > limitMs_) {
            modal->close();
        }
    }

    std::function<void(T*)> answer_;
    int times_;
    int limitMs_;
    QTimer timer_;
    QWidget* seen_ = nullptr;
    QElapsedTimer since_;
    int answered_ = 0;
    int extra_ = 0;
};

// Makes `folder` the current directory for its lifetime.
class InFolder {
public:
    explicit InFolder(const QString& folder);
    ~InFolder();

private:
    QString before_;
};

// Records the program starts the window asks for; the command line
// `failing` fails with `reason`.
class RecordingStarter : public ProgramStarter {
public:
    struct Start {
        QString commandLine;
        QString folder;
    };
    explicit RecordingStarter(std::vector<Start>& starts, QString failing = {}, QString reason = {})
        : starts_(starts), failing_(std::move(failing)), reason_(std::move(reason)) {}
    QString start(const QString& commandLine, const QString& folder) override {
        starts_.push_back({commandLine, folder});
        return commandLine == failing_ ? reason_ : QString();
    }

private:
    std::vector<Start>& starts_;
    QString failing_;
    QString reason_;
};

// z5.ini text: the start folder, then command line and caption of programs
// 1 .. 6 (missing ones empty), one program per line.
std::string iniText(const std::string& start, const QStringList& programs);

// A window started from `folder` (z5.ini written there first): Form_Load
// must succeed.
std::unique_ptr<frmZ5Def> loadWindow(const std::string& folder, const std::string& ini,
                                     WindowOptions options = {});

QString qs(const std::string& s);

}  // namespace z5::test
