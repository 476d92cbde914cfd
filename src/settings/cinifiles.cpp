#include "settings/cinifiles.h"

std::int32_t CIniFiles::GetValues(const QString& KeyName)
{
    Q_UNUSED(KeyName);
    return -1;
}

QString CIniFiles::GetString(const QString& KeyName)
{
    Q_UNUSED(KeyName);
    return QString();
}

void CIniFiles::SetValues(const QString& KeyName, std::int32_t Value)
{
    SetString(KeyName, QString::number(Value));
}

void CIniFiles::SetString(const QString& KeyName, const QString& Strings)
{
    Q_UNUSED(KeyName);
    Q_UNUSED(Strings);
}
