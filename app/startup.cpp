#include "startup.h"

#include "appconfig.h"
#include "configfile.h"
#include "devicelink.h"
#include "hidbackend.h"
#include "hotplugsource.h"
#include "mainwindow.h"
#include "simbox.h"
#include "simhidbackend.h"
#include "simhotplug.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDebug>
#include <QMetaType>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QVector>

#include <cstdint>

namespace {
// A demo stream slow enough to read in the receive table.
constexpr double kSimulatedCanRate = 3;
} // namespace

bool parseStartOptions(QCoreApplication &app, StartOptions &options, QString &error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration and firmware tool for the VOTK-WIFI BOX."));
    parser.addHelpOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Work with a simulated box instead of one on the USB port."));
    parser.addOption(simulate);
    // For tests and the start-up benchmark: end by itself once shown.
    QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                 QStringLiteral("Quit with 0 <ms> after the window is shown."),
                                 QStringLiteral("ms"));
    quitAfter.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitAfter);
    parser.process(app);

    options.simulate = parser.isSet(simulate);
    if (parser.isSet(quitAfter)) {
        bool ok = false;
        const int ms = parser.value(quitAfter).toInt(&ok);
        if (!ok || ms < 0) {
            error = QStringLiteral("--quit-after needs a number of milliseconds, not \"%1\"")
                        .arg(parser.value(quitAfter));
            return false;
        }
        options.quitAfterMs = ms;
    }
    return true;
}

QString installTranslation(QCoreApplication &app, QTranslator &translator)
{
    const QString file = translationFileFor(AppConfig::getLanguage());
    // A missing file leaves the texts built into the forms, which is fine.
    if (!file.isEmpty())
        translator.load(file);
    app.installTranslator(&translator);
    return file;
}

void fixWindowGeometry(QMainWindow *window)
{
    window->setWindowFlags(window->windowFlags() & ~Qt::WindowMinimizeButtonHint &
                           ~Qt::WindowMaximizeButtonHint);
    window->setMinimumHeight(600);
    window->setMinimumWidth(900);
    window->setFixedSize(window->width(), window->height());
}

Startup::Startup(const StartOptions &options) : m_options(options)
{
}

Startup::~Startup()
{
    m_window.reset();
    m_translator.reset();
    m_settings.reset();
    if (m_simBox) {
        // The link must not keep a handle into a backend that is going away.
        DeviceLink::instance()->reset();
        setHidBackend(nullptr);
        m_simBackend.reset();
        m_simBox.reset();
    }
}

void Startup::createSimulatedBox()
{
    m_simBox = std::make_unique<SimBox>();
    m_simBox->setCanRate(kSimulatedCanRate);
    // A silent simulated box should feel like a silent real one.
    m_simBox->setInstantTimeouts(false);
    m_simBackend = std::make_unique<SimHidBackend>(*m_simBox);
    setHidBackend(m_simBackend.get());
}

// Everything that drives the simulated box from the running window (plugging
// it in and out, telling the window about it) attaches here.
void Startup::attachSimulatedBox()
{
    auto *plugging = new SimHotplug(*m_simBox, m_window.get());
    plugging->addShortcuts(m_window.get());
    m_window->attachHotplugSource(plugging);
}

void Startup::prepare(QCoreApplication &app)
{
    if (m_window)
        return;
    if (m_options.simulate)
        createSimulatedBox();

    m_settings = std::make_unique<QSettings>(configFilePath(), QSettings::IniFormat);
    loadConfig(*m_settings);

    m_translator = std::make_unique<QTranslator>();
    m_translationFile = installTranslation(app, *m_translator);

    qDebug() << "wb run";

    m_window = std::make_unique<MainWindow>();
    fixWindowGeometry(m_window.get());
    m_window->show();
    app.installNativeEventFilter(m_window.get());
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");

    if (m_simBox)
        attachSimulatedBox();
    else
        m_window->attachHotplugSource(createSystemHotplugSource(m_window.get()));
}

int Startup::run(QApplication &app)
{
    prepare(app);
    if (m_options.quitAfterMs >= 0)
        QTimer::singleShot(m_options.quitAfterMs, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}
