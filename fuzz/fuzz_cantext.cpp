// Any typed data-field text and cursor: a rewrite never yields more than 23
// characters, only hex digits and spaces, and a rewritten text is stable (the
// nested change it causes rewrites nothing). Any ID and data text parse into a
// payload of the ID's two bytes plus one byte per piece.
#include "cantext.h"

#include <cstdlib>

namespace {
bool hexOrSpace(const QString &t)
{
    for (QChar c : t)
        if (!(c == QLatin1Char(' ') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))))
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool formatting = data[0] & 1;
    const QString typed = QString::fromLatin1(reinterpret_cast<const char *>(data + 2), int(size - 2));
    const int cursor = data[1] % (typed.size() + 1);

    const CanDataRewrite r = canDataRewrite(typed, cursor, formatting);
    if (r.rewrite) {
        if (r.text.size() > CAN_DATA_MAX_TEXT)
            std::abort();
        if (hexOrSpace(typed) && !hexOrSpace(r.text))
            std::abort();
        // The field reports the rewrite at once with the flag raised.
        const CanDataRewrite nested = canDataRewrite(r.text, r.text.size(), true);
        if (nested.rewrite)
            std::abort();
    }

    const QVector<uint8_t> payload = canSendPayload(typed.left(3), typed);
    const QStringList pieces = typed.trimmed().split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (payload.size() != 2 + pieces.size())
        std::abort();
    const quint16 id = canIdValue(typed.left(3));
    if (payload.at(0) != (id & 0xFF) || payload.at(1) != (id >> 8))
        std::abort();
    if (!canRxDataText(payload).endsWith(QLatin1Char(' ')) && payload.size() > 2)
        std::abort();
    return 0;
}
