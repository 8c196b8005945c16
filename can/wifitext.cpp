#include "wifitext.h"

namespace {
bool isLatin1(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}
} // namespace

WifiTextProblem checkWifiText(const QString &name, const QString &password)
{
    if (name.isEmpty())
        return WifiTextProblem::EmptyName;
    if (name.contains(QLatin1Char(',')))
        return WifiTextProblem::NameComma;
    if (!isLatin1(name))
        return WifiTextProblem::NameNotLatin1;
    if (password.contains(QLatin1Char(',')))
        return WifiTextProblem::PasswordComma;
    if (!isLatin1(password))
        return WifiTextProblem::PasswordNotLatin1;
    return WifiTextProblem::None;
}
