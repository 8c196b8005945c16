// Reading DBC text into a DbcDatabase: a small lexer over the bytes and one
// function per statement. Nothing here depends on the locale.
#include "dbccodec.h"
#include "dbcdatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>

Q_LOGGING_CATEGORY(lcDbc, "votkbox.dbc", QtWarningMsg)

namespace {
constexpr int kMaxSignals = 1 << 18;

struct Token
{
    enum Kind
    {
        End,
        Ident,
        Number,
        String,
        Punct,
    };
    Kind kind = End;
    std::string_view text; // for a string: its contents, escapes undone in `str`
    std::string str;
    int line = 0;
    int column = 0;
};

// Text of a file that may be UTF-8 or, as older tools wrote, Latin-1.
QString textOf(std::string_view bytes)
{
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(bytes.data(), int(bytes.size()));
    const QString utf8 = QString::fromUtf8(bytes.data(), int(bytes.size()));
    if (utf8.contains(QChar::ReplacementCharacter) &&
        bytes.find("\xEF\xBF\xBD") == std::string_view::npos)
        return QString::fromLatin1(bytes.data(), int(bytes.size()));
    return utf8;
}

bool isIdentStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

class Lexer
{
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    // The next token; an End token with `error` set for a character that
    // starts none or a string without its end.
    Token next(QString *error)
    {
        skipSpace();
        Token t;
        t.line = m_line;
        t.column = m_column;
        if (m_pos >= m_text.size())
            return t;
        const size_t start = m_pos;
        const char c = m_text[m_pos];
        const char after = m_pos + 1 < m_text.size() ? m_text[m_pos + 1] : '\0';
        if (isIdentStart(c)) {
            while (m_pos < m_text.size() && (isIdentStart(m_text[m_pos]) || isDigit(m_text[m_pos])))
                advance();
            t.kind = Token::Ident;
        } else if (isDigit(c) || ((c == '-' || c == '+' || c == '.') &&
                                  (isDigit(after) || (after == '.' && c != '.')))) {
            advance();
            while (m_pos < m_text.size()) {
                const char d = m_text[m_pos];
                const char prev = m_text[m_pos - 1];
                if (isDigit(d) || d == '.' || d == 'e' || d == 'E' ||
                    ((d == '-' || d == '+') && (prev == 'e' || prev == 'E')))
                    advance();
                else
                    break;
            }
            t.kind = Token::Number;
        } else if (c == '"') {
            advance();
            for (;;) {
                if (m_pos >= m_text.size()) {
                    *error = QStringLiteral("a string without its closing quote");
                    return t;
                }
                const char d = m_text[m_pos];
                if (d == '"')
                    break;
                if (d == '\\' && m_pos + 1 < m_text.size()) {
                    advance();
                    t.str += m_text[m_pos];
                    advance();
                    continue;
                }
                t.str += d;
                advance();
            }
            advance();
            t.kind = Token::String;
            return t;
        } else if (std::string_view(":;|@()[],+-").find(c) != std::string_view::npos) {
            advance();
            t.kind = Token::Punct;
        } else {
            *error = QStringLiteral("unexpected character '%1'")
                         .arg(uchar(c) >= 0x20 && uchar(c) < 0x7F
                                  ? QString(QLatin1Char(c))
                                  : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0')));
            return t;
        }
        t.text = m_text.substr(start, m_pos - start);
        return t;
    }

private:
    void advance()
    {
        const char c = m_text[m_pos++];
        if (c == '\n') {
            ++m_line;
            m_column = 1;
        } else if ((uchar(c) & 0xC0) != 0x80) { // columns count characters
            ++m_column;
        }
    }
    void skipSpace()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v')
                advance();
            else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/')
                while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                    advance();
            else
                break;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 1;
    int m_column = 1;
};

// Statements of the format this reader has no use for: passed over quietly.
const std::string_view kPassedOver[] = {
    "BO_TX_BU_",   "EV_",         "ENVVAR_DATA_",     "SGTYPE_",
    "SGTYPE_VAL_", "SIG_GROUP_",  "SIG_TYPE_REF_",    "BA_DEF_SGTYPE_",
    "BA_SGTYPE_",  "BA_DEF_REL_", "BA_REL_",          "BA_DEF_DEF_REL_",
    "BU_SG_REL_",  "BU_EV_REL_",  "BU_BO_REL_",       "CAT_DEF_",
    "CAT_",        "FILTER",      "SIGTYPE_VALTYPE_", "NS_DESC_",
};
const std::string_view kRead[] = {
    "VERSION", "NS_",        "BS_",     "BU_",         "BO_", "SG_",          "CM_",
    "VAL_",    "VAL_TABLE_", "BA_DEF_", "BA_DEF_DEF_", "BA_", "SIG_VALTYPE_", "SG_MUL_VAL_",
};

bool isKeyword(std::string_view word)
{
    return std::find(std::begin(kRead), std::end(kRead), word) != std::end(kRead) ||
           std::find(std::begin(kPassedOver), std::end(kPassedOver), word) != std::end(kPassedOver);
}

class Reader
{
public:
    Reader(std::string_view text, const QString &file) : m_lexer(text), m_file(file) {}

