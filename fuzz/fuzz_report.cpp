// Any input report decodes into a packet whose payload fits one frame, and the
// received-frame vector the receive thread forwards is exactly that payload.
#include "reportframing.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const CmdPacket packet = decodeInputReport(data, size);
    const QVector<uint8_t> payload = packet.getPayload();
    if (payload.size() > LINK_MAX_PAYLOAD)
        std::abort();
    const int lengthByte = size > 1 ? data[1] : 0;
    const int expected = lengthByte > 2 ? std::min(lengthByte - 2, LINK_MAX_PAYLOAD) : 0;
    if (payload.size() != expected)
        std::abort();
    if (packet.getCmd() != (size > 2 ? data[2] : 0))
        std::abort();
    for (int i = 0; i < payload.size(); ++i) {
        const size_t at = size_t(3 + i);
        if (payload.at(i) != (at < size ? data[at] : 0))
            std::abort();
    }
    // Whatever came in, re-framing the packet fits one output report.
    uint8_t report[LINK_REPORT_LEN];
    if (!encodeCommandReport(packet, report) || report[0] != 0 || report[1] != LINK_FRAME_MARKER)
        std::abort();
    return 0;
}
