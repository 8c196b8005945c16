#include "startup.h"

#include "devicelink.h"

#include "version.h"

#include "config.h"
#include "configfile.h"
#include "hotplugsource.h"
#include "mainwindow.h"
#include "quitsignals.h"
#include "simhotplug.h"
#include "simsession.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QMetaType>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QVector>

#include <cstdint>

namespace {
Q_LOGGING_CATEGORY(lcApp, "votkbox.app", QtInfoMsg)

// A demo stream slow enough to read in the receive table.
constexpr double kSimulatedCanRate = 3;
} // namespace

int parseStartOptions(const QStringList &arguments, StartOptions &options, QString &message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration and firmware tool for the VOTK-WIFI BOX."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Work with a simulated box instead of one on the USB port."));
    parser.addOption(simulate);
    // For tests, the start-up benchmark and the package check: end by itself once shown.
    const QCommandLineOption quitAfter(
        QStringLiteral("quit-after"),
        QStringLiteral("Quit with exit code 0 <ms> milliseconds after the window is shown."),
        QStringLiteral("ms"));
    parser.addOption(quitAfter);
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Use only the box at <path> (as votkbox-cli list prints it)."),
        QStringLiteral("path"));
    parser.addOption(device);
    const QCommandLineOption serial(
        QStringLiteral("serial"),
        QStringLiteral("Use only the box with the USB serial number <serial>."),
        QStringLiteral("serial"));
    parser.addOption(serial);

    // QCommandLineParser::helpText() needs an application object, which must
    // not exist yet, so the help is put together here.
    const auto usage = [&] {
        QString text = QStringLiteral("Usage: votkbox [options]\n%1\n\nOptions:\n")
                           .arg(parser.applicationDescription());
        for (const QCommandLineOption &o : {help, version, simulate, quitAfter, device, serial}) {
            QStringList names;
            for (const QString &n : o.names())
                names << (n.size() == 1 ? QLatin1String("-") : QLatin1String("--")) + n;
            QString left = names.join(QLatin1String(", "));
            if (!o.valueName().isEmpty())
                left += QStringLiteral(" <%1>").arg(o.valueName());
            text += QStringLiteral("  %1  %2\n").arg(left, -22).arg(o.description());
        }
        return text;
    };
    if (!parser.parse(arguments)) {
        message = parser.errorText() + QLatin1Char('\n') + usage();
        return 1;
    }
    if (parser.isSet(help)) {
        message = usage();
        return 0;
    }
    if (parser.isSet(version)) {
        message = QStringLiteral("votkbox " VOTKBOX_VERSION "\n");
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("Unexpected argument \"%1\".\n")
                      .arg(parser.positionalArguments().constFirst()) +
                  usage();
        return 1;
    }

    options.simulate = parser.isSet(simulate);
    if (parser.values(device).size() + parser.values(serial).size() > 1) {
        message = QStringLiteral("choose one box: --device or --serial, once\n") + usage();
        return 1;
    }
    options.device = parser.value(device);
    options.serial = parser.value(serial);
    if (parser.isSet(device) != !options.device.isEmpty() ||
        parser.isSet(serial) != !options.serial.isEmpty()) {
        message = QStringLiteral("--device and --serial need a value that is not empty\n");
        return 1;
    }
    if (parser.isSet(quitAfter)) {
        bool ok = false;
        const int ms = parser.value(quitAfter).toInt(&ok);
        if (!ok || ms < 0) {
            message = QStringLiteral("--quit-after needs a number of milliseconds, not \"%1\"\n")
                          .arg(parser.value(quitAfter));
            return 1;
        }
        options.quitAfterMs = ms;
    }
    return -1;
}

QString installTranslation(QCoreApplication &app, QTranslator &translator)
{
    const QString file = translationFileFor(config()->get(Config::Language).toString());
    // The working directory's file first, so a translator can try a new one;
    // else the one built into the program, wherever it was started from.
    if (!file.isEmpty() && !translator.load(file))
        translator.load(QStringLiteral(":/builtin/") + file);
    app.installTranslator(&translator);
    return file;
}

