#pragma once

#include <QObject>
#include <QVariant>

#include <mutex>

class QSettings;

// The tool's configuration, in config.ini. Every key has one entry in the
// list in config.cpp: its name in the file, its type and its default. Values
// are typed (QString, int, bool or QStringList); the file keeps the spellings older
// versions read ("1"/"0", decimal numbers). Reading is safe from any thread;
// set() belongs to the thread that owns the object.
class Config : public QObject
{
    Q_OBJECT
public:
    enum Key
    {
        Language,       // "cn" or "en"; other text loads no translation
        CanTime,        // the box's CAN time in ms, as last kept
        AutoConnect,    // connect to a box when it is plugged in
        CanRxRowLimit,  // rows the CAN receive table keeps before the oldest give way
        CanRxAlways,    // the box keeps reporting and frames are received on every tab
        UpgradeDir,     // where the upgrade file chooser opens
        DbcFiles,       // the CAN databases loaded at start, a list of paths
        PlotLayoutFile, // the signal plot layout last saved or loaded
        RecordRotateMb, // a recording starts a new numbered file after so many MB (0: never)
        RecordRotateS,  // ... or after so many seconds (0: never)
        BoxSerial,      // the USB serial number of the box chosen last among several
        CanTxList,      // the CAN tab's transmit rows, one line each as the list file has them
    };
    Q_ENUM(Key)

    explicit Config(QObject *parent = nullptr);

    // The key's value, of the key's type.
    QVariant get(Key key) const;
    // Keeps `value`, writes it to the file and emits changed(). A value equal
    // to the current one changes nothing; one that does not fit the key's type
    // is refused (false). A file that cannot be written is told through the
    // write warning (configfile.h); the value holds for this run.
    bool set(Key key, const QVariant &value);

    // Reads every key from `settings`: a missing, empty or unfitting value
    // gives the default. The keys of the first version are written back when
    // missing or empty; the newer ones never are, so a file without them
    // stays as it was.
    void load(QSettings &settings);
    // Back to the defaults, in memory only.
    void resetToDefaults();

signals:
    void changed(Config::Key key);

private:
    mutable std::mutex m_mutex;
    QVariantList m_values;
};

// The configuration of this process.
Config *config();