    DbcLoad read()
    {
        take();
        while (!m_failed && m_token.kind != Token::End)
            statement();
        DbcLoad load;
        if (m_failed) {
            load.error = m_error;
            load.warnings = m_warnings;
            return load;
        }
        finish();
        load.ok = true;
        load.database = std::move(m_db);
        load.warnings = m_warnings;
        return load;
    }

private:
    // Moves on to the next token; a lexing error fails the reading there.
    void take()
    {
        m_lastLine = m_token.line;
        QString error;
        m_token = m_lexer.next(&error);
        if (!error.isEmpty())
            fail(error);
    }
    bool fail(const QString &message)
    {
        if (!m_failed) {
            m_failed = true;
            m_error = {m_file, m_token.line, m_token.column, message};
        }
        return false;
    }
    void warn(int line, const QString &message)
    {
        m_warnings << QStringLiteral("%1:%2: %3").arg(m_file).arg(line).arg(message);
        qCDebug(lcDbc) << m_warnings.last();
    }
    bool isPunct(char c) const { return m_token.kind == Token::Punct && m_token.text[0] == c; }
    bool expectPunct(char c, const char *what)
    {
        if (!isPunct(c))
            return fail(QStringLiteral("expected '%1' %2").arg(QLatin1Char(c)).arg(what));
        take();
        return !m_failed;
    }
    bool expectIdent(QString *out, const char *what)
    {
        if (m_token.kind != Token::Ident)
            return fail(QStringLiteral("expected %1").arg(QLatin1String(what)));
        *out = QString::fromLatin1(m_token.text.data(), int(m_token.text.size()));
        take();
        return !m_failed;
    }
    bool expectString(QString *out, const char *what)
    {
        if (m_token.kind != Token::String)
            return fail(QStringLiteral("expected %1 in quotes").arg(QLatin1String(what)));
        *out = textOf(m_token.str);
        take();
        return !m_failed;
    }
    // A whole number in [low, high]; a decimal with no fraction counts too.
    bool expectInteger(qint64 *out, qint64 low, qint64 high, const char *what)
    {
        if (m_token.kind == Token::Number) {
            std::string_view digits = m_token.text;
            if (!digits.empty() && digits[0] == '+')
                digits.remove_prefix(1);
            qint64 value = 0;
            const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            bool ok = r.ec == std::errc() && r.ptr == digits.data() + digits.size();
            if (!ok && r.ec != std::errc::result_out_of_range) {
                double d = 0;
                ok = readDouble(&d) && d == std::floor(d) && d >= -9.2e18 && d <= 9.2e18;
                value = ok ? qint64(d) : 0;
            }
            if (ok && value >= low && value <= high) {
                *out = value;
                take();
                return !m_failed;
            }
        }
        return fail(QStringLiteral("expected %1 (a whole number from %2 to %3)")
                        .arg(QLatin1String(what))
                        .arg(low)
                        .arg(high));
    }
    bool readDouble(double *out) const
    {
        std::string_view digits = m_token.text;
        if (!digits.empty() && digits[0] == '+')
            digits.remove_prefix(1);
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), *out);
        return r.ec == std::errc() && r.ptr == digits.data() + digits.size() && std::isfinite(*out);
    }
    bool expectDouble(double *out, const char *what)
    {
        if (m_token.kind != Token::Number || !readDouble(out))
            return fail(QStringLiteral("expected %1 (a number)").arg(QLatin1String(what)));
        take();
        return !m_failed;
    }
    // Passes over the rest of a statement: up to its ';', or up to the next
    // line that starts with a keyword for a statement that has none.
    void skipStatement()
    {
        const int line = m_token.line;
        while (!m_failed && m_token.kind != Token::End) {
            if (isPunct(';')) {
                take();
                return;
            }
            if (m_token.kind == Token::Ident && m_token.line != line && isKeyword(m_token.text))
                return;
            take();
        }
    }
    // Message by its identifier as the file writes it (bit 31: extended).
    DbcMessage *message(quint64 fileId)
    {
        const auto it = m_byFileId.find(quint32(fileId));
        return it == m_byFileId.end() ? nullptr : &m_db.messages[size_t(it->second)];
    }
    // By name through an index: a file may name thousands of signals in
    // as many statements.
    DbcSignal *signal(DbcMessage *m, const QString &name)
    {
        if (!m)
            return nullptr;
        const QHash<QString, int> &names = m_signalNames[size_t(m - m_db.messages.data())];
        const auto it = names.constFind(name);
        return it == names.cend() ? nullptr : &m->signalList[size_t(*it)];
    }
    // Reads "ID SIGNAL" naming a signal; null (warned) when there is none.
    bool signalRef(DbcSignal **out, DbcMessage **owner = nullptr)
    {
        const int line = m_token.line;
        qint64 id = 0;
        QString name;
        if (!expectInteger(&id, 0, 0xFFFFFFFF, "a message identifier") ||
            !expectIdent(&name, "a signal name"))
            return false;
        DbcMessage *m = message(quint64(id));
        *out = signal(m, name);
        if (owner)
            *owner = m;
        if (!*out)
            warn(line, QStringLiteral("no signal %1 in a message %2").arg(name).arg(id));
        return true;
    }

