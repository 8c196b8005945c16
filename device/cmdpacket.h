#pragma once

#include <QVector>

#include <cstdint>

// One command code and its payload: the unit sent to and read from the box.
class CmdPacket
{
public:
    void set(uint8_t cmd, const QVector<uint8_t> &payload);

    uint8_t getCmd() const { return m_cmd; }
    void setCmd(uint8_t cmd) { m_cmd = cmd; }
    QVector<uint8_t> getPayload() const { return m_payload; }
    void setPayload(const QVector<uint8_t> &payload) { m_payload = payload; }

private:
    uint8_t m_cmd = 0;
    QVector<uint8_t> m_payload;
};
