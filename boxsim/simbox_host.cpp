// The simulated box as the host sees it: its handle, the reports written to
// it and the commands it answers.
#include "simbox.h"

#include "commands.h"
#include "simboxdetail.h"

#include <algorithm>
#include <cstring>

using namespace simbox_detail;

quint64 SimBox::openSession()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged)
        return 0;
    // What the box sent while the node was closed reached nobody.
    advanceLocked(Clock::now());
    // The box serves one open handle at a time, like a re-opened hidraw node;
    // a new handle starts with an empty queue.
    m_session = m_nextSession++;
    m_hostQueue.clear();
    return m_session;
}

void SimBox::closeSession(quint64 session)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (session == 0 || session != m_session)
        return;
    // Reports that reached the handle before it closed go with it.
    advanceLocked(Clock::now());
    m_session = 0;
    m_hostQueue.clear();
}

int SimBox::hostWrite(quint64 session, const uint8_t *data, size_t length)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged || session == 0 || session != m_session || !data || length == 0)
            return -1;
        const QByteArray bytes(reinterpret_cast<const char *>(data), int(length));
        const bool raw = m_rawRemaining > 0;
        const Clock::time_point now = Clock::now();
        advanceLocked(now);
        if (!raw)
            sendInFlightLocked(now);
        m_wire.append(bytes);
        m_wireRaw.append(raw);
        if (raw) {
            handleRawLocked(data + 1, length - 1);
        } else if (length >= 4) {
            const int lengthByte = data[2];
            const size_t n = lengthByte > 2 ? std::min<size_t>(lengthByte - 2, length - 4) : 0;
            QVector<uint8_t> payload;
            for (size_t i = 0; i < n; ++i)
                payload.append(data[4 + i]);
            handleCommandLocked(data[3], payload);
        }
    }
    m_cond.notify_all();
    return int(length);
}

void SimBox::handleRawLocked(const uint8_t *data, size_t length)
{
    m_image.append(reinterpret_cast<const char *>(data), int(length));
    ++m_rawReports;
    --m_rawRemaining;
    if (m_blockAnswers && m_rawReports % kReportsPerBlock == 0) {
        const int block = m_rawReports / kReportsPerBlock;
        const int received = m_image.size();
        replyLocked(CMD_OTA_START, {uint8_t(block), uint8_t((received >> 16) & 0xFF),
                                    uint8_t((received >> 8) & 0xFF)});
    }
}

void SimBox::handleCommandLocked(uint8_t cmd, const QVector<uint8_t> &payload)
{
    switch (cmd) {
    case CMD_GET_WIFI_INFO:
        replyLocked(cmd, latin1(m_wifiName + QLatin1Char(',') + m_wifiPassword));
        break;
    case CMD_SET_WIFI_INFO: {
        QString text;
        for (uint8_t b : payload)
            text.append(QChar(b));
        const int comma = text.indexOf(QLatin1Char(','));
        m_wifiName = comma < 0 ? text : text.left(comma);
        m_wifiPassword = comma < 0 ? QString() : text.mid(comma + 1);
        replyLocked(cmd, {0x01});
        break;
    }
    case CMD_GET_SOFTWARE_ID:
        replyLocked(cmd, latin1(m_identity.softwareId));
        break;
    case CMD_GET_SOFTWARE_VERSION: {
        const quint32 v = m_identity.softwareVersion;
        replyLocked(cmd, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
        break;
    }
    case CMD_GET_HARDWARE_ID:
        replyLocked(cmd, latin1(m_identity.hardwareId));
        break;
    case CMD_CAN_FRAME:
        m_sentCan.append(payload);
        break;
    case CMD_OTA_START:
        m_announcedSum = quint16(payload.value(0) | (payload.value(1) << 8));
        m_announced = true;
        m_image.clear();
        m_rawReports = 0;
        m_rawRemaining = kImageReports;
        replyLocked(cmd, {0x01});
        break;
    case CMD_OTA_FINISH: {
        quint16 sum = 0;
        for (char c : qAsConst(m_image))
            sum = quint16(sum + uint8_t(c));
        if (!m_announced || m_rawReports != kImageReports || m_image.size() != kImageSize)
            m_lastOtaVerdict = kOtaIncomplete;
        else
            m_lastOtaVerdict = sum == m_announcedSum ? kOtaOk : kOtaBadSum;
        m_announced = false;
        m_rawRemaining = 0;
        replyLocked(cmd, {0x01});
        m_goingAway = true;
        m_goAwayAt = Clock::now() + std::chrono::milliseconds(m_replyDelayMs + kResetAfterFinishMs);
        m_timerCond.notify_all();
        break;
    }
    case CMD_OTA_RESULT:
        replyLocked(cmd,
                    {uint8_t(m_otaResultOverride >= 0 ? m_otaResultOverride : m_lastOtaVerdict)});
        break;
    case CMD_PROBE:
        replyLocked(cmd, {0x01});
        break;
    case CMD_ENTER_USB_MODE:
        replyLocked(cmd, {m_usbModeAnswer});
        break;
    case CMD_CAN_RX_ENABLE:
        m_canReporting = payload.value(0) != 0;
        if (!m_canReporting)
            m_burstLeft = 0; // the backlog is not sent once reporting is off
        m_rateStart = Clock::now();
        m_rateFramesDone = 0;
        replyLocked(cmd, {0x01});
        break;
    case CMD_GET_CAN_TIME:
        replyLocked(cmd, {m_canTime});
        break;
    case CMD_SET_CAN_TIME:
        m_canTime = payload.value(0);
        replyLocked(cmd, {0x01});
        break;
    case CMD_WIFI_FACTORY_RESET:
        m_wifiName = m_defaultWifiName;
        m_wifiPassword = m_defaultWifiPassword;
        replyLocked(cmd, {0x01});
        break;
    default:
        break; // the box ignores codes it does not know
    }
}

SimBox::Fault SimBox::faultForLocked(uint8_t cmd) const
{
    if (m_faultCmd >= 0 && m_faultCmd != cmd)
        return Fault::None;
    return m_fault;
}

void SimBox::replyLocked(uint8_t cmd, const QVector<uint8_t> &payload)
{
    QByteArray f = frame(cmd, payload);
    const auto scripted = m_answerNext.find(cmd);
    if (scripted != m_answerNext.end()) {
        m_outgoing.push_back({Clock::now(), scripted->second});
        m_answerNext.erase(scripted);
        return;
    }
    switch (faultForLocked(cmd)) {
    case Fault::Silent:
        return;
    case Fault::LengthByte:
        f[1] = char(m_faultLengthByte);
        break;
    case Fault::WrongCommand:
        f[2] = char(cmd ^ 0x80);
        break;
    case Fault::None:
        break;
    }
    m_outgoing.push_back({Clock::now() + std::chrono::milliseconds(m_replyDelayMs), f});
}
