// z5.ini: how its fields are split, what start-up takes from it, and how
// start-up ends when it cannot.
#include "shell/settings.hpp"

#include <QAction>
#include <QMessageBox>
#include <QtTest>
#include <cerrno>
#include <cstring>

#include "tests/support/support.hpp"
#include "tests/window/window_support.hpp"

using namespace z5;
using namespace z5::test;

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void programsAndStartFolder();
    void startUpFailures_data();
    void startUpFailures();
    void startUpShowsFolderAndPrograms();
    void shippedSample();
};

void SettingsTest::fields_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("quoted field keeps commas")
        << QByteArray("\"C:\\a,b\",\"x\"\r\n") << QStringList{"C:\\a,b", "x"};
    QTest::newRow("blanks before a field skipped, after it kept")
        << QByteArray("  ed.exe  ,   \"&Ed\"\r\n") << QStringList{"ed.exe  ", "&Ed"};
    QTest::newRow("a line holding only a comma is two empty fields")
        << QByteArray(",\r\n,\r\nlast") << QStringList{"", "", "", "", "last"};
    QTest::newRow("CR, LF and CR LF all end a line")
        << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("an empty line is an empty field")
        << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("text after a closing quote is dropped")
        << QByteArray("\"a\" junk,b") << QStringList{"a", "b"};
    QTest::newRow("an unclosed quote runs to the end")
        << QByteArray("\"a,b\r\nc") << QStringList{"a,b\r\nc"};
    QTest::newRow("a final comma promises one more empty field")
        << QByteArray("a,") << QStringList{"a", ""};
    QTest::newRow("a final line end does not") << QByteArray("a\r\n") << QStringList{"a"};
    QTest::newRow("blanks at the end are no field") << QByteArray("a\r\n   ") << QStringList{"a"};
    QTest::newRow("only the asked number is read")
        << QByteArray("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15")
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"};
}

void SettingsTest::fields() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    QStringList got;
    for (const std::string& field : readFields(text.toStdString(), 13)) got << qs(field);
    QCOMPARE(got, expected);
}

void SettingsTest::programsAndStartFolder() {
    TempFolder dir;
    writeFile(dir.file("z5.ini"), "\"" + dir.str() + "\"\r\n" +
                                      "ed1,One\r\ned2,Two\r\n\"ed3 -a, -b\",\"Th&ree\"\r\n"
                                      "ed4,\r\n,Five\r\nlast,Six");
    const Settings s = readSettings(dir.file("z5.ini"));
    QCOMPARE(s.strStart, dir.str());
    QCOMPARE(s.strProgram[2], std::string("ed3 -a, -b"));
    QCOMPARE(s.strPName[2], std::string("Th&ree"));
    QCOMPARE(s.strPName[3], std::string());
    QCOMPARE(s.strProgram[4], std::string());
    QCOMPARE(s.strPName[4], std::string("Five"));
    QCOMPARE(s.strProgram[5], std::string("last"));
    QCOMPARE(s.strPName[5], std::string("Six"));
}

void SettingsTest::startUpFailures_data() {
    QTest::addColumn<QString>("ini");  // "-" for no z5.ini at all; %1 is a folder that exists
    QTest::addColumn<QString>("reason");
    QTest::newRow("no settings file") << "-" << QString("z5.ini: ") + std::strerror(ENOENT);
    QTest::newRow("twelve fields only") << "\"%1\"\r\na,A\r\nb,B\r\nc,C\r\nd,D\r\ne,E\r\nf\r\n"
                                        << "z5.ini: input past end of file (12 of 13 fields)";
    QTest::newRow("empty settings file") << ""
                                         << "z5.ini: input past end of file (0 of 13 fields)";
    QTest::newRow("start folder missing")
        << "\"%1/gone\"\r\n,\r\n,\r\n,\r\n,\r\n,\r\n,\r\n"
        << QString("z5.ini: start folder \"%1/gone\": path not found (") + std::strerror(ENOENT) +
               ")";
    QTest::newRow("start folder is a file")
        << "\"%1/z5.ini\"\r\n,\r\n,\r\n,\r\n,\r\n,\r\n,\r\n"
        << "z5.ini: start folder \"%1/z5.ini\": path not found (not a folder)";
}

void SettingsTest::startUpFailures() {
    QFETCH(QString, ini);
    QFETCH(QString, reason);
    TempFolder dir;
    if (ini != "-") writeFile(dir.file("z5.ini"), ini.replace("%1", qs(dir.str())).toStdString());
    InFolder in(qs(dir.str()));

    QStringList boxes;
    ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
        boxes << box->text();
        QCOMPARE(box->icon(), QMessageBox::Critical);
        box->accept();
    });
    frmZ5Def window;
    QVERIFY(!window.Form_Load());
    QCOMPARE(boxes, QStringList{reason.replace("%1", qs(dir.str()))});
    QCOMPARE(answer.extra(), 0);
}

void SettingsTest::startUpShowsFolderAndPrograms() {
    TempFolder dir;
    std::filesystem::create_directory(dir.path() / "data");
    // The start folder is relative: it is taken from the current directory.
    auto window = loadWindow(dir.str(), iniText("data", {"ed,&Edit", "\"sh -c x\",\"Sh, &Run\""}));
    QCOMPARE(window->workingFolder(), QDir::toNativeSeparators(qs((dir.path() / "data").string())));
    QCOMPARE(window->windowTitle(), QString("Z5 Def Tool"));
    const QStringList captions{"&Edit", "Sh, &Run", "", "", "", ""};
    for (int n = 1; n <= 6; ++n) {
        auto* entry = window->findChild<QAction*>(QString("mnuProgram%1").arg(n));
        QVERIFY(entry);
        QCOMPARE(entry->text(), captions[n - 1]);
        QCOMPARE(entry->isEnabled(), n <= 2);
    }
    QCOMPARE(window->settings().strProgram[1], std::string("sh -c x"));
}

void SettingsTest::shippedSample() {
    // run.sh starts the window in samples/ with its z5.ini.
    InFolder in(Z5_SAMPLES_DIR);
    const Settings s = readSettings("z5.ini");
    QCOMPARE(s.strStart, std::string("."));
    QVERIFY(!s.strPName[0].empty() && !s.strProgram[0].empty());
}

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
