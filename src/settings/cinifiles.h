#pragma once

#include <QString>

#include <cstdint>

// Reads and writes keys of one section of the settings file. Nothing is
// cached: every call goes to the file.
class CIniFiles
{
public:
    void FileName(const QString& newValue) { fileName = newValue; }
    void Section(const QString& newValue) { section = newValue; }

    // -1 when the file, the section or the key is missing.
    std::int32_t GetValues(const QString& KeyName);
    // Empty when the key is missing or empty.
    QString GetString(const QString& KeyName);
    void SetValues(const QString& KeyName, std::int32_t Value);
    void SetString(const QString& KeyName, const QString& Strings);

private:
    QString fileName;
    QString section;
};
