#include "simbox.h"

#include "commands.h"

#include <algorithm>
#include <cstring>

namespace {
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

QByteArray frame(uint8_t cmd, const QVector<uint8_t> &payload)
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

QVector<uint8_t> latin1(const QString &text)
{
    QVector<uint8_t> v;
    for (char c : text.toLatin1())
        v.append(uint8_t(c));
    return v;
}
} // namespace

SimBox::SimBox() : m_rateStart(Clock::now())
{
    m_timer = std::thread([this] { restartTimerLoop(); });
}

SimBox::~SimBox()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutdown = true;
    }
    m_timerCond.notify_all();
    m_cond.notify_all();
    m_timer.join();
}

SimBox::Identity SimBox::identity() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_identity;
}

void SimBox::setIdentity(const Identity &identity)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_identity = identity;
}

QString SimBox::wifiName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wifiName;
}

QString SimBox::wifiPassword() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wifiPassword;
}

void SimBox::setWifi(const QString &name, const QString &password)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wifiName = name;
    m_wifiPassword = password;
}

uint8_t SimBox::canTime() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_canTime;
}

void SimBox::setCanTime(uint8_t ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_canTime = ms;
}

bool SimBox::canReporting() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_canReporting;
}

void SimBox::setUsbModeAnswer(uint8_t answer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_usbModeAnswer = answer;
}

bool SimBox::isPlugged() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

void SimBox::unplug()
{
    bool was;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        was = m_plugged;
        m_restarting = false;
        m_goingAway = false;
        unplugLocked(false);
    }
    m_cond.notify_all();
    if (was)
        notify(false);
}

void SimBox::plug()
{
    bool was;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        was = m_plugged;
        m_plugged = true;
        m_restarting = false;
    }
    if (!was)
        notify(true);
}

void SimBox::setRestartTimeMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_restartTimeMs = ms;
}

void SimBox::setPlugListener(std::function<void(bool)> listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_plugListener = std::move(listener);
}

void SimBox::notify(bool plugged)
{
    std::function<void(bool)> listener;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listener = m_plugListener;
    }
    if (listener)
        listener(plugged);
}

void SimBox::setFault(Fault fault, int cmd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = fault;
    m_faultCmd = cmd;
}

void SimBox::setFaultLengthByte(uint8_t lengthByte)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faultLengthByte = lengthByte;
}

void SimBox::clearFaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = Fault::None;
    m_faultCmd = -1;
    m_replyDelayMs = 0;
}

void SimBox::setReplyDelayMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_replyDelayMs = std::max(0, ms);
}

void SimBox::setInstantTimeouts(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_instantTimeouts = on;
}

void SimBox::answerNext(uint8_t cmd, const QByteArray &f)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray padded = f.left(kFrameLen);
    padded.append(QByteArray(kFrameLen - padded.size(), '\0'));
    m_answerNext[cmd] = padded;
}

void SimBox::setFramesInFlight(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_framesInFlight = std::max(0, count);
}

quint64 SimBox::droppedReports()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // What was lost while nobody read counts too.
    advanceLocked(Clock::now());
    return m_dropped;
}

void SimBox::setCanRate(double framesPerSecond)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_canRate = std::max(0.0, framesPerSecond);
        m_rateStart = Clock::now();
        m_rateFramesDone = 0;
    }
    m_cond.notify_all();
}

void SimBox::queueCanBurst(int count)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_burstLeft += quint64(std::max(0, count));
    }
    m_cond.notify_all();
}

void SimBox::queueCanFrame(const QVector<uint8_t> &payload)
{
    queueInputReport(frame(CMD_CAN_FRAME, payload));
}

void SimBox::queueInputReport(const QByteArray &f)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QByteArray padded = f.left(kFrameLen);
        padded.append(QByteArray(kFrameLen - padded.size(), '\0'));
        m_outgoing.push_back({Clock::now(), padded});
    }
    m_cond.notify_all();
}

QList<QVector<uint8_t>> SimBox::sentCanFrames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sentCan;
}

quint64 SimBox::generatedFramesRead() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_generated;
}

void SimBox::setBlockAnswers(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blockAnswers = on;
}

int SimBox::rawReportsReceived() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rawReports;
}

QByteArray SimBox::receivedImage() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_image;
}

void SimBox::setOtaResultOverride(int code)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_otaResultOverride = code;
}

QList<QByteArray> SimBox::wire() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wire;
}

QList<uint8_t> SimBox::commandsOnWire() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<uint8_t> codes;
    for (int i = 0; i < m_wire.size(); ++i)
        if (!m_wireRaw.at(i) && m_wire.at(i).size() > 3)
            codes.append(uint8_t(m_wire.at(i).at(3)));
    return codes;
}

void SimBox::clearWire()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wire.clear();
    m_wireRaw.clear();
    m_sentCan.clear();
}

quint64 SimBox::openSession()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged)
        return 0;
    // The box serves one open handle at a time, like a re-opened hidraw node;
    // a new handle starts with an empty queue.
    m_session = m_nextSession++;
    m_hostQueue.clear();
    return m_session;
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

void SimBox::sendInFlightLocked(Clock::time_point now)
{
    if (!m_canReporting || (m_canRate <= 0 && m_burstLeft == 0))
        return;
    for (int i = 0; i < m_framesInFlight; ++i) {
        if (m_burstLeft > 0)
            --m_burstLeft;
        else
            ++m_rateFramesDone; // the stream's next frames, sent early
        m_outgoing.push_back({now, nextGeneratedFrameLocked()});
    }
}

