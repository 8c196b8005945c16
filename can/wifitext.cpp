#include "wifitext.h"

#include "reportframing.h"

namespace {
bool isLatin1(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// C0, DEL and C1: the box would store them, but no network name or key has them.
bool hasControl(const QString &text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}
bool isPrintableAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}
} // namespace

int wifiTextMax()
{
    return LINK_MAX_PAYLOAD - 1;
}

WifiTextProblem checkWifiText(const QString &name, const QString &password)
{
    if (name.isEmpty())
        return WifiTextProblem::EmptyName;
    if (name.contains(QLatin1Char(',')))
        return WifiTextProblem::NameComma;
    if (!isLatin1(name))
        return WifiTextProblem::NameNotLatin1;
    if (hasControl(name))
        return WifiTextProblem::NameControl;
    if (name.size() > kWifiNameMax)
        return WifiTextProblem::NameTooLong;
    if (password.contains(QLatin1Char(',')))
        return WifiTextProblem::PasswordComma;
    if (!isLatin1(password))
        return WifiTextProblem::PasswordNotLatin1;
    if (hasControl(password))
        return WifiTextProblem::PasswordControl;
    if (!isPrintableAscii(password))
        return WifiTextProblem::PasswordNotAscii;
    if (!password.isEmpty() && password.size() < kWifiPasswordMin)
        return WifiTextProblem::PasswordTooShort;
    if (password.size() > kWifiPasswordMax)
        return WifiTextProblem::PasswordTooLong;
    if (name.size() + password.size() > wifiTextMax())
        return WifiTextProblem::TooLong;
    return password.isEmpty() ? WifiTextProblem::OpenNetwork : WifiTextProblem::None;
}
