// Helpers for the Qt window's suites: answering file choices and boxes from
// a script, a window started in a folder.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMetaEnum>
#include <QtTest>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "qt/dialogs.hpp"
#include "qt/mainwindow.hpp"
#include "tests/support/expected_menu.hpp"
#include "tests/support/support.hpp"

namespace z5::test {

inline QString qs(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

// The answers to a window's file choices and questions, and a line for
// everything it asked: "open <filters> in <folder>", "save <filters> in
// <folder> as <name>", "file or folder in <folder>", "<icon> <title>:
// <text>" or "Question <title>: <text>", each ended by " (busy)" while the
// hourglass shows. Filters are joined by ";;". An empty answer, or none
// left, cancels the choice; a question is answered `yes`.
struct DialogScript {
    QStringList answers;
    QStringList asked;
    bool yes = true;
};

class ScriptedDialogs : public Dialogs {
public:
    explicit ScriptedDialogs(DialogScript& script) : script_(script) {}

    std::optional<QString> chooseOpen(const QStringList& nameFilters,
                                      const QString& folder) override {
        return answer("open " + nameFilters.join(";;") + " in " + folder);
    }
    std::optional<QString> chooseSave(const QStringList& nameFilters, const QString& folder,
                                      const QString& proposed) override {
        return answer("save " + nameFilters.join(";;") + " in " + folder + " as " + proposed);
    }
    std::optional<QString> chooseFileOrFolder(const QString&, const QString& folder) override {
        return answer("file or folder in " + folder);
    }
    void message(QMessageBox::Icon icon, const QString& title, const QString& text) override {
        const char* name = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(icon);
        note(QString("%1 %2: %3").arg(name, title, text));
    }
    bool ask(const QString& title, const QString& text) override {
        note(QString("Question %1: %2").arg(title, text));
        return script_.yes;
    }

private:
    std::optional<QString> answer(const QString& question) {
        note(question);
        const QString file = script_.answers.isEmpty() ? QString() : script_.answers.takeFirst();
        if (file.isEmpty()) return std::nullopt;
        return file;
    }
    void note(const QString& line) {
        const bool busy = QApplication::overrideCursor() &&
                          QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        script_.asked << line + (busy ? " (busy)" : "");
    }

    DialogScript& script_;
};

// Makes `window` ask `script` instead of showing dialogs.
inline void answerFrom(frmZ5Def& window, DialogScript& script) {
    window.setDialogs(std::make_unique<ScriptedDialogs>(script));
}

// A window started from `folder` (z5.ini written there first) that asks
// `script`: Form_Load must succeed.
inline std::unique_ptr<frmZ5Def> loadWindow(const std::string& folder, const std::string& ini,
                                            DialogScript& script, WindowOptions options = {}) {
    writeFile(folder + "/z5.ini", ini);
    InFolder in(folder);
    auto window = std::make_unique<frmZ5Def>(options);
    answerFrom(*window, script);
    if (!window->Form_Load()) throw std::runtime_error("Form_Load failed");
    return window;
}

}  // namespace z5::test
