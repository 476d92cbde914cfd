// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/profile.h"

#include <QFile>
#include <QRandomGenerator>

#include <vector>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Profile {
namespace {

// One line of the text: its content is [begin, end), its line end (if any)
// [end, next).
struct Line
{
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

enum class Kind { Blank, Comment, Section, Key, Other };

struct Parsed
{
    Kind kind = Kind::Other;
    QByteArrayView name;
    QByteArrayView value;
};

constexpr QByteArrayView CrLf("\r\n");
constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: folding other bytes could make two different
// UTF-8 names equal.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool hasLineBreak(QByteArrayView text)
{
    return text.contains('\r') || text.contains('\n');
}

// The Windows functions read a UTF-16 file as such; writing UTF-8 lines into
// one would wreck it, and reading it byte by byte finds nothing.
bool isUtf16(QByteArrayView text)
{
    return text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF");
}

std::vector<Line> splitLines(QByteArrayView text)
{
    std::vector<Line> lines;
    qsizetype begin = 0;
    const qsizetype size = text.size();
    while (begin < size) {
        qsizetype end = begin;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < size && text[next] == '\r')
            ++next;
        if (next < size && text[next] == '\n')
            ++next;
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

// A value as it reads: without the blanks around it and one pair of matching
// quotes.
QByteArrayView valueAsRead(QByteArrayView stored)
{
    QByteArrayView value = trimmed(stored);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

Parsed parseLine(QByteArrayView content, bool firstLine)
{
    // Editors on Windows like to open a UTF-8 file with a byte order mark.
    if (firstLine && content.startsWith(Utf8Bom))
        content = content.sliced(Utf8Bom.size());
    const QByteArrayView line = trimmed(content);
    if (line.isEmpty())
        return {Kind::Blank, {}, {}};
    if (line.front() == ';')
        return {Kind::Comment, {}, {}};
    if (line.front() == '[') {
        const qsizetype close = line.lastIndexOf(']');
        if (close > 0)
            return {Kind::Section, trimmed(line.sliced(1, close - 1)), {}};
        // Without its bracket the line is read as a key line, as Windows does.
    }
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return {Kind::Other, {}, {}};
    return {Kind::Key, trimmed(line.first(equals)), valueAsRead(line.sliced(equals + 1))};
}

QByteArrayView contentOf(QByteArrayView text, const Line& line)
{
    return text.sliced(line.begin, line.end - line.begin);
}

// Where a section and a key stand in the text.
struct Place
{
    std::optional<std::size_t> section; // index of the section's header line
    std::optional<std::size_t> key; // index of the key's line
    std::optional<std::size_t> lastKey; // index of the section's last key line
};

Place locate(
    QByteArrayView text, const std::vector<Line>& lines, QByteArrayView section, QByteArrayView key)
{
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed parsed = parseLine(contentOf(text, lines[i]), i == 0);
        if (!place.section) {
            if (parsed.kind == Kind::Section && sameName(parsed.name, section))
                place.section = i;
            continue;
        }
        if (parsed.kind == Kind::Section)
            break;
        if (parsed.kind != Kind::Key)
            continue;
        place.lastKey = i;
        if (!place.key && sameName(parsed.name, key))
            place.key = i;
    }
    return place;
}

bool storableSection(QByteArrayView section)
{
    return !section.isEmpty() && trimmed(section) == section && !hasLineBreak(section);
}

bool storableKey(QByteArrayView key)
{
    return !key.isEmpty() && trimmed(key) == key && !hasLineBreak(key) && !key.contains('=')
        && key.front() != ';' && key.front() != '[';
}

// A regular file small enough to be a settings file.
bool fitsAsFile(const struct stat& info)
{
    return S_ISREG(info.st_mode) && info.st_size <= MaxFileSize;
}

struct FileDescriptor
{
    int fd;
    ~FileDescriptor() { ::close(fd); }
};

} // namespace

std::optional<QByteArray> readValue(QByteArrayView text, QByteArrayView section, QByteArrayView key)
{
    if (isUtf16(text))
        return std::nullopt;
    const std::vector<Line> lines = splitLines(text);
    const Place place = locate(text, lines, section, key);
    if (!place.key)
        return std::nullopt;
    return parseLine(contentOf(text, lines[*place.key]), *place.key == 0).value.toByteArray();
}

std::int32_t leadingNumber(QByteArrayView value)
{
    qsizetype i = 0;
    while (i < value.size() && isBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps modulo 2^32 without undefined behaviour.
    std::uint32_t number = 0;
    const QByteArrayView rest = value.sliced(i);
    if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        for (i += 2; i < value.size(); ++i) {
            const char c = asciiLower(value[i]);
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            else
                break;
            number = number * 16u + digit;
        }
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
            number = number * 10u + static_cast<std::uint32_t>(value[i] - '0');
    }
    if (negative)
        number = 0u - number;
    return static_cast<std::int32_t>(number);
}

std::int32_t readInt(
    QByteArrayView text, QByteArrayView section, QByteArrayView key, std::int32_t fallback)
{
    const std::optional<QByteArray> value = readValue(text, section, key);
    if (!value || value->isEmpty())
        return fallback;
    return leadingNumber(*value);
}

std::optional<QByteArray> writeValue(
    QByteArrayView text, QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (isUtf16(text) || !storableSection(section) || !storableKey(key) || hasLineBreak(value))
        return std::nullopt;

    const std::vector<Line> lines = splitLines(text);
    const Place place = locate(text, lines, section, key);
    QByteArray result;
    result.reserve(text.size() + section.size() + key.size() + value.size() + 8);

    if (place.key) {
        const Line& line = lines[*place.key];
        const Parsed stored = parseLine(contentOf(text, line), *place.key == 0);
        // A line that already reads as the value keeps its own spelling.
        if (stored.value == valueAsRead(value))
            return text.toByteArray();
        result.append(text.first(line.begin));
        result.append(stored.name).append('=').append(value);
        result.append(text.sliced(line.end));
        return result;
    }

    const auto appendKeyLine = [&] { result.append(key).append('=').append(value).append(CrLf); };

    if (place.section) {
        const Line& after = lines[place.lastKey.value_or(*place.section)];
        result.append(text.first(after.next));
        // The line before a new one may be the last of the text, without an end.
        if (after.next == after.end)
            result.append(CrLf);
        appendKeyLine();
        result.append(text.sliced(after.next));
        return result;
    }

    result.append(text);
    if (!text.isEmpty() && !text.endsWith('\n') && !text.endsWith('\r'))
        result.append(CrLf);
    result.append('[').append(section).append(']').append(CrLf);
    appendKeyLine();
    return result;
}

Entry inspect(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? Entry::Missing : Entry::Refused;
    return fitsAsFile(info) ? Entry::File : Entry::Refused;
}

std::optional<QByteArray> readFile(const QString& path)
{
    // Only a regular file is ever opened: opening a device can have effects
    // of its own, and opening a pipe waits for a writer.
    if (inspect(path) != Entry::File)
        return std::nullopt;
    // The path may have changed since: the descriptor says what was opened.
    const int fd = ::open(QFile::encodeName(path).constData(),
        O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const FileDescriptor guard{fd};
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !fitsAsFile(info))
        return std::nullopt;
    // The file may grow while it is read; one byte more than the limit shows it.
    QByteArray text(MaxFileSize + 1, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < text.size()) {
        const ssize_t got = ::read(fd, text.data() + size, static_cast<size_t>(text.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        size += got;
    }
    if (size > MaxFileSize)
        return std::nullopt;
    text.truncate(size);
    return text;
}

namespace {

// Puts the finished temporary file in place of `target`: over what stands
// there with `replace`, else only where nothing does.
bool putInPlace(const QByteArray& temporary, const QByteArray& target, bool replace)
{
    // rename() replaces a link that appeared meanwhile; it never writes
    // through it.
    if (replace)
        return ::rename(temporary.constData(), target.constData()) == 0;
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
        == 0)
        return true;
    // A file system that cannot rename without replacing can still make a
    // second name, which fails as well when the name is taken.
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(temporary.constData(), target.constData()) != 0)
        return false;
    ::unlink(temporary.constData());
    return true;
}

bool write(const QString& path, const QByteArray& text, bool replace)
{
    if (text.size() > MaxFileSize)
        return false;
    const QByteArray target = QFile::encodeName(path);
    struct stat old = {};
    bool existed = false;
    if (::lstat(target.constData(), &old) == 0) {
        if (!replace || !fitsAsFile(old))
            return false;
        existed = true;
    } else if (errno != ENOENT) {
        return false;
    }

    // Beside the file, so that the rename stays on one file system. A new
    // file gets what the umask leaves of 0666, as any new file would.
    const int slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".")
        : slash == 0                    ? QByteArray("/")
                                        : target.first(slash);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36)
            + ".tmp";
        fd = ::open(
            temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool written = true;
    {
        const FileDescriptor guard{fd};
        qsizetype done = 0;
        while (written && done < text.size()) {
            const ssize_t put
                = ::write(fd, text.constData() + done, static_cast<size_t>(text.size() - done));
            if (put < 0 && errno == EINTR)
                continue;
            written = put > 0;
            if (written)
                done += put;
        }
        if (written && existed)
            written = ::fchmod(fd, old.st_mode & 07777) == 0;
        // On disk before the rename, or a power cut could leave an empty file
        // under the old name.
        written = written && ::fsync(fd) == 0;
    }
    if (!written || !putInPlace(temporary, target, replace)) {
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

} // namespace

bool writeFile(const QString& path, const QByteArray& text)
{
    return write(path, text, true);
}

bool createFile(const QString& path, const QByteArray& text)
{
    return write(path, text, false);
}

} // namespace Profile
