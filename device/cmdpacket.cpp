#include "cmdpacket.h"

void CmdPacket::set(uint8_t cmd, const QVector<uint8_t> &payload)
{
    m_cmd = cmd;
    m_payload = payload;
}
