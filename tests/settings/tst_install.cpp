#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// `cmake --install` into a temporary prefix, then the installed launcher run
// the way the desktop entry runs it.
class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void udevRuleGrantsSeatAccess();
    void desktopEntryRunsLauncher();
    void launcherMakesUserDirectory_data();
    void launcherMakesUserDirectory();
    void englishConfigLoadsEnglishTranslation();
    void launcherReachedThroughSymlink();
    void userFilesInDirectoryStay();

private:
    struct Run
    {
        int exitCode = -1;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QByteArray output;
    };
    Run runLauncher(const QString &launcher, const QProcessEnvironment &env,
                    const QStringList &wrapper = {});
    QProcessEnvironment environment(const QString &xdgConfigHome, const QString &home) const;
    void verifyUserDirectory(const QString &userDir);

    QTemporaryDir m_root;
    // A space in the prefix: the launcher and the desktop entry must quote.
    QString m_prefix;
};

QProcessEnvironment TestInstall::environment(const QString &xdgConfigHome,
                                             const QString &home) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    if (!xdgConfigHome.isNull())
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), xdgConfigHome);
    env.insert(QStringLiteral("HOME"), home);
    return env;
}

TestInstall::Run TestInstall::runLauncher(const QString &launcher, const QProcessEnvironment &env,
                                          const QStringList &wrapper)
{
    Run run;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    // Somewhere unrelated: the launcher, not the caller, picks the directory.
    p.setWorkingDirectory(m_root.path());
    const QStringList args = {QStringLiteral("--simulate"), QStringLiteral("--quit-after"),
                              QStringLiteral("300")};
    if (wrapper.isEmpty()) {
        p.start(launcher, args);
    } else {
        p.start(wrapper.first(), wrapper.mid(1) + QStringList{launcher} + args);
    }
    if (!p.waitForStarted(-1) || !p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(-1);
        return run;
    }
    run.exitCode = p.exitCode();
    run.status = p.exitStatus();
    run.output = p.readAll();
    return run;
}

void TestInstall::initTestCase()
{
    const QString buildDir = qEnvironmentVariable("VOTKBOX_RUN_DIR");
    QVERIFY2(!buildDir.isEmpty(), "VOTKBOX_RUN_DIR is not set");
    QVERIFY(m_root.isValid());
    m_prefix = m_root.filePath(QStringLiteral("pre fix"));

    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(VOTKBOX_CMAKE_COMMAND),
                {QStringLiteral("--install"), buildDir, QStringLiteral("--prefix"), m_prefix});
    QVERIFY(cmake.waitForFinished(120000));
    const QByteArray log = cmake.readAll();
    QVERIFY2(cmake.exitStatus() == QProcess::NormalExit && cmake.exitCode() == 0, log.constData());
}

void TestInstall::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("tool") << "bin/votkbox" << true;
    QTest::newRow("launcher") << "bin/votkbox-launch" << true;
    QTest::newRow("chinese") << "share/votkbox/app_zh.qm" << false;
    QTest::newRow("english") << "share/votkbox/app_en.qm" << false;
    QTest::newRow("picture") << "share/votkbox/wb1.png" << false;
    QTest::newRow("udev rule") << "lib/udev/rules.d/60-votkbox.rules" << false;
    QTest::newRow("desktop entry") << "share/applications/votkbox.desktop" << false;
    QTest::newRow("icon") << "share/icons/hicolor/scalable/apps/votkbox.svg" << false;
}

void TestInstall::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo info(m_prefix + QLatin1Char('/') + path);
    QVERIFY2(info.isFile(), qPrintable(info.filePath()));
    QVERIFY(info.size() > 0);
    QCOMPARE(info.isExecutable(), executable);
}

