#include "cantext.h"

#include "canframe.h"

#include <QDateTime>

Q_LOGGING_CATEGORY(lcCanTyping, "votkbox.typing", QtInfoMsg)

namespace {
// The text past which a field is rewritten wherever its cursor is.
constexpr int kRewriteThreshold = 22;

// How the debug logger shows a text: in double quotes.
QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The value of an ASCII hexadecimal digit, or -1.
int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}
} // namespace

QString format_hex_pairs(const QString &token)
{
    QString result;
    const int pairs = token.size() / 2;
    result.reserve(pairs * 3);
    for (int k = 0; k < pairs; ++k) {
        result += token.at(2 * k);
        result += token.at(2 * k + 1);
        result += QLatin1Char(' ');
    }
    return result;
}

CanDataRewrite canDataRewrite(const QString &text, int cursorPosition, bool formatting)
{
    // What the handler decided and why, in the window's debug log.
    const auto note = [](const QString &line) { qCDebug(lcCanTyping).noquote() << line; };
    CanDataRewrite r;
    const int length = text.size();
    const bool endsWithSpace = text.endsWith(QLatin1Char(' '));
    note(QStringLiteral("#### %1 ##### %2")
             .arg(quoted(text), formatting ? QStringLiteral("true") : QStringLiteral("false")));
    if (length <= 1)
        return r;
    if (!endsWithSpace && length <= kRewriteThreshold) {
        note(QStringLiteral("return 2"));
        return r;
    }
    if (cursorPosition != length && length <= kRewriteThreshold) {
        note(QStringLiteral("return 3"));
        return r;
    }
    // The change notification of our own rewrite.
    if (formatting)
        return r;

    note(QStringLiteral("can handle"));
    const QStringList tokens = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString result;
    for (int i = 0; i < tokens.size(); ++i) {
        QString token = tokens.at(i);
        note(quoted(token));
        // A finished odd group gets its leading zero; the one being typed
        // does not, so an odd ninth digit is simply dropped.
        if (token.size() % 2 == 1 && (endsWithSpace || i < tokens.size() - 1)) {
            token.insert(token.size() - 1, QLatin1Char('0'));
            note(quoted(token));
        }
        result += format_hex_pairs(token);
    }
    result.truncate(CAN_DATA_MAX_TEXT);
    note(quoted(result));
    r.rewrite = true;
    r.text = result;
    return r;
}

std::optional<quint16> parseCanId(const QString &text)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    if (end == begin || end - begin > 3)
        return std::nullopt;
    uint value = 0;
    for (int i = begin; i < end; ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + uint(digit);
    }
    if (value > CAN_ID_MAX)
        return std::nullopt;
    return quint16(value);
}

std::optional<QVector<uint8_t>> parseCanData(const QString &text)
{
    QVector<uint8_t> bytes;
    QString body = text;
    if (body.endsWith(QLatin1Char(' ')))
        body.chop(1);
    if (body.isEmpty())
        return text.isEmpty() ? std::optional<QVector<uint8_t>>(bytes) : std::nullopt;

    // One run of pairs, as pasted: the field would split it at every second digit.
    if (body.size() > 2 && !body.contains(QLatin1Char(' '))) {
        if (body.size() % 2 != 0 || body.size() > 2 * CAN_DATA_MAX_BYTES)
            return std::nullopt;
        for (int i = 0; i < body.size(); i += 2) {
            const int high = hexDigit(body.at(i));
            const int low = hexDigit(body.at(i + 1));
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.append(uint8_t(high << 4 | low));
        }
        return bytes;
    }

    // Two spaces in a row, a leading space or a piece of three digits would
    // otherwise invent or merge bytes.
    const QStringList pieces = body.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (pieces.size() > CAN_DATA_MAX_BYTES)
        return std::nullopt;
    for (const QString &piece : pieces) {
        if (piece.isEmpty() || piece.size() > 2)
            return std::nullopt;
        int value = 0;
        for (QChar c : piece) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + digit;
        }
        bytes.append(uint8_t(value));
    }
    return bytes;
}

QString canRxTimeText(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString CanRxClock::text(qint64 msecsSinceEpoch)
{
    const auto [second, milli] = floorDivide(msecsSinceEpoch, 1000);
    // Local time offsets are whole seconds: the prefix holds for the whole second.
    if (second != m_second) {
        m_second = second;
        m_prefix = canRxTimeText(msecsSinceEpoch).left(9); // "hh:mm:ss."
    }
    QString text = m_prefix;
    text += QLatin1Char(char('0' + milli / 100));
    text += QLatin1Char(char('0' + milli / 10 % 10));
    text += QLatin1Char(char('0' + milli % 10));
    return text;
}

QString CanRxClock::now()
{
    return text(QDateTime::currentMSecsSinceEpoch());
}
