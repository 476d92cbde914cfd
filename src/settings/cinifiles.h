#pragma once

#include <QString>

#include <cstdint>

// Reads and writes keys of one section of the settings file. Nothing is
// cached: every call goes to the file, and every write replaces the file as
// a whole or not at all. No call runs the event loop.
class CIniFiles
{
public:
    void FileName(const QString& newValue) { fileName = newValue; }
    void Section(const QString& newValue) { section = newValue; }

    // -1 when the file, the section or the key is missing.
    std::int32_t GetValues(const QString& KeyName);
    // Empty when the key is missing or empty, and when its value is the
    // default marker "fuzakeruna"; at most 1023 characters.
    QString GetString(const QString& KeyName);
    void SetValues(const QString& KeyName, std::int32_t Value);
    // Creates the file, the section and the key as needed. A write that fails
    // leaves the file as it was; so does a file that exists but cannot be
    // read (or is a link, pipe, device, folder or too big), which is never
    // replaced by one holding this key alone.
    void SetString(const QString& KeyName, const QString& Strings);

private:
    QString fileName;
    QString section;
};
