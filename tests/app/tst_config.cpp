#include "config.h"
#include "configfile.h"
#include "startup.h"
#include "testsupport.h"
#include "version.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QMetaEnum>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

using KeyValues = QMap<QString, QString>;
Q_DECLARE_METATYPE(KeyValues)

namespace {
QString runDir()
{
    return qEnvironmentVariable("VOTKBOX_RUN_DIR");
}

// The built translations, so that a chosen file actually exists where the
// tool looks for it.
void copyTranslations(const TempWorkDir &dir)
{
    for (const char *name : {"app_zh.qm", "app_en.qm"})
        QFile::copy(QDir(runDir()).filePath(QLatin1String(name)), dir.file(QLatin1String(name)));
}

// The key=value lines of an INI text, as written on disk.
KeyValues iniLines(const QString &text)
{
    KeyValues values;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            values.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return values;
}

KeyValues defaults()
{
    return {{"language", "cn"}, {"can_time", "30"}, {"auto_connect", "1"}};
}

// Every key's value after loading, by its name in Config::Key.
QVariantMap typedDefaults()
{
    return {{"Language", "cn"},
            {"CanTime", 30},
            {"AutoConnect", true},
            {"CanRxRowLimit", 10000000},
            {"CanRxAlways", false},
            {"UpgradeDir", "."},
            {"DbcFiles", QStringList()},
            {"PlotLayoutFile", QVariant()},
            {"RecordRotateMb", QVariant()},
            {"RecordRotateS", QVariant()},
            {"BoxSerial", QVariant()},
            {"CanTxList", QStringList()}};
}

// What start-up does with the file and the translation, without the window.
QString loadAndTranslate(QTranslator &translator)
{
    {
        QSettings settings(configFilePath(), QSettings::IniFormat);
        config()->load(settings);
    }
    return installTranslation(*QCoreApplication::instance(), translator);
}
} // namespace

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startupReadsAndCompletesTheFile_data();
    void startupReadsAndCompletesTheFile();
    void eachWorkingDirectoryHasItsOwnFiles();
    void setWritesOneKeyAndTellsOnce_data();
    void setWritesOneKeyAndTellsOnce();
    void processRunsFromAnEmptyDirectory_data();
    void processRunsFromAnEmptyDirectory();
};

void TestConfig::initTestCase()
{
    QVERIFY2(QFile::exists(QDir(runDir()).filePath("app_en.qm")),
             "VOTKBOX_RUN_DIR must hold the built translations");
}

