#include "tests/window/window_support.hpp"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "tests/support/support.hpp"

namespace z5::test {

InFolder::InFolder(const QString& folder) : before_(QDir::currentPath()) {
    if (!QDir::setCurrent(folder)) throw std::runtime_error("cannot enter the test folder");
}

InFolder::~InFolder() {
    QDir::setCurrent(before_);
}

std::string iniText(const std::string& start, const QStringList& programs) {
    std::string text = "\"" + start + "\"\r\n";
    for (int n = 0; n < 6; ++n) {
        const QString line = n < programs.size() ? programs[n] : QStringLiteral(",");
        text += line.toStdString() + "\r\n";
    }
    return text;
}

std::unique_ptr<frmZ5Def> loadWindow(const std::string& folder, const std::string& ini,
                                     WindowOptions options) {
    writeFile(folder + "/z5.ini", ini);
    InFolder in(qs(folder));
    auto window = std::make_unique<frmZ5Def>(options);
    if (!window->Form_Load()) throw std::runtime_error("Form_Load failed");
    return window;
}

QString qs(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

}  // namespace z5::test