    void statement()
    {
        if (m_token.kind != Token::Ident) {
            fail(QStringLiteral("expected a keyword"));
            return;
        }
        const std::string_view word = m_token.text;
        const int line = m_token.line;
        if (word != "SG_")
            m_current = -1;
        take();
        if (m_failed)
            return;
        if (word == "VERSION") {
            expectString(&m_db.version, "the version");
        } else if (word == "NS_") {
            // The names of the statement kinds, indented on the lines below.
            expectPunct(':', "after NS_");
            while (!m_failed && m_token.kind == Token::Ident &&
                   (m_token.line == line || m_token.column > 1))
                take();
        } else if (word == "BS_") {
            expectPunct(':', "after BS_");
            while (!m_failed && m_token.kind != Token::End && m_token.line == line)
                take();
        } else if (word == "BU_") {
            expectPunct(':', "after BU_");
            while (!m_failed && m_token.kind == Token::Ident && m_token.line == line) {
                m_db.nodes << QString::fromLatin1(m_token.text.data(), int(m_token.text.size()));
                take();
            }
        } else if (word == "BO_") {
            messageStatement(line);
        } else if (word == "SG_") {
            signalStatement(line);
        } else if (word == "CM_") {
            commentStatement();
        } else if (word == "VAL_TABLE_") {
            QString name;
            std::vector<std::pair<qint64, QString>> table;
            if (expectIdent(&name, "the value table's name") && labels(&table))
                m_db.valueTables.insert(name, table);
        } else if (word == "VAL_") {
            valueStatement();
        } else if (word == "BA_DEF_DEF_") {
            attributeDefault();
        } else if (word == "BA_") {
            attribute();
        } else if (word == "SIG_VALTYPE_") {
            valueType(line);
        } else if (word == "SG_MUL_VAL_") {
            DbcSignal *s = nullptr;
            DbcMessage *m = nullptr;
            if (signalRef(&s, &m) && m && m->decoded) {
                m->decoded = false;
                warn(line, QStringLiteral("message %1 has several multiplexers (SG_MUL_VAL_); "
                                          "it is not decoded")
                               .arg(m->name));
            }
            skipStatement();
        } else if (word == "BA_DEF_") {
            skipStatement();
        } else {
            if (std::find(std::begin(kPassedOver), std::end(kPassedOver), word) ==
                std::end(kPassedOver)) {
                const std::string key(word);
                if (m_unknown.insert(key).second)
                    warn(line, QStringLiteral("unknown keyword %1 passed over")
                                   .arg(QString::fromStdString(key)));
            }
            skipStatement();
        }
    }