void TestConfig::startupReadsAndCompletesTheFile_data()
{
    QTest::addColumn<QByteArray>("initial"); // null: no file at all
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<bool>("translated");
    QTest::addColumn<KeyValues>("onDisk");
    QTest::addColumn<QVariantMap>("typed"); // the values read that are no default

    QTest::newRow("first run, no file") << QByteArray() << "cn"
                                        << "app_zh.qm" << true << defaults() << QVariantMap();
    QTest::newRow("empty file") << QByteArray("") << "cn"
                                << "app_zh.qm" << true << defaults() << QVariantMap();
    QTest::newRow("only language=en")
        << QByteArray("[General]\nlanguage=en\n") << "en"
        << "app_en.qm" << true
        << KeyValues{{"language", "en"}, {"can_time", "30"}, {"auto_connect", "1"}}
        << QVariantMap{{"Language", "en"}};
    QTest::newRow("key outside any section")
        << QByteArray("language=en\n") << "en"
        << "app_en.qm" << true
        << KeyValues{{"language", "en"}, {"can_time", "30"}, {"auto_connect", "1"}}
        << QVariantMap{{"Language", "en"}};
    QTest::newRow("empty language is written back as cn")
        << QByteArray("[General]\nlanguage=\ncan_time=50\nauto_connect=0\n") << "cn"
        << "app_zh.qm" << true
        << KeyValues{{"language", "cn"}, {"can_time", "50"}, {"auto_connect", "0"}}
        << QVariantMap{{"CanTime", 50}, {"AutoConnect", false}};
    QTest::newRow("upper-case EN loads nothing and stays")
        << QByteArray("[General]\nlanguage=EN\ncan_time=30\nauto_connect=1\n") << "EN"
        << "" << false << KeyValues{{"language", "EN"}, {"can_time", "30"}, {"auto_connect", "1"}}
        << QVariantMap{{"Language", "EN"}};
    QTest::newRow("unexpected values are kept")
        << QByteArray("[General]\nlanguage=de\ncan_time=abc\nauto_connect=yes\n"
                      "can_rx_row_limit=lots\n")
        << "de"
        << "" << false
        << KeyValues{{"language", "de"},
                     {"can_time", "abc"},
                     {"auto_connect", "yes"},
                     {"can_rx_row_limit", "lots"}}
        << QVariantMap{{"Language", "de"}, {"AutoConnect", false}};
    QTest::newRow("receive row limit")
        << QByteArray("[General]\nlanguage=cn\ncan_time=30\nauto_connect=1\n"
                      "can_rx_row_limit=250000\n")
        << "cn"
        << "app_zh.qm" << true
        << KeyValues{{"language", "cn"},
                     {"can_time", "30"},
                     {"auto_connect", "1"},
                     {"can_rx_row_limit", "250000"}}
        << QVariantMap{{"CanRxRowLimit", 250000}};
    QTest::newRow("receiving on every tab")
        << QByteArray("[General]\nlanguage=cn\ncan_time=30\nauto_connect=1\ncan_rx_always=1\n")
        << "cn"
        << "app_zh.qm" << true
        << KeyValues{{"language", "cn"},
                     {"can_time", "30"},
                     {"auto_connect", "1"},
                     {"can_rx_always", "1"}}
        << QVariantMap{{"CanRxAlways", true}};
    QTest::newRow("numbers that are no count give the defaults")
        << QByteArray("[General]\nlanguage=cn\ncan_time=0\nauto_connect=1\n"
                      "can_rx_row_limit=-5\n")
        << "cn"
        << "app_zh.qm" << true
        << KeyValues{{"language", "cn"},
                     {"can_time", "0"},
                     {"auto_connect", "1"},
                     {"can_rx_row_limit", "-5"}}
        << QVariantMap();
    QTest::newRow("upgrade folder")
        << QByteArray("[General]\nlanguage=cn\ncan_time=30\nauto_connect=1\n"
                      "upgrade_dir=/home/me/fw\n")
        << "cn"
        << "app_zh.qm" << true
        << KeyValues{{"language", "cn"},
                     {"can_time", "30"},
                     {"auto_connect", "1"},
                     {"upgrade_dir", "/home/me/fw"}}
        << QVariantMap{{"UpgradeDir", "/home/me/fw"}};
    // Paths with a comma or spaces come back whole.
    QTest::newRow("databases") << QByteArray("[General]\nlanguage=cn\ncan_time=30\nauto_connect=1\n"
                                             "dbc_files=/db/a.dbc, \"/my db/b,c.dbc\"\n")
                               << "cn"
                               << "app_zh.qm" << true
                               << KeyValues{{"language", "cn"},
                                            {"can_time", "30"},
                                            {"auto_connect", "1"},
                                            {"dbc_files", "/db/a.dbc, \"/my db/b,c.dbc\""}}
                               << QVariantMap{
                                      {"DbcFiles", QStringList{"/db/a.dbc", "/my db/b,c.dbc"}}};
}

