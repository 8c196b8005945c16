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
    PasswordNotLatin1
};

// The first problem of the two texts, the name's before the password's.
WifiTextProblem checkWifiText(const QString &name, const QString &password);