    void messageStatement(int line)
    {
        if (m_db.messages.size() >= size_t(kDbcMaxMessages)) {
            fail(QStringLiteral("more than %1 messages").arg(kDbcMaxMessages));
            return;
        }
        DbcMessage m;
        m.line = line;
        qint64 id = 0;
        qint64 dlc = 0;
        if (!expectInteger(&id, 0, 0xFFFFFFFF, "the message identifier") ||
            !expectIdent(&m.name, "the message name") || !expectPunct(':', "after the name") ||
            !expectInteger(&dlc, 0, 64, "the data length") ||
            !expectIdent(&m.sender, "the sending node"))
            return;
        m.extended = (id & 0x80000000) != 0;
        m.id = quint32(id & 0x7FFFFFFF);
        m.dlc = int(dlc);
        m_current = int(m_db.messages.size());
        m_byFileId.emplace(quint32(id), m_current);
        m_db.messages.push_back(std::move(m));
        m_signalNames.emplace_back();
    }

    void signalStatement(int line)
    {
        if (m_current < 0) {
            fail(QStringLiteral("SG_ outside a message"));
            return;
        }
        DbcMessage &m = m_db.messages[size_t(m_current)];
        if (m.signalList.size() >= size_t(kDbcMaxSignalsPerMessage) || m_signals >= kMaxSignals) {
            fail(QStringLiteral("too many signals"));
            return;
        }
        DbcSignal s;
        if (!expectIdent(&s.name, "the signal name"))
            return;
        if (m_token.kind == Token::Ident) {
            // "M", "mN", or "mNM" (a multiplexed multiplexer: not decoded).
            const std::string_view mux = m_token.text;
            if (mux == "M") {
                s.mux = DbcMux::Multiplexer;
            } else if (mux.size() > 1 && mux[0] == 'm') {
                std::string_view digits = mux.substr(1);
                const bool alsoMultiplexer = digits.back() == 'M';
                if (alsoMultiplexer)
                    digits.remove_suffix(1);
                const auto r =
                    std::from_chars(digits.data(), digits.data() + digits.size(), s.muxValue);
                if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() ||
                    s.muxValue < 0) {
                    fail(QStringLiteral("expected M or mN before ':'"));
                    return;
                }
                s.mux = DbcMux::Multiplexed;
                if (alsoMultiplexer && m.decoded) {
                    m.decoded = false;
                    warn(line, QStringLiteral("message %1 has several multiplexers; it is not "
                                              "decoded")
                                   .arg(m.name));
                }
            } else {
                fail(QStringLiteral("expected M or mN before ':'"));
                return;
            }
            take();
        }
        qint64 start = 0;
        qint64 length = 0;
        qint64 order = 0;
        if (!expectPunct(':', "after the signal name"))
            return;
        const Token startToken = m_token;
        if (!expectInteger(&start, 0, kDbcMaxBits - 1, "the start bit") ||
            !expectPunct('|', "after the start bit") ||
            !expectInteger(&length, 1, 64, "the length in bits") ||
            !expectPunct('@', "after the length") ||
            !expectInteger(&order, 0, 1, "the byte order 0 or 1"))
            return;
        if (!isPunct('+') && !isPunct('-')) {
            fail(QStringLiteral("expected '+' or '-' after the byte order"));
            return;
        }
        s.isSigned = isPunct('-');
        take();
        s.startBit = int(start);
        s.length = int(length);
        s.order = order == 0 ? DbcByteOrder::Motorola : DbcByteOrder::Intel;
        if (!dbcLayout(s)) {
            m_token = startToken; // the error names the start bit
            fail(QStringLiteral("signal %1 does not fit in %2 data bytes")
                     .arg(s.name)
                     .arg(kDbcMaxBits / 8));
            return;
        }
        if (!expectPunct('(', "before the factor") || !expectDouble(&s.factor, "the factor") ||
            !expectPunct(',', "after the factor") || !expectDouble(&s.offset, "the offset") ||
            !expectPunct(')', "after the offset") || !expectPunct('[', "before the minimum") ||
            !expectDouble(&s.minimum, "the minimum") || !expectPunct('|', "after the minimum") ||
            !expectDouble(&s.maximum, "the maximum") || !expectPunct(']', "after the maximum") ||
            !expectString(&s.unit, "the unit"))
            return;
        while (!m_failed && m_token.line == m_lastLine &&
               (m_token.kind == Token::Ident || isPunct(','))) {
            if (m_token.kind == Token::Ident)
                s.receivers << QString::fromLatin1(m_token.text.data(), int(m_token.text.size()));
            take();
        }
        if (s.factor == 0)
            warn(line, QStringLiteral("signal %1 has the factor 0").arg(s.name));
        if (s.mux == DbcMux::Multiplexer) {
            if (m.multiplexer >= 0 && m.decoded) {
                m.decoded = false;
                warn(line, QStringLiteral("message %1 has several multiplexers; it is not "
                                          "decoded")
                               .arg(m.name));
            }
            m.multiplexer = int(m.signalList.size());
        }
        ++m_signals;
        QHash<QString, int> &names = m_signalNames[size_t(m_current)];
        if (!names.contains(s.name))
            names.insert(s.name, int(m.signalList.size()));
        m.signalList.push_back(std::move(s));
    }

    void commentStatement()
    {
        QString text;
        const int line = m_token.line;
        if (m_token.kind == Token::String) {
            expectString(&m_db.comment, "the comment");
        } else if (m_token.kind == Token::Ident && m_token.text == "BU_") {
            QString node;
            take();
            if (expectIdent(&node, "the node name") && expectString(&text, "the comment"))
                m_db.nodeComments.insert(node, text);
        } else if (m_token.kind == Token::Ident && m_token.text == "BO_") {
            take();
            qint64 id = 0;
            if (expectInteger(&id, 0, 0xFFFFFFFF, "a message identifier") &&
                expectString(&text, "the comment")) {
                if (DbcMessage *m = message(quint64(id)))
                    m->comment = text;
                else
                    warn(line, QStringLiteral("no message %1 for the comment").arg(id));
            }
        } else if (m_token.kind == Token::Ident && m_token.text == "SG_") {
            take();
            DbcSignal *s = nullptr;
            if (signalRef(&s) && expectString(&text, "the comment") && s)
                s->comment = text;
        }
        if (!m_failed)
            skipStatement();
    }

    // "N "text" N "text" ... ;", sorted by N.
    bool labels(std::vector<std::pair<qint64, QString>> *table)
    {
        while (!m_failed && !isPunct(';')) {
            qint64 value = 0;
            QString text;
            if (!expectInteger(&value, std::numeric_limits<qint64>::min(),
                               std::numeric_limits<qint64>::max(), "a raw value") ||
                !expectString(&text, "the value's text"))
                return false;
            table->emplace_back(value, text);
        }
        if (!expectPunct(';', "at the end"))
            return false;
        std::stable_sort(table->begin(), table->end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        return true;
    }

    void valueStatement()
    {
        if (m_token.kind != Token::Number) { // the values of an environment variable
            skipStatement();
            return;
        }
        DbcSignal *s = nullptr;
        std::vector<std::pair<qint64, QString>> table;
        if (signalRef(&s) && labels(&table) && s)
            s->labels = std::move(table);
    }

    // The value of BA_ or BA_DEF_DEF_: a number, or a string (kept as none).
    bool attributeValue(double *value, bool *isNumber)
    {
        *isNumber = m_token.kind == Token::Number;
        if (*isNumber)
            return expectDouble(value, "the attribute's value");
        QString ignored;
        return expectString(&ignored, "the attribute's value");
    }

    void attributeDefault()
    {
        QString name;
        double value = 0;
        bool isNumber = false;
        if (!expectString(&name, "the attribute's name") || !attributeValue(&value, &isNumber))
            return;
        if (isNumber && name == QLatin1String("GenMsgCycleTime"))
            m_cycleDefault = value;
        if (isNumber && name == QLatin1String("GenSigStartValue"))
            m_startDefault = value;
        skipStatement();
    }

    void attribute()
    {
        QString name;
        double value = 0;
        bool isNumber = false;
        if (!expectString(&name, "the attribute's name"))
            return;
        if (m_token.kind == Token::Ident && m_token.text == "BO_") {
            take();
            qint64 id = 0;
            if (!expectInteger(&id, 0, 0xFFFFFFFF, "a message identifier") ||
                !attributeValue(&value, &isNumber))
                return;
            DbcMessage *m = message(quint64(id));
            if (m && isNumber && name == QLatin1String("GenMsgCycleTime") && value >= 0 &&
                value <= 1e9)
                m->cycleTimeMs = int(value);
        } else if (m_token.kind == Token::Ident && m_token.text == "SG_") {
            take();
            DbcSignal *s = nullptr;
            if (!signalRef(&s) || !attributeValue(&value, &isNumber))
                return;
            if (s && isNumber && name == QLatin1String("GenSigStartValue")) {
                s->startValue = value;
                s->hasStartValue = true;
            }
        }
        skipStatement();
    }

    void valueType(int line)
    {
        DbcSignal *s = nullptr;
        qint64 type = 0;
        if (!signalRef(&s))
            return;
        if (isPunct(':'))
            take();
        if (!expectInteger(&type, 0, 2, "the value type 0, 1 or 2") ||
            !expectPunct(';', "at the end"))
            return;
        if (!s)
            return;
        const int needs = type == 1 ? 32 : 64;
        if (type != 0 && s->length != needs) {
            warn(line, QStringLiteral("signal %1 has %2 bits, not the %3 of its float type")
                           .arg(s->name)
                           .arg(s->length)
                           .arg(needs));
            return;
        }
        s->type = type == 0   ? DbcValueType::Integer
                  : type == 1 ? DbcValueType::Float32
                              : DbcValueType::Float64;
    }

    // Defaults, signals that share bits, the index.
    void finish()
    {
        for (DbcMessage &m : m_db.messages) {
            if (m.cycleTimeMs < 0 && m_cycleDefault >= 0 && m_cycleDefault <= 1e9)
                m.cycleTimeMs = int(m_cycleDefault);
            std::bitset<kDbcMaxBits> always;
            std::map<qint64, std::bitset<kDbcMaxBits>> branches;
            for (DbcSignal &s : m.signalList) {
                if (!s.hasStartValue && !std::isnan(m_startDefault)) {
                    s.startValue = m_startDefault;
                    s.hasStartValue = true;
                }
                if (s.mux == DbcMux::Multiplexed)
                    continue;
                if (place(s, always))
                    warn(m.line, QStringLiteral("signal %1 overlaps another in message %2")
                                     .arg(s.name, m.name));
            }
            for (DbcSignal &s : m.signalList) {
                if (s.mux != DbcMux::Multiplexed)
                    continue;
                auto it = branches.find(s.muxValue);
                if (it == branches.end())
                    it = branches.emplace(s.muxValue, always).first;
                if (place(s, it->second))
                    warn(m.line, QStringLiteral("signal %1 overlaps another in message %2")
                                     .arg(s.name, m.name));
            }
        }
        for (const QString &w : m_db.index())
            m_warnings << m_file + QStringLiteral(":") + w.mid(5); // "line N: ..." as "file:N: ..."
    }

    // Marks the bits of `s` as taken; true when one already was.
    static bool place(const DbcSignal &s, std::bitset<kDbcMaxBits> &taken)
    {
        std::bitset<kDbcMaxBits> bits;
        const int l = s.layout.shift;
        // The bits as a stream position over the whole data, as dbcLayout counts.
        for (int i = 0; i < s.length; ++i) {
            const int pos = l + i; // from the low end of the bytes read
            const int byteFromLow = pos / 8;
            const int byte = s.order == DbcByteOrder::Intel
                                 ? s.layout.firstByte + byteFromLow
                                 : s.layout.firstByte + s.layout.byteCount - 1 - byteFromLow;
            bits.set(size_t(byte * 8 + pos % 8));
        }
        const bool overlaps = (bits & taken).any();
        taken |= bits;
        return overlaps;
    }

    Lexer m_lexer;
    QString m_file;
    Token m_token;
    int m_lastLine = 0;
    bool m_failed = false;
    DbcError m_error;
    QStringList m_warnings;
    DbcDatabase m_db;
    std::map<quint32, int> m_byFileId;
    std::vector<QHash<QString, int>> m_signalNames; // per message, first of a name
    std::set<std::string> m_unknown;
    int m_current = -1;
    int m_signals = 0;
    double m_cycleDefault = -1;
    double m_startDefault = std::nan("");
};

