#pragma once

#include <QString>

// Why a new WiFi name and password cannot go to the box. The box splits its
// settings at "," and stores one byte per character, so either would store
// something other than what was typed; an empty name would wipe its network name.
enum class WifiTextProblem
{
    None,
    EmptyName,
    NameComma,
    NameNotLatin1,
    PasswordComma,
    PasswordNotLatin1,
    NameControl,      // a control character (newline, tab, ...) in the name
    PasswordControl,  // ... or in the password
    TooLong,          // name, comma and password do not fit one command report
    NameTooLong,      // over 32 bytes, the most a network name holds
    PasswordNotAscii, // a WPA2 passphrase is printable ASCII
    PasswordTooShort, // 1 to 7 characters: WPA2 takes 8 to 63 and would
    PasswordTooLong,  // ... leave the box unreachable with anything else
    OpenNetwork,      // no password: the network will be open; to be confirmed
};

// Most bytes of a network name, and the lengths of a WPA2 passphrase.
constexpr int kWifiNameMax = 32;
constexpr int kWifiPasswordMin = 8;
constexpr int kWifiPasswordMax = 63;

// Most characters of name and password together: one command report's
// payload less the comma between them.
int wifiTextMax();

// The first problem of the two texts, the name's before the password's, the
// length of both last; OpenNetwork only when there is no other.
WifiTextProblem checkWifiText(const QString &name, const QString &password);
