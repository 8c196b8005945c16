#include "loadeddbc.h"

#include "windowlog.h"

#include <utility>
#include <vector>

LoadedDbc::Outcome LoadedDbc::load(const QStringList &paths)
{
    Outcome outcome;
    std::vector<DbcDatabase> databases;
    for (const QString &path : paths) {
        DbcLoad read = loadDbc(path);
        if (!read.ok) {
            outcome.failed << read.error.text();
            continue;
        }
        outcome.loaded << path;
        outcome.warnings << read.warnings;
        databases.push_back(std::move(read.database));
    }
    if (databases.empty())
        return outcome;
    auto merged = std::make_shared<DbcDatabase>(mergeDbc(std::move(databases), &outcome.warnings));
    outcome.messages = int(merged->messages.size());
    m_database = std::move(merged);
    for (const QString &warning : std::as_const(outcome.warnings))
        qCDebug(lcWindow).noquote() << "dbc:" << warning;
    emit changed();
    return outcome;
}

void LoadedDbc::clear()
{
    if (!m_database)
        return;
    m_database.reset();
    emit changed();
}

int LoadedDbc::messageId(const QString &name) const
{
    if (!m_database)
        return -1;
    // The spelling of the file first; another case only when it is the one
    // way to read the name.
    int folded = -1;
    for (const DbcMessage &m : m_database->messages) {
        if (m_database->standardMessage(m.id) != &m)
            continue; // extended, or hidden by an earlier one
        if (m.name == name)
            return int(m.id);
        if (folded < 0 && m.name.compare(name, Qt::CaseInsensitive) == 0)
            folded = int(m.id);
    }
    return folded;
}

LoadedDbc *loadedDbc()
{
    static LoadedDbc instance;
    return &instance;
}