void TestInstall::udevRuleGrantsSeatAccess()
{
    QFile rule(m_prefix + QStringLiteral("/lib/udev/rules.d/60-votkbox.rules"));
    QVERIFY(rule.open(QIODevice::ReadOnly));
    QStringList rules;
    for (const QByteArray &line : rule.readAll().split('\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            rules << QString::fromLatin1(line);
    // The seat's user, and plugdev's members for scripts, services and SSH sessions.
    QCOMPARE(rules, QStringList{QStringLiteral("KERNEL==\"hidraw*\", ATTRS{idVendor}==\"28e9\", "
                                               "ATTRS{idProduct}==\"028f\", GROUP=\"plugdev\", "
                                               "MODE=\"0660\", TAG+=\"uaccess\"")});
}

void TestInstall::desktopEntryRunsLauncher()
{
    // Read as text: an INI reader would take the quotes away.
    QFile file(m_prefix + QStringLiteral("/share/applications/votkbox.desktop"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    QVERIFY(lines.contains(QStringLiteral("Type=Application")));
    QVERIFY(lines.contains(QStringLiteral("Icon=votkbox")));
    // The launcher's absolute path in the installed prefix, quoted for the space.
    QVERIFY(lines.contains(QStringLiteral("Exec=\"%1/bin/votkbox-launch\"").arg(m_prefix)));
}

void TestInstall::verifyUserDirectory(const QString &userDir)
{
    QVERIFY2(QFileInfo(userDir + QStringLiteral("/config.ini")).isFile(), qPrintable(userDir));
    for (const char *name : {"app_zh.qm", "app_en.qm", "wb1.png"}) {
        const QFileInfo link(userDir + QLatin1Char('/') + QLatin1String(name));
        QVERIFY2(link.isSymLink(), name);
        QCOMPARE(QFileInfo(link.symLinkTarget()).canonicalFilePath(),
                 QFileInfo(m_prefix + QStringLiteral("/share/votkbox/") + QLatin1String(name))
                     .canonicalFilePath());
    }
}

void TestInstall::launcherMakesUserDirectory_data()
{
    QTest::addColumn<QString>("xdg");      // under the temporary directory, or as marked
    QTest::addColumn<QString>("expected"); // under the temporary directory
    QTest::newRow("XDG_CONFIG_HOME") << "xdg config"
                                     << "xdg config/votkbox";
    QTest::newRow("unset: HOME/.config") << "<unset>"
                                         << "home/.config/votkbox";
    QTest::newRow("empty: HOME/.config") << "<empty>"
                                         << "home/.config/votkbox";
    QTest::newRow("relative is ignored") << "<relative>"
                                         << "home/.config/votkbox";
}

void TestInstall::launcherMakesUserDirectory()
{
    QFETCH(QString, xdg);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QString xdgValue = dir.filePath(xdg);
    if (xdg == QLatin1String("<unset>"))
        xdgValue = QString();
    else if (xdg == QLatin1String("<empty>"))
        xdgValue = QLatin1String("");
    else if (xdg == QLatin1String("<relative>"))
        xdgValue = QStringLiteral("relative");
    const Run run = runLauncher(m_prefix + QStringLiteral("/bin/votkbox-launch"),
                                environment(xdgValue, dir.filePath(QStringLiteral("home"))));
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, run.output.constData());

    const QString userDir = dir.filePath(expected);
    verifyUserDirectory(userDir);
    if (QTest::currentTestFailed())
        return;
    QSettings config(userDir + QStringLiteral("/config.ini"), QSettings::IniFormat);
    QCOMPARE(config.value("language").toString(), QStringLiteral("cn"));
    QCOMPARE(config.value("can_time").toString(), QStringLiteral("30"));
    QCOMPARE(config.value("auto_connect").toString(), QStringLiteral("1"));
}

void TestInstall::englishConfigLoadsEnglishTranslation()
{
    QTemporaryDir dir;
    const QString userDir = dir.filePath(QStringLiteral("votkbox"));
    QVERIFY(QDir().mkpath(userDir));
    {
        QFile config(userDir + QStringLiteral("/config.ini"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("language=en\n");
    }
    const QProcessEnvironment env = environment(dir.path(), dir.filePath(QStringLiteral("home")));
    const QString launcher = m_prefix + QStringLiteral("/bin/votkbox-launch");

    // With strace at hand, see the translation being opened; without it the
    // file checks below still hold.
    QStringList wrapper;
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    const QString trace = dir.filePath(QStringLiteral("trace"));
    if (!strace.isEmpty()) {
        QProcess probe;
        probe.start(strace,
                    {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("true")});
        if (probe.waitForFinished(30000) && probe.exitCode() == 0)
            wrapper = QStringList{strace,
                                  QStringLiteral("-f"),
                                  QStringLiteral("-e"),
                                  QStringLiteral("trace=open,openat"),
                                  QStringLiteral("-o"),
                                  trace};
    }
    const Run run = runLauncher(launcher, env, wrapper);
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, run.output.constData());

    verifyUserDirectory(userDir);
    if (QTest::currentTestFailed())
        return;
    QSettings config(userDir + QStringLiteral("/config.ini"), QSettings::IniFormat);
    // The tool read the file: it kept "en" and added the missing keys.
    QCOMPARE(config.value("language").toString(), QStringLiteral("en"));
    QCOMPARE(config.value("can_time").toString(), QStringLiteral("30"));
    QCOMPARE(config.value("auto_connect").toString(), QStringLiteral("1"));

    if (wrapper.isEmpty())
        QSKIP("strace unavailable: the translation file was not seen being opened");
    QFile traceFile(trace);
    QVERIFY(traceFile.open(QIODevice::ReadOnly));
    bool english = false;
    bool chinese = false;
    for (const QByteArray &line : traceFile.readAll().split('\n')) {
        if (line.contains("ENOENT"))
            continue;
        english = english || line.contains("app_en.qm\"");
        chinese = chinese || line.contains("app_zh.qm\"");
    }
    QVERIFY(english);
    QVERIFY(!chinese);
}

void TestInstall::launcherReachedThroughSymlink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("votkbox-launch"));
    QVERIFY(QFile::link(m_prefix + QStringLiteral("/bin/votkbox-launch"), link));
    const Run run = runLauncher(link, environment(dir.path(), dir.path()));
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, run.output.constData());
    verifyUserDirectory(dir.filePath(QStringLiteral("votkbox")));
}

void TestInstall::userFilesInDirectoryStay()
{
    QTemporaryDir dir;
    const QString userDir = dir.filePath(QStringLiteral("votkbox"));
    QVERIFY(QDir().mkpath(userDir));
    {
        QFile picture(userDir + QStringLiteral("/wb1.png"));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write("mine");
    }
    // A stale link from an earlier installation elsewhere is renewed.
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone/app_zh.qm")),
                        userDir + QStringLiteral("/app_zh.qm")));
    const Run run = runLauncher(m_prefix + QStringLiteral("/bin/votkbox-launch"),
                                environment(dir.path(), dir.path()));
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, run.output.constData());

    const QFileInfo picture(userDir + QStringLiteral("/wb1.png"));
    QVERIFY(!picture.isSymLink());
    QCOMPARE(picture.size(), qint64(4));
    QCOMPARE(QFileInfo(userDir + QStringLiteral("/app_zh.qm")).canonicalFilePath(),
             QFileInfo(m_prefix + QStringLiteral("/share/votkbox/app_zh.qm")).canonicalFilePath());
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