void TestConfig::startupReadsAndCompletesTheFile()
{
    QFETCH(QByteArray, initial);
    QFETCH(QString, language);
    QFETCH(QString, translation);
    QFETCH(bool, translated);
    QFETCH(KeyValues, onDisk);
    QFETCH(QVariantMap, typed);

    TempWorkDir dir;
    copyTranslations(dir);
    if (!initial.isNull())
        dir.writeFile("config.ini", initial);

    QTranslator translator;
    QCOMPARE(loadAndTranslate(translator), translation);
    QCOMPARE(!translator.isEmpty(), translated);

    QCOMPARE(config()->get(Config::Language).toString(), language);
    // A value that does not fit its key reads as the default; the newer keys
    // are read when present and never added.
    const QMetaEnum keys = QMetaEnum::fromType<Config::Key>();
    for (int n = 0; n < keys.keyCount(); ++n) {
        const QString name = QLatin1String(keys.key(n));
        const QVariant expected = typed.value(name, typedDefaults().value(name));
        QVERIFY2(config()->get(Config::Key(keys.value(n))) == expected, qPrintable(name));
    }
    QCOMPARE(iniLines(dir.readFile("config.ini")), onDisk);
}

void TestConfig::eachWorkingDirectoryHasItsOwnFiles()
{
    TempWorkDir english;
    copyTranslations(english);
    english.writeFile("config.ini", "[General]\nlanguage=en\n");
    {
        // Nothing here: no configuration and no translation files; the
        // translation built into the program stands in.
        TempWorkDir other;
        QTranslator translator;
        QCOMPARE(loadAndTranslate(translator), QStringLiteral("app_zh.qm"));
        QVERIFY(!translator.isEmpty());
        QCOMPARE(iniLines(other.readFile("config.ini")), defaults());
    }
    QCOMPARE(english.readFile("config.ini"), QStringLiteral("[General]\nlanguage=en\n"));

    QTranslator translator;
    QCOMPARE(loadAndTranslate(translator), QStringLiteral("app_en.qm"));
    QVERIFY(!translator.isEmpty());
}

void TestConfig::setWritesOneKeyAndTellsOnce_data()
{
    QTest::addColumn<Config::Key>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("line"); // written to the file; empty: nothing changes

    QTest::newRow("language") << Config::Language << QVariant("en") << "language=en";
    QTest::newRow("automatic connection off")
        << Config::AutoConnect << QVariant(false) << "auto_connect=0";
    QTest::newRow("receiving on every tab")
        << Config::CanRxAlways << QVariant(true) << "can_rx_always=1";
    QTest::newRow("row limit") << Config::CanRxRowLimit << QVariant(250000)
                               << "can_rx_row_limit=250000";
    QTest::newRow("upgrade folder")
        << Config::UpgradeDir << QVariant("/home/me/fw") << "upgrade_dir=/home/me/fw";
    QTest::newRow("databases") << Config::DbcFiles
                               << QVariant(QStringList{"/db/a.dbc", "/my db/b,c.dbc"})
                               << "dbc_files=/db/a.dbc, \"/my db/b,c.dbc\"";
    QTest::newRow("one database") << Config::DbcFiles << QVariant(QStringList{"/db/a.dbc"})
                                  << "dbc_files=/db/a.dbc";
    QTest::newRow("the value it has") << Config::AutoConnect << QVariant(true) << "";
    QTest::newRow("no row limit") << Config::CanRxRowLimit << QVariant(0) << "";
    QTest::newRow("a flag as text") << Config::AutoConnect << QVariant("0") << "";
    QTest::newRow("no language") << Config::Language << QVariant("") << "";
}

void TestConfig::setWritesOneKeyAndTellsOnce()
{
    QFETCH(Config::Key, key);
    QFETCH(QVariant, value);
    QFETCH(QString, line);
    TempWorkDir dir;
    const QByteArray initial =
        "[General]\nlanguage=cn\ncan_time=45\nauto_connect=1\nwindow_note=keep me\n";
    dir.writeFile("config.ini", initial);
    const QVariant before = config()->get(key);
    QSignalSpy changed(config(), &Config::changed);

    config()->set(key, value);
    KeyValues expected = iniLines(QString::fromLatin1(initial));
    if (!line.isEmpty())
        expected.insert(line.section('=', 0, 0), line.section('=', 1));
    QCOMPARE(iniLines(dir.readFile("config.ini")), expected);
    QCOMPARE(config()->get(key), line.isEmpty() ? before : value);
    QCOMPARE(changed.count(), line.isEmpty() ? 0 : 1);
    if (!changed.isEmpty())
        QCOMPARE(changed.at(0).at(0).value<Config::Key>(), key);

    // The same value again neither writes nor tells.
    QVERIFY(QFile::remove(dir.file("config.ini")));
    config()->set(key, value);
    QVERIFY(!QFile::exists(dir.file("config.ini")));
    QCOMPARE(changed.count(), line.isEmpty() ? 0 : 1);
}