// The first line longer than the limit, 0 without one.
int overlongLine(std::string_view text)
{
    int line = 1;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        const size_t length = (end == std::string_view::npos ? text.size() : end) - start;
        if (length > size_t(kDbcMaxLineLength))
            return line;
        if (end == std::string_view::npos)
            return 0;
        start = end + 1;
        ++line;
    }
}
} // namespace

QString DbcError::text() const
{
    if (line <= 0)
        return QStringLiteral("%1: %2").arg(file, message);
    return QStringLiteral("%1:%2:%3: %4").arg(file).arg(line).arg(column).arg(message);
}

QStringList DbcDatabase::index()
{
    QStringList warnings;
    byStandardId.assign(0x800, -1);
    for (size_t i = 0; i < messages.size(); ++i) {
        DbcMessage &m = messages[i];
        for (DbcSignal &s : m.signalList)
            dbcLayout(s);
        if (m.extended || m.id > 0x7FF)
            continue;
        int &slot = byStandardId[m.id];
        if (slot < 0)
            slot = int(i);
        else
            warnings << QStringLiteral("line %1: message %2 has the identifier %3 of message "
                                       "%4, which is kept")
                            .arg(m.line)
                            .arg(m.name, QString::number(m.id, 16).toUpper().rightJustified(3, '0'),
                                 messages[size_t(slot)].name);
    }
    return warnings;
}

