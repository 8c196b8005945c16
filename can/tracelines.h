#pragma once

#include "canframetype.h"
#include "capturefile.h"

#include <QtGlobal>

#include <string_view>

// The lines of the text traces other tools write (Vector ASC, PEAK TRC,
// python-can's CSV), read one at a time into frames. Internal to the capture
// reading: each reader keeps what the lines before told it (number base,
// start time, columns).

// What a line may carry for the use it is read for.
struct CaptureLimits
{
    quint32 maxId;
    int maxBytes;
    bool extended; // whether an extended frame is taken
};

// What one line was.
enum class TraceLine
{
    Frame,   // a frame, in the frame given
    NoFrame, // a header, comment or event line that holds no frame
    Problem, // a line that should be a frame and cannot be read or sent
};

struct TraceLineResult
{
    TraceLine kind = TraceLine::NoFrame;
    CaptureProblem problem = CaptureProblem::None;
};

class AscLines
{
public:
    TraceLineResult read(std::string_view line, const CaptureLimits &limits, CanFrame *frame);

private:
    int m_base = 16;
    bool m_relative = false;
    qint64 m_startUs = 0;
    // The time of the last timed line, for relative times.
    qint64 m_lastUs = 0;
};

class TrcLines
{
public:
    TraceLineResult read(std::string_view line, const CaptureLimits &limits, CanFrame *frame);

private:
    TraceLineResult readVersion1(std::string_view line, const CaptureLimits &limits,
                                 CanFrame *frame);
    TraceLineResult readVersion2(std::string_view line, const CaptureLimits &limits,
                                 CanFrame *frame);

    // The version times ten: 10 without a ";$FILEVERSION" line.
    int m_version = 10;
    qint64 m_startUs = 0;
    // The column letters of a 2.x line, in order ("N,O,T,B,I,d,R,L,D" in 2.1).
    char m_columns[16] = {};
    int m_columnCount = 0;
};

// "1733580000.123456,0x7df,0,0,0,3,AgEM": python-can's CSV, after its header.
TraceLineResult readPythonCsvLine(std::string_view line, const CaptureLimits &limits,
                                  CanFrame *frame);

// The header line of python-can's CSV.
constexpr std::string_view kPythonCsvHeader =
    "timestamp,arbitration_id,extended,remote,error,dlc,data";
