#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class MainWindow;
class QApplication;
class QCoreApplication;
class QMainWindow;
class QSettings;
class QTranslator;
class SimSession;
class QuitSignals;

// What the command line asks for.
struct StartOptions
{
    // Run against the simulated box instead of a USB device.
    bool simulate = false;
    // Quit the event loop with 0 this long after the window is shown (-1: never).
    int quitAfterMs = -1;
    // The only box to connect (--device PATH or --serial SERIAL); both empty: any.
    QString device;
    QString serial;
};

// Reads the command line without needing an application object, so --help,
// --version and mistakes are answered without a display. Returns -1 to go on
// with `options` filled, else the exit code, with `message` to print (to
// stdout for 0, stderr otherwise).
int parseStartOptions(const QStringList &arguments, StartOptions &options, QString &message);

// Loads the translation of the configured language into `translator`
// (by relative name, so from the working directory) and installs it in every
// case. Returns the file name asked for, empty when none applies.
QString installTranslation(QCoreApplication &app, QTranslator &translator);

// Loads Qt's own translation (qtbase) for the configured language from
// Qt's translations directory into `translator` and installs it when found.
void installQtTranslation(QCoreApplication &app, QTranslator &translator);

// Puts the nearest installed font in place of the one the forms were laid
// out for, for the whole application.
void useFormsFont();

// No minimise or maximise button; at least 900 x 600 and fixed at its size.
void fixWindowGeometry(QMainWindow *window);

// The start-up sequence and everything it keeps alive until the end.
class Startup
{
public:
    explicit Startup(const StartOptions &options);
    // Destroys the window, the translators, the settings and the simulated
    // box in that order.
    ~Startup();
    Startup(const Startup &) = delete;
    Startup &operator=(const Startup &) = delete;

    // Reads the configuration, installs the translation, creates, fixes and
    // shows the window and registers the cross-thread types; `app` must exist.
    void prepare(QCoreApplication &app);
    // prepare() if not done yet, then the event loop; returns its exit code.
    int run(QApplication &app);

    MainWindow *window() const { return m_window.get(); }

private:
    void createSimulatedBox();
    void attachSimulatedBox();

    StartOptions m_options;
    // The simulated box lives here for the whole run, installed as the HID
    // backend before the window exists.
    std::unique_ptr<SimSession> m_sim;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<QTranslator> m_qtTranslator;
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QuitSignals> m_quitSignals;
    QString m_translationFile;
};
