#pragma once

#include <QString>

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Which identifiers the receive table shows: a list of identifiers and
// inclusive ranges, "7DF, 100-1FF", either the only ones shown or the ones
// hidden. Asking is one bit test, so a filter over ten million stored frames
// is a single quick pass.
class CanIdFilter
{
public:
    enum class Mode
    {
        ShowOnly,
        Hide
    };
    // The identifier a name stands for (a message of a CAN database), -1 for
    // none.
    using NameLookup = std::function<int(const QString &name)>;
    // Hexadecimal identifiers up to FFFF, or ranges "first-last" with
    // first <= last, separated by commas or spaces; with `names`, a name it
    // knows stands for its identifier, even where it also reads as hex. No
    // value for anything else, an empty list included.
    static std::optional<CanIdFilter> parse(const QString &text, Mode mode,
                                            const NameLookup &names = nullptr);

    // `id` is -1 for a record too short to have one: never among the listed.
    bool accepts(int id) const { return listed(id) != (m_mode == Mode::Hide); }
    Mode mode() const { return m_mode; }

private:
    // Made by parse() only: a filter without its list would read through null.
    CanIdFilter() = default;
    bool listed(int id) const { return id >= 0 && m_listed->test(size_t(id)); }

    Mode m_mode = Mode::ShowOnly;
    std::shared_ptr<std::bitset<0x10000>> m_listed;
};

// A data pattern to search for: two-digit hexadecimal bytes and "??" for any
// byte, separated by spaces ("02 ?? 0c"). It matches a frame whose data
// holds it anywhere, as consecutive bytes.
class CanDataPattern
{
public:
    // No value for an empty text or anything but bytes and "??".
    static std::optional<CanDataPattern> parse(const QString &text);

    bool matches(const uint8_t *data, int length) const;

private:
    std::vector<uint8_t> m_bytes;
    std::vector<bool> m_any;
};