void installQtTranslation(QCoreApplication &app, QTranslator &translator)
{
    // Qt's own dialogs and buttons; English needs none.
    if (config()->get(Config::Language).toString() != QLatin1String("cn"))
        return;
    if (translator.load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

void useFormsFont()
{
    // The forms were laid out for Microsoft YaHei, which Linux lacks; the
    // fallback fontconfig picks for Latin text is far wider and clips labels.
    // Noto Sans CJK is the nearest in shape and width.
    const QString noto = QStringLiteral("Noto Sans CJK SC");
    if (!QFontDatabase().families().contains(noto))
        return;
    QFont::insertSubstitution(QStringLiteral("微软雅黑"), noto);
    // Texts without a font of their own were laid out at the 9 points of
    // the desktop the forms were drawn on; a bigger desktop font would clip
    // them in the fixed-size window.
    QFont font = QApplication::font();
    font.setFamily(noto);
    font.setPointSize(9);
    QApplication::setFont(font);
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
    m_quitSignals.reset();
    m_window.reset();
    // The box and its lock are let go here, while everything the lock uses is
    // still there, not by the link's static destructor.
    DeviceLink::instance()->reset();
    m_translator.reset();
    m_qtTranslator.reset();
    m_settings.reset();
    m_sim.reset();
}

void Startup::createSimulatedBox()
{
    m_sim = std::make_unique<SimSession>(*DeviceLink::instance());
    m_sim->box.setCanRate(kSimulatedCanRate);
    // A silent simulated box should feel like a silent real one.
    m_sim->box.setInstantTimeouts(false);
    // VOTKBOX_SIMULATE=two-boxes: a second box, to try choosing between them.
    m_sim->applyFaultMode(qEnvironmentVariable("VOTKBOX_SIMULATE"));
    if (SimBox *second = m_sim->secondBox()) {
        second->setCanRate(kSimulatedCanRate);
        second->setInstantTimeouts(false);
    }
}

// Everything that drives the simulated box from the running window (plugging
// it in and out, telling the window about it) attaches here.
void Startup::attachSimulatedBox()
{
    auto *plugging = new SimHotplug(m_sim->box, m_window.get());
    plugging->addShortcuts(m_window.get());
    m_window->attachHotplugSource(plugging);
    if (SimBox *second = m_sim->secondBox())
        m_window->attachHotplugSource(new SimHotplug(*second, m_window.get()));
}

void Startup::prepare(QCoreApplication &app)
{
    if (m_window)
        return;
    if (m_options.simulate)
        createSimulatedBox();

    m_settings = std::make_unique<QSettings>(configFilePath(), QSettings::IniFormat);
    config()->load(*m_settings);

    // The tool's translation goes in last, so its own texts win.
    m_qtTranslator = std::make_unique<QTranslator>();
    installQtTranslation(app, *m_qtTranslator);
    m_translator = std::make_unique<QTranslator>();
    m_translationFile = installTranslation(app, *m_translator);

    qCDebug(lcApp) << "wb run";

    useFormsFont();

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/votkbox.png")));
    m_window = std::make_unique<MainWindow>(*DeviceLink::instance());
    fixWindowGeometry(m_window.get());
    m_window->show();
    app.installNativeEventFilter(m_window.get());
    // A logout or a Ctrl+C ends the window as its close button does.
    m_quitSignals = std::make_unique<QuitSignals>();
    QObject::connect(m_quitSignals.get(), &QuitSignals::quitRequested, m_window.get(),
                     &MainWindow::closeWhenIdle);
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");

    if (m_sim)
        attachSimulatedBox();
    else
        m_window->attachHotplugSource(createSystemHotplugSource(m_window.get()));
    m_window->useBox(BoxSelector{m_options.device, m_options.serial});
    // A box plugged in before the start is connected as if it came now.
    m_window->connectPresentBox();
}

int Startup::run(QApplication &app)
{
    prepare(app);
    if (m_options.quitAfterMs >= 0)
        QTimer::singleShot(m_options.quitAfterMs, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}