bool SimBox::nextRateDueLocked(Clock::time_point now, Clock::time_point &due) const
{
    (void)now;
    if (!m_canReporting || m_canRate <= 0)
        return false;
    const double next = double(m_rateFramesDone + 1) / m_canRate;
    due = m_rateStart +
          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(next));
    return true;
}

QByteArray SimBox::nextGeneratedFrameLocked()
{
    // A plausible bus: a few identifiers, a counter and a slowly changing value.
    static const quint16 ids[] = {0x0C9, 0x1A0, 0x2F1, 0x3E9, 0x7DF, 0x7E8};
    const quint64 n = m_generated++;
    const quint16 id = ids[n % (sizeof(ids) / sizeof(ids[0]))];
    QVector<uint8_t> payload = {uint8_t(id & 0xFF), uint8_t(id >> 8)};
    for (int i = 0; i < 8; ++i)
        payload.append(uint8_t((n >> (8 * (i % 4))) + i));
    return frame(CMD_CAN_FRAME, payload);
}

void SimBox::arriveLocked(const QByteArray &report)
{
    if (m_session == 0)
        return; // nobody has the node open: the report goes nowhere
    if (int(m_hostQueue.size()) >= kHostQueueReports) {
        ++m_dropped;
        return;
    }
    m_hostQueue.push_back(report);
}

// Moves everything the box has sent by `now` to the host, in the order sent.
void SimBox::advanceLocked(Clock::time_point now)
{
    for (;;) {
        Clock::time_point due;
        const bool rateDue = nextRateDueLocked(now, due) && due <= now;
        const bool sentDue = !m_outgoing.empty() && m_outgoing.front().readyAt <= now;
        if (sentDue && (!rateDue || m_outgoing.front().readyAt <= due)) {
            arriveLocked(m_outgoing.front().frame);
            m_outgoing.pop_front();
        } else if (rateDue) {
            ++m_rateFramesDone;
            if (int(m_hostQueue.size()) >= kHostQueueReports && m_session != 0) {
                // Lost on arrival: count it without building it, so a host
                // that stops reading for long costs little.
                ++m_generated;
                ++m_dropped;
            } else {
                arriveLocked(nextGeneratedFrameLocked());
            }
        } else {
            break;
        }
    }
    // The backlog goes out one frame per frame taken, so it never overflows
    // the host's queue by itself.
    if (m_burstLeft > 0 && m_canReporting && m_session != 0 && m_hostQueue.empty()) {
        --m_burstLeft;
        m_hostQueue.push_back(nextGeneratedFrameLocked());
    }
}

SimBox::Clock::time_point SimBox::nextArrivalLocked() const
{
    Clock::time_point next = Clock::time_point::max();
    if (!m_outgoing.empty())
        next = m_outgoing.front().readyAt;
    Clock::time_point due;
    if (nextRateDueLocked(Clock::now(), due))
        next = std::min(next, due);
    return next;
}

int SimBox::hostRead(quint64 session, uint8_t *data, size_t length, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline =
        timeoutMs < 0 ? Clock::time_point::max() : start + std::chrono::milliseconds(timeoutMs);
    const bool instant = m_instantTimeouts && timeoutMs >= kInstantThresholdMs;
    for (;;) {
        if (!m_plugged || session == 0 || session != m_session)
            return -1;
        const Clock::time_point now = Clock::now();
        advanceLocked(now);
        if (!m_hostQueue.empty()) {
            const QByteArray &out = m_hostQueue.front();
            const size_t n = std::min<size_t>(length, size_t(out.size()));
            std::memcpy(data, out.constData(), n);
            m_hostQueue.pop_front();
            return int(n);
        }
        if (now >= deadline)
            return 0;
        // In instant mode a reply read gives up at once unless something the
        // box has sent (a delayed reply, say) arrives within the time-out.
        if (instant && (m_outgoing.empty() || m_outgoing.front().readyAt > deadline))
            return 0;
        m_cond.wait_until(lock, std::min(deadline, nextArrivalLocked()));
    }
}

void SimBox::unplugLocked(bool restart)
{
    m_plugged = false;
    m_session = 0;
    m_outgoing.clear();
    m_hostQueue.clear();
    m_burstLeft = 0;
    m_goingAway = false;
    m_canReporting = false;
    m_rawRemaining = 0;
    if (restart && m_restartTimeMs >= 0) {
        m_restarting = true;
        m_backAt = Clock::now() + std::chrono::milliseconds(m_restartTimeMs);
        m_timerCond.notify_all();
    }
}

void SimBox::checkRestartLocked(Clock::time_point now)
{
    if (m_restarting && now >= m_backAt) {
        m_restarting = false;
        m_plugged = true;
    }
}

void SimBox::restartTimerLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_shutdown) {
        if (m_goingAway) {
            m_timerCond.wait_until(lock, m_goAwayAt);
            if (m_shutdown)
                break;
            if (m_goingAway && Clock::now() >= m_goAwayAt) {
                // The reset takes the node away whether or not the host has
                // read the finish reply yet.
                const bool was = m_plugged;
                unplugLocked(true);
                if (was) {
                    lock.unlock();
                    m_cond.notify_all();
                    notify(false);
                    lock.lock();
                }
            }
        } else if (m_restarting) {
            m_timerCond.wait_until(lock, m_backAt);
            if (m_shutdown)
                break;
            const bool was = m_plugged;
            checkRestartLocked(Clock::now());
            if (!was && m_plugged) {
                lock.unlock();
                notify(true);
                lock.lock();
            }
        } else {
            m_timerCond.wait(lock);
        }
    }
}