void TestConfig::processRunsFromAnEmptyDirectory_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("window"); // false: no display and no QT_QPA_PLATFORM
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("configWritten");
    QTest::addColumn<QString>("output");  // expected in stdout + stderr
    QTest::addColumn<QString>("missing"); // must not be there
    QTest::addColumn<QString>("rules");   // QT_LOGGING_RULES; empty: none

    const QString debugOn = QStringLiteral("votkbox.*.debug=true");
    QTest::newRow("simulated box")
        << QStringList{"--simulate", "--quit-after", "300"} << true << 0 << true << "wb run"
        << "" << debugOn;
    QTest::newRow("no box") << QStringList{"--quit-after", "300"} << true << 0 << true << "wb run"
                            << "" << debugOn;
    QTest::newRow("debug lines off by default")
        << QStringList{"--simulate", "--quit-after", "300"} << true << 0 << true << ""
        << "wb run"
        << "";
    // What the command line answers by itself needs no display.
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << false << "--quit-after"
                          << "wb run" << debugOn;
    QTest::newRow("version") << QStringList{"--version"} << false << 0 << false
                             << "votkbox " VOTKBOX_VERSION "\n"
                             << "wb run" << debugOn;
    QTest::newRow("quit-after without a number")
        << QStringList{"--quit-after", "soon"} << false << 1 << false << "--quit-after"
        << "wb run" << debugOn;
    QTest::newRow("negative quit-after")
        << QStringList{"--quit-after", "-5"} << false << 1 << false << "--quit-after"
        << "wb run" << debugOn;
    // A box named that is not there is not swapped for the one that is.
    QTest::newRow("named box absent")
        << QStringList{"--simulate", "--serial", "0777", "--quit-after", "1000"} << true << 0
        << true << "wb run"
        << "222222" << debugOn;
    QTest::newRow("two boxes named") << QStringList{"--serial", "0001", "--device", "/dev/hidraw0"}
                                     << false << 1 << false << "choose one box"
                                     << "wb run" << debugOn;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << false << 1 << false << "bogus"
                                    << "wb run" << debugOn;
    QTest::newRow("stray argument")
        << QStringList{"--simulate", "firmware.bin"} << false << 1 << false << "firmware.bin"
        << "wb run" << debugOn;
}

void TestConfig::processRunsFromAnEmptyDirectory()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, window);
    QFETCH(int, exitCode);
    QFETCH(bool, configWritten);
    QFETCH(QString, output);
    QFETCH(QString, missing);
    QFETCH(QString, rules);

    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_LOGGING_RULES");
    if (!rules.isEmpty())
        env.insert("QT_LOGGING_RULES", rules);
    if (window) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
    } else {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(qEnvironmentVariable("VOTKBOX_BIN"), arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    // A guard against a hang, not a measurement.
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        QFAIL("votkbox did not end");
    }
    const QString log =
        QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == exitCode, qPrintable(log));
    QVERIFY2(log.contains(output), qPrintable(log));
    QVERIFY2(missing.isEmpty() || !log.contains(missing), qPrintable(log));

    QFile file(QDir(dir.path()).filePath("config.ini"));
    QCOMPARE(file.exists(), configWritten);
    if (configWritten) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(iniLines(QString::fromUtf8(file.readAll())), defaults());
    }
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