DbcLoad parseDbc(const QByteArray &bytes, const QString &file)
{
    std::string_view text(bytes.constData(), size_t(bytes.size()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    if (const int line = overlongLine(text)) {
        DbcLoad load;
        load.error = {file, line, kDbcMaxLineLength + 1,
                      QStringLiteral("a line longer than %1 characters").arg(kDbcMaxLineLength)};
        return load;
    }
    return Reader(text, file).read();
}

DbcLoad loadDbc(const QString &path)
{
    QFile f(path);
    const QFileInfo info(path);
    DbcLoad load;
    load.error.file = path;
    if (!info.isFile()) {
        load.error.message =
            info.exists() ? QStringLiteral("not a regular file") : QStringLiteral("no such file");
        return load;
    }
    if (info.size() > kDbcMaxFileBytes) {
        load.error.message = QStringLiteral("larger than %1 MiB, more than a database holds")
                                 .arg(kDbcMaxFileBytes >> 20);
        return load;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        load.error.message = f.errorString();
        return load;
    }
    return parseDbc(f.readAll(), path);
}

DbcDatabase mergeDbc(std::vector<DbcDatabase> databases, QStringList *warnings)
{
    DbcDatabase merged;
    for (DbcDatabase &db : databases) {
        if (merged.version.isEmpty())
            merged.version = db.version;
        if (merged.comment.isEmpty())
            merged.comment = db.comment;
        for (const QString &node : db.nodes)
            if (!merged.nodes.contains(node))
                merged.nodes << node;
        for (auto it = db.nodeComments.cbegin(); it != db.nodeComments.cend(); ++it)
            if (!merged.nodeComments.contains(it.key()))
                merged.nodeComments.insert(it.key(), it.value());
        for (auto it = db.valueTables.cbegin(); it != db.valueTables.cend(); ++it)
            if (!merged.valueTables.contains(it.key()))
                merged.valueTables.insert(it.key(), it.value());
        for (DbcMessage &m : db.messages)
            merged.messages.push_back(std::move(m));
    }
    const QStringList w = merged.index();
    if (warnings)
        *warnings << w;
    return merged;
}
