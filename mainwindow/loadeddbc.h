#pragma once

#include "dbcdatabase.h"

#include <QObject>
#include <QStringList>

#include <memory>

// The CAN database the window decodes frames with, shared by every view over
// frames (the CAN tab, trace windows, opened captures). Replaced whole, never
// changed in place, so a view holding it never sees half a database.
class LoadedDbc : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        QStringList loaded;   // the files read
        QStringList failed;   // "file:line:column: why" of each file left out
        QStringList warnings; // each names its file and line
        int messages = 0;
    };

    // Reads `paths` as one database and makes it the loaded one; a file that
    // cannot be read is left out, the others still load. Without any file
    // read, the one loaded stays.
    Outcome load(const QStringList &paths);
    // No database any more.
    void clear();
    // Null while none is loaded.
    std::shared_ptr<const DbcDatabase> database() const { return m_database; }
    // The identifier of the message named `name` (case-insensitive), -1 when
    // the database has none.
    int messageId(const QString &name) const;

signals:
    void changed();

private:
    std::shared_ptr<const DbcDatabase> m_database;
};

// The database of this process.
LoadedDbc *loadedDbc();
