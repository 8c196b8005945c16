#include "frameclock.h"

#include <chrono>

namespace {
struct Anchor
{
    qint64 wallUs;
    std::chrono::steady_clock::time_point steady;
};

const Anchor &anchor()
{
    using namespace std::chrono;
    static const Anchor a{
        duration_cast<microseconds>(system_clock::now().time_since_epoch()).count(),
        steady_clock::now()};
    return a;
}
} // namespace

qint64 frameReadTimeUs()
{
    using namespace std::chrono;
    const Anchor &a = anchor();
    return a.wallUs + duration_cast<microseconds>(steady_clock::now() - a.steady).count();
}
