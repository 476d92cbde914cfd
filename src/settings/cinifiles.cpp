#include "settings/cinifiles.h"

#include "settings/profile.h"

using namespace Qt::StringLiterals;

namespace {

// What a missing key reads as; a stored value equal to it reads as empty too.
const QString MissingMarker = u"fuzakeruna"_s;
// The read buffer holds 1024 characters, the last of them the terminator.
constexpr qsizetype BufferSize = 1024;

} // namespace

std::int32_t CIniFiles::GetValues(const QString& KeyName)
{
    const std::optional<QByteArray> text = Profile::readFile(fileName);
    if (!text)
        return -1;
    return Profile::readInt(*text, section.toUtf8(), KeyName.toUtf8(), -1);
}

QString CIniFiles::GetString(const QString& KeyName)
{
    QString result = MissingMarker;
    if (const std::optional<QByteArray> text = Profile::readFile(fileName)) {
        if (const auto value = Profile::readValue(*text, section.toUtf8(), KeyName.toUtf8()))
            result = QString::fromUtf8(*value);
    }
    if (result.size() > BufferSize - 1) {
        qsizetype keep = BufferSize - 1;
        // Never keep half of a character.
        if (result.at(keep - 1).isHighSurrogate())
            --keep;
        result.truncate(keep);
    }
    return result == MissingMarker ? QString() : result;
}

void CIniFiles::SetValues(const QString& KeyName, std::int32_t Value)
{
    SetString(KeyName, QString::number(Value));
}

void CIniFiles::SetString(const QString& KeyName, const QString& Strings)
{
    std::optional<QByteArray> text = Profile::readFile(fileName);
    if (!text) {
        if (Profile::inspect(fileName) != Profile::Entry::Missing)
            return;
        text.emplace();
    }
    const std::optional<QByteArray> updated
        = Profile::writeValue(*text, section.toUtf8(), KeyName.toUtf8(), Strings.toUtf8());
    // Rewriting the same bytes would only wear the disk.
    if (!updated || *updated == *text)
        return;
    Profile::writeFile(fileName, *updated);
}
