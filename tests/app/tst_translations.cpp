#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

#include <algorithm>

namespace {
struct Message
{
    QString context;
    QString source;
    QString comment;
    QString translation;
    QString type; // "unfinished", "vanished", "obsolete" or empty
};

QList<Message> readTs(const QString &path, QString *error = nullptr)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + QLatin1String(": ") + file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QStringRef tag = xml.name();
        if (tag == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (tag == QLatin1String("message")) {
            current = Message();
            current.context = context;
        } else if (tag == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (tag == QLatin1String("comment")) {
            current.comment = xml.readElementText();
        } else if (tag == QLatin1String("translation")) {
            current.type = xml.attributes().value(QLatin1String("type")).toString();
            current.translation = xml.readElementText();
            messages << current;
            current = Message();
        }
    }
    if (xml.hasError() && error)
        *error = path + QLatin1String(": ") + xml.errorString();
    return messages;
}

QString tsPath(const char *name)
{
    return QStringLiteral(VOTKBOX_SOURCE_DIR "/translations/") + QLatin1String(name);
}

QString qmPath(const char *name)
{
    return QDir(qEnvironmentVariable("VOTKBOX_RUN_DIR")).filePath(QLatin1String(name));
}

QString key(const Message &m)
{
    return m.context + QLatin1String(": ") + m.source;
}

bool finished(const Message &m)
{
    return m.type.isEmpty() && !m.translation.isEmpty();
}
} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyEnglishTextIsFinished_data();
    void everyEnglishTextIsFinished();
    void bothLanguagesHoldTheSameTexts();
    void everyTextOfTheCodeHasEnglish_data();
    void everyTextOfTheCodeHasEnglish();
    void builtFilesMatchTheSources();
    void fixedEnglishTexts_data();
    void fixedEnglishTexts();

private:
    QList<Message> m_en;
    QList<Message> m_zh;
};

void TestTranslations::initTestCase()
{
    QString error;
    m_en = readTs(tsPath("app_en.ts"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_zh = readTs(tsPath("app_zh.ts"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!m_en.isEmpty());
}

void TestTranslations::everyEnglishTextIsFinished_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("translation");
    for (const Message &m : readTs(tsPath("app_en.ts")))
        QTest::newRow(qPrintable(key(m))) << m.type << m.translation;
}

void TestTranslations::everyEnglishTextIsFinished()
{
    QFETCH(QString, type);
    QFETCH(QString, translation);
    QCOMPARE(type, QString());
    QVERIFY(!translation.trimmed().isEmpty());
}

void TestTranslations::bothLanguagesHoldTheSameTexts()
{
    QStringList en, zh;
    for (const Message &m : m_en)
        en << key(m);
    for (const Message &m : m_zh)
        if (m.type != QLatin1String("vanished") && m.type != QLatin1String("obsolete"))
            zh << key(m);
    en.sort();
    zh.sort();
    QCOMPARE(zh, en);
}

void TestTranslations::everyTextOfTheCodeHasEnglish_data()
{
    QTest::addColumn<QString>("text");

    // What lupdate finds in the sources today, into a scratch file.
    QTemporaryDir scratch;
    const QString ts = scratch.filePath(QStringLiteral("scan_en.ts"));
    QStringList args{QStringLiteral("-silent"), QStringLiteral("-locations"),
                     QStringLiteral("none"), QStringLiteral("-extensions"),
                     QStringLiteral("cpp,h,ui")};
    for (const char *dir : {"app", "config", "gui", "device", "mainwindow", "settings", "upgrade",
                            "platform", "plot"})
        args << QStringLiteral(VOTKBOX_SOURCE_DIR "/") + QLatin1String(dir);
    args << QStringLiteral("-ts") << ts;
    QProcess lupdate;
    lupdate.start(QStringLiteral(VOTKBOX_LUPDATE), args);
    QVERIFY2(lupdate.waitForFinished(120000) && lupdate.exitCode() == 0,
             qPrintable(lupdate.readAllStandardError()));
    const QList<Message> scanned = readTs(ts);
    QVERIFY(!scanned.isEmpty());
    for (const Message &m : scanned)
        QTest::newRow(qPrintable(key(m))) << key(m);
}

void TestTranslations::everyTextOfTheCodeHasEnglish()
{
    QFETCH(QString, text);
    bool found = false;
    for (const Message &m : m_en)
        if (key(m) == text)
            found = finished(m);
    QVERIFY2(found, "missing or unfinished in translations/app_en.ts");
}

void TestTranslations::builtFilesMatchTheSources()
{
    QTranslator en, zh;
    QVERIFY(en.load(qmPath("app_en.qm")));
    QVERIFY(zh.load(qmPath("app_zh.qm")));
    for (const Message &m : m_en) {
        const QByteArray context = m.context.toUtf8();
        const QByteArray source = m.source.toUtf8();
        const QByteArray comment = m.comment.toUtf8();
        const char *disambiguation = m.comment.isEmpty() ? nullptr : comment.constData();
        QCOMPARE(en.translate(context, source, disambiguation), m.translation);
        // Chinese shows the source text, translated to itself or not at all;
        // only the few English sources the forms keep get a Chinese text.
        const QString chinese = zh.translate(context, source, disambiguation);
        const bool englishSource = std::none_of(m.source.begin(), m.source.end(),
                                                [](QChar c) { return c.unicode() >= 0x3000; });
        const bool chineseText = std::any_of(chinese.begin(), chinese.end(),
                                             [](QChar c) { return c.unicode() >= 0x3000; });
        QVERIFY2(chinese.isEmpty() || chinese == m.source || (englishSource && chineseText),
                 qPrintable(key(m)));
    }
}

void TestTranslations::fixedEnglishTexts_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    QTest::newRow("about title") << "关于"
                                 << "About";
    QTest::newRow("about text") << "VOTK-Tarnwell 1.2"
                                << "VOTK-Tarnwell 1.2";
    QTest::newRow("upgrade running") << "正在升级固件，请稍候"
                                     << "Firmware upgrade in progress, please wait";
    QTest::newRow("wifi failed") << "WIFI信息设置失败"
                                 << "Failed to set the WiFi information";
    QTest::newRow("file not opened") << "进度:升级文件打开失败"
                                     << "Progress: cannot open the file";
    QTest::newRow("file checksum") << "进度:升级文件校验错误"
                                   << "Progress: file checksum error";
    QTest::newRow("box in use") << "VOTK设备正被其他程序使用"
                                << "The VOTK box is in use by another program";
    QTest::newRow("upgrade progress") << "进度:正在升级"
                                      << "Progress: upgrading";
}

void TestTranslations::fixedEnglishTexts()
{
    QFETCH(QString, source);
    QFETCH(QString, english);
    int seen = 0;
    for (const Message &m : m_en) {
        if (m.source != source)
            continue;
        ++seen;
        QCOMPARE(m.translation, english);
    }
    QVERIFY2(seen > 0, "not in translations/app_en.ts");
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
