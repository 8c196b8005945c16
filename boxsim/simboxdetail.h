#pragma once

// What the simulated box's source files share; not for use outside boxsim/.
#include <QByteArray>
#include <QString>
#include <QVector>

#include <algorithm>
#include <cstdint>

namespace simbox_detail {
constexpr int kFrameLen = 64;
constexpr int kImageSize = 0x38000;
constexpr int kReportsPerBlock = 256;
constexpr int kImageReports = kImageSize / 64;
constexpr uint8_t kOtaOk = 0x0E;
constexpr uint8_t kOtaBadSum = 0x0D;
constexpr uint8_t kOtaIncomplete = 0x0F;
// Reply reads at least this long count as "the reply time-out" for instant mode.
constexpr int kInstantThresholdMs = 1000;
// The box resets this long after its finish reply has gone out.
constexpr int kResetAfterFinishMs = 20;

inline QByteArray frame(uint8_t cmd, const QVector<uint8_t> &payload)
{
    QByteArray f(kFrameLen, '\0');
    const int n = std::min(payload.size(), kFrameLen - 3);
    f[0] = 8;
    f[1] = char((n + 2) & 0xFF);
    f[2] = char(cmd);
    for (int i = 0; i < n; ++i)
        f[3 + i] = char(payload.at(i));
    return f;
}

inline QVector<uint8_t> latin1(const QString &text)
{
    QVector<uint8_t> v;
    for (char c : text.toLatin1())
        v.append(uint8_t(c));
    return v;
}
} // namespace simbox_detail
