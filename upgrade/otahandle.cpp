#include "otahandle.h"

#include "boxcommands.h"
#include "devicelink.h"
#include "upgradelog.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kReportsPerBlock = int(OTA_BLOCK_SIZE / OTA_REPORT_DATA);
constexpr int kBlocks = int(OTA_DATA_SIZE / OTA_BLOCK_SIZE);

// A debug line put together item by item.
QDebug debugLine()
{
    return QMessageLogger().debug(lcUpgrade());
}
} // namespace

OtaHandle::OtaHandle(DeviceLink &link) : m_link(link)
{
    qRegisterMetaType<OtaVerdict>();
}

OtaHandle::~OtaHandle()
{
    wait();
}

bool OtaHandle::setImage(const QByteArray &image)
{
    // A short image would go out zero-filled: never what was built.
    if (image.size() != int(sizeof(ota_data)))
        return false;
    std::memcpy(ota_data, image.constData(), sizeof(ota_data));
    return true;
}

quint16 OtaHandle::imageSum() const
{
    quint16 sum = 0;
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        sum = quint16(sum + ota_data[i]);
    return sum;
}

void OtaHandle::reportProgress(int value)
{
    m_progress = value;
    emit sig_send_ota_progress(value);
}

bool OtaHandle::send_ota_start()
{
    reportProgress(10);
    const quint16 sum = imageSum();
    qCDebug(lcUpgrade) << Qt::hex << sum;

    const BoxAnswer<uint8_t> reply = BoxCommands::otaStart(m_link, sum);
    QDebug line = debugLine();
    line << reply.answered;
    if (reply.value)
        line << int(*reply.value);
    // A silent box may still take the image (its block answers tell); a
    // failed write or read means it is gone.
    if (reply.linkFailed)
        return false;
    reportProgress(20);
    return true;
}

bool OtaHandle::send_ota_data()
{
    for (int block = 0; block < kBlocks; ++block) {
        const uint8_t *blockData = ota_data + size_t(block) * OTA_BLOCK_SIZE;
        for (int report = 0; report < kReportsPerBlock; ++report)
            if (m_link.writeRaw(blockData + size_t(report) * OTA_REPORT_DATA,
                                int(OTA_REPORT_DATA)) <= 0)
                return false;
        reportProgress(20 + 5 * block);

        CmdPacket reply;
        const int received = m_link.receiveAnswer(reply);
        const QVector<uint8_t> payload = reply.getPayload();
        QDebug line = debugLine();
        line << received << int(reply.getCmd());
        if (payload.size() > 0)
            line << int(payload.at(0));
        if (payload.size() > 1)
            line << Qt::hex << int(payload.at(1));
        if (payload.size() > 2)
            line << int(payload.at(2));
        // The box answers every block; without that answer the next block
        // would go to a box that is not taking it.
        if (received <= 0)
            return false;
    }
    qCDebug(lcUpgrade) << Qt::hex << imageSum();
    return true;
}

bool OtaHandle::send_ota_finish()
{
    // The box may reset before its reply reaches us: only the write counts.
    return BoxCommands::otaFinish(m_link).sent;
}

std::optional<int> OtaHandle::read_ota_result()
{
    const BoxAnswer<uint8_t> reply = BoxCommands::otaResult(m_link);
    if (reply.linkFailed)
        return std::nullopt;
    return reply.value ? int(*reply.value) : -1;
}

// The verdict byte of the box, -1 without one; none when it went away.
std::optional<int> OtaHandle::transfer()
{
    // Whatever comes of it, the release of the link after the transfer
    // leaves it not connected: the user connects anew.
    if (!send_ota_start() || !send_ota_data() || !send_ota_finish())
        return std::nullopt;

    emit sig_ota_restarting();
    qCDebug(lcUpgrade) << "delay start";
    QThread::msleep(m_restartPauseMs);
    qCDebug(lcUpgrade) << "delay stop";

    const bool reopened = m_link.open() == 0;
    // A box that is not back has no handle to write to.
    return reopened ? read_ota_result() : std::nullopt;
}

void OtaHandle::run()
{
    m_progress = 0;
    // Keep every other thread off the link: a stray command between the raw
    // reports would corrupt the image, a stray read would take its replies.
    // While the link is held the hot-plug handler leaves the restarting box alone.
    if (!m_link.claim()) {
        emit sig_send_ota_progress(m_progress);
        qCDebug(lcUpgrade) << "ota failed ***" << -1;
        emit sig_ota_verdict(OtaVerdict::LinkBusy);
        return;
    }
    const std::optional<int> result = transfer();
    // Free the link before the verdict, so that whoever acts on it finds the link free.
    m_link.release();

    if (result == OTA_RESULT_OK) {
        qCDebug(lcUpgrade) << "ota success ***" << *result;
        emit sig_send_ota_progress(100);
        emit sig_ota_verdict(OtaVerdict::Success);
    } else {
        // A cut transfer must never pass for a finished one: its verdict says
        // so and the bar stays where the transfer got to.
        emit sig_send_ota_progress(m_progress);
        if (result)
            qCDebug(lcUpgrade) << "ota failed ***" << *result;
        else
            qCDebug(lcUpgrade) << "ota failed ***"
                               << "box gone";
        emit sig_ota_verdict(result ? OtaVerdict::Failed : OtaVerdict::Interrupted);
    }
}
