#include "otahandle.h"

#include "appconfig.h"
#include "commands.h"
#include "devicelink.h"

#include <QDataStream>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <vector>

namespace {
const QString kProgressText = QStringLiteral("进度:正在升级");
const QString kSuccessText = QStringLiteral("结果:升级成功,请重新上电VOTK设备");
const QString kFailureText = QStringLiteral("结果:升级失败");
constexpr int kReportsPerBlock = int(OTA_BLOCK_SIZE / OTA_REPORT_DATA);
constexpr int kBlocks = int(OTA_DATA_SIZE / OTA_BLOCK_SIZE);

uint32_t littleEndian32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int payloadByte(const QVector<uint8_t> &payload, int index)
{
    return index < payload.size() ? int(payload.at(index)) : -1;
}
} // namespace

OtaHandle::OtaHandle() = default;

OtaHandle::~OtaHandle()
{
    wait();
}

int OtaHandle::read_ota_file(const QString &path)
{
    QFile file(path);
    // On Linux a directory opens for reading; it is no upgrade file all the same.
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        qDebug().noquote() << ota_file_errors.value(3);
        return 1;
    }
    // A short file leaves zeros behind its end, never stale or undefined bytes.
    std::vector<uint8_t> buffer(OTA_FILE_SIZE, 0);
    QDataStream stream(&file);
    if (stream.readRawData(reinterpret_cast<char *>(buffer.data()), int(OTA_FILE_SIZE)) < 0) {
        qDebug().noquote() << ota_file_errors.value(3);
        return 1;
    }
    file.close();

    ota_file_size = littleEndian32(buffer.data());
    qDebug() << "ota file size" << ota_file_size;
    std::memcpy(ota_data, buffer.data() + OTA_HEADER_SIZE, OTA_DATA_SIZE);
    const uint8_t crc = crc8Maxim(buffer.data(), OTA_FILE_SIZE - 1);
    return crc == buffer[OTA_FILE_SIZE - 1] ? 0 : 2;
}

bool OtaHandle::check_file_size()
{
    return ota_file_size != OTA_FILE_SIZE;
}

bool OtaHandle::check_file_flag()
{
    const uint32_t flag = littleEndian32(ota_data + OTA_FLAG_OFFSET);
    qDebug() << "flag:" << Qt::hex << flag;
    return std::memcmp(ota_data + OTA_FLAG_OFFSET, "votk", 4) != 0;
}

quint16 OtaHandle::imageSum() const
{
    quint16 sum = 0;
    for (uint32_t i = 0; i < OTA_DATA_SIZE; ++i)
        sum = quint16(sum + ota_data[i]);
    return sum;
}

int OtaHandle::send_ota_start()
{
    emit sig_send_ota_progress(10, kProgressText);
    const quint16 sum = imageSum();
    qDebug() << Qt::hex << sum;

    const LinkReply reply =
        DeviceLink::instance()->exchange(CMD_OTA_START, {uint8_t(sum & 0xFF), uint8_t(sum >> 8)});
    const QVector<uint8_t> payload = reply.payload();
    QDebug line = qDebug();
    line << reply.result << int(reply.packet.getCmd());
    if (!payload.isEmpty())
        line << int(payload.at(0));

    emit sig_send_ota_progress(20, kProgressText);
    return reply.result;
}

void OtaHandle::send_ota_data()
{
    DeviceLink *link = DeviceLink::instance();
    int progress = 20;
    for (int block = 0; block < kBlocks; ++block) {
        const uint8_t *blockData = ota_data + size_t(block) * OTA_BLOCK_SIZE;
        for (int report = 0; report < kReportsPerBlock; ++report)
            link->writeRaw(blockData + size_t(report) * OTA_REPORT_DATA, int(OTA_REPORT_DATA));
        emit sig_send_ota_progress(progress, kProgressText);

        CmdPacket reply;
        const int received = link->receivePacket(reply, true);
        const QVector<uint8_t> payload = reply.getPayload();
        QDebug line = qDebug();
        line << received << int(reply.getCmd());
        if (payload.size() > 0)
            line << int(payload.at(0));
        if (payload.size() > 1)
            line << Qt::hex << int(payload.at(1));
        if (payload.size() > 2)
            line << int(payload.at(2));
        progress += 5;
    }
    qDebug() << Qt::hex << imageSum();
}

void OtaHandle::send_ota_finish()
{
    DeviceLink::instance()->exchange(CMD_OTA_FINISH);
}

int OtaHandle::read_ota_result()
{
    return payloadByte(DeviceLink::instance()->exchange(CMD_OTA_RESULT).payload(), 0);
}

void OtaHandle::run()
{
    DeviceLink *link = DeviceLink::instance();
    // Keep every other thread off the link: a stray command between the raw
    // reports would corrupt the image, a stray read would take its replies.
    if (!link->claim()) {
        emit sig_send_ota_progress(85, kFailureText);
        qDebug() << "ota failed ***" << -1;
        return;
    }

    send_ota_start();
    send_ota_data();

    // The restarting box must not be grabbed by the hot-plug handler.
    const QString autoConnect = AppConfig::getAutoConnect();
    if (autoConnect == QLatin1String("1"))
        AppConfig::setAutoConnect(QStringLiteral("0"));

    send_ota_finish();

    qDebug() << "delay start";
    QThread::msleep(m_restartPauseMs);
    qDebug() << "delay stop";

    const bool reopened = link->open() == 0;
    link->setConnected(false);

    if (autoConnect == QLatin1String("1"))
        AppConfig::setAutoConnect(QStringLiteral("1"));

    // A box that is not back has no handle to write to: that is a failed upgrade.
    const int result = reopened ? read_ota_result() : -1;
    // Free the link before the verdict, so that whoever acts on it finds the link free.
    link->release();

    if (result == OTA_RESULT_OK) {
        qDebug() << "ota success ***" << result;
        emit sig_send_ota_progress(100, kSuccessText);
    } else {
        emit sig_send_ota_progress(85, kFailureText);
        qDebug() << "ota failed ***" << result;
    }
}
