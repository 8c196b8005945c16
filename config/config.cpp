#include "config.h"

#include "configfile.h"

#include <QSettings>

namespace {
enum class Type
{
    Text,
    Number,
    Flag,
    List // of texts, as QSettings writes a list
};

struct KeyInfo
{
    Config::Key key;
    const char *name;
    Type type;
    const char *defaultText; // as written in the file
    bool completed;          // written back at start-up when missing
};

// The one list of keys, in the order of Config::Key.
const KeyInfo kKeys[] = {
    {Config::Language, "language", Type::Text, "cn", true},
    {Config::CanTime, "can_time", Type::Number, "30", true},
    {Config::AutoConnect, "auto_connect", Type::Flag, "1", true},
    {Config::CanRxRowLimit, "can_rx_row_limit", Type::Number, "10000000", false},
    {Config::CanRxAlways, "can_rx_always", Type::Flag, "0", false},
    {Config::UpgradeDir, "upgrade_dir", Type::Text, ".", false},
    {Config::DbcFiles, "dbc_files", Type::List, "", false},
    {Config::PlotLayoutFile, "plot_layout_file", Type::Text, "", false},
    {Config::RecordRotateMb, "record_rotate_mb", Type::Number, "0", false},
    {Config::RecordRotateS, "record_rotate_s", Type::Number, "0", false},
    {Config::BoxSerial, "box_serial", Type::Text, "", false},
    {Config::CanTxList, "can_tx_list", Type::List, "", false},
};
constexpr int kKeyCount = int(sizeof(kKeys) / sizeof(kKeys[0]));

const KeyInfo &info(Config::Key key)
{
    return kKeys[int(key)];
}

// A list without its empty entries; never invalid, an empty list is a value.
QVariant listValue(const QStringList &items)
{
    QStringList kept;
    for (const QString &item : items)
        if (!item.trimmed().isEmpty())
            kept.append(item);
    return kept;
}

// The typed value of a file text, or an invalid one when the text does not fit.
QVariant fromText(Type type, const QString &text)
{
    switch (type) {
    case Type::Text:
        return text.isEmpty() ? QVariant() : QVariant(text);
    case Type::Number: {
        bool ok = false;
        const int number = text.trimmed().toInt(&ok);
        return ok && number > 0 ? QVariant(number) : QVariant();
    }
    case Type::Flag:
        // On only as "1", as every version has read it.
        return text.isEmpty() ? QVariant() : QVariant(text == QLatin1String("1"));
    case Type::List:
        return listValue(text.split(QLatin1Char(',')));
    }
    return QVariant();
}

QString toText(Type type, const QVariant &value)
{
    if (type == Type::Flag)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

// `value` as the key's type, or an invalid one when it does not fit.
QVariant fitted(Type type, const QVariant &value)
{
    switch (type) {
    case Type::Text:
        return value.userType() == QMetaType::QString ? fromText(type, value.toString())
                                                      : QVariant();
    case Type::Number: {
        bool ok = false;
        const int number = value.toInt(&ok);
        return ok && number > 0 && value.userType() != QMetaType::QString ? QVariant(number)
                                                                          : QVariant();
    }
    case Type::Flag:
        return value.userType() == QMetaType::Bool ? value : QVariant();
    case Type::List:
        return value.userType() == QMetaType::QStringList ? listValue(value.toStringList())
                                                          : QVariant();
    }
    return QVariant();
}

QVariant defaultValue(const KeyInfo &key)
{
    return fromText(key.type, QLatin1String(key.defaultText));
}
} // namespace

Config::Config(QObject *parent) : QObject(parent)
{
    resetToDefaults();
}

QVariant Config::get(Key key) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_values.at(int(key));
}

bool Config::set(Key key, const QVariant &value)
{
    const KeyInfo &k = info(key);
    const QVariant typed = fitted(k.type, value);
    if (!typed.isValid())
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_values.at(int(key)) == typed)
            return true;
        m_values[int(key)] = typed;
    }
    QSettings settings(configFilePath(), QSettings::IniFormat);
    if (k.type == Type::List)
        settings.setValue(QLatin1String(k.name), typed.toStringList());
    else
        settings.setValue(QLatin1String(k.name), toText(k.type, typed));
    noteConfigWrite(settings);
    emit changed(key);
    return true;
}

void Config::load(QSettings &settings)
{
    bool wrote = false;
    for (const KeyInfo &key : kKeys) {
        const QVariant stored = settings.value(QLatin1String(key.name));
        const QString text = stored.toString();
        // QSettings reads "a, b" as a list, a single path as a text.
        const QVariant value =
            key.type == Type::List ? listValue(stored.toStringList()) : fromText(key.type, text);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_values[int(key.key)] = value.isValid() ? value : defaultValue(key);
        }
        if (key.completed && text.isEmpty()) {
            settings.setValue(QLatin1String(key.name), QLatin1String(key.defaultText));
            wrote = true;
        }
    }
    if (wrote)
        noteConfigWrite(settings);
}

void Config::resetToDefaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.clear();
    for (int n = 0; n < kKeyCount; ++n) {
        Q_ASSERT(kKeys[n].key == Key(n));
        m_values.append(defaultValue(kKeys[n]));
    }
}

Config *config()
{
    static Config instance;
    return &instance;
}
