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
    NameControl,     // a control character (newline, tab, ...) in the name
    PasswordControl, // ... or in the password
    TooLong,         // name, comma and password do not fit one command report
};

// Most characters of name and password together: one command report's
// payload less the comma between them.
int wifiTextMax();

// The first problem of the two texts, the name's before the password's, the
// length last.
WifiTextProblem checkWifiText(const QString &name, const QString &password);
