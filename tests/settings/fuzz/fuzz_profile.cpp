// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing INI text, whatever the text and the names: no crash,
// no hang, a written value reads back, and a write changes no line it was
// not asked to change.
//
// An input is "section\x01key\x01value\x01other section\x01other key\x01text",
// or the text alone with the program's own names.
#include "settings/profile.h"

#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

struct Line
{
    QByteArray content;
    QByteArray end;
    bool operator==(const Line&) const = default;
};

// Split on its own, so that the check does not share the code it checks.
std::vector<Line> lines(const QByteArray& text)
{
    std::vector<Line> result;
    qsizetype i = 0;
    while (i < text.size()) {
        Line line;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n')
            line.content.append(text[i++]);
        if (i < text.size() && text[i] == '\r')
            line.end.append(text[i++]);
        if (i < text.size() && text[i] == '\n')
            line.end.append(text[i++]);
        result.push_back(line);
    }
    return result;
}

QByteArray asRead(QByteArray value)
{
    while (!value.isEmpty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove(0, 1);
    while (!value.isEmpty() && (value.back() == ' ' || value.back() == '\t'))
        value.chop(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool sameAscii(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Names made of letters, digits and "_" are always storable.
bool plain(const QByteArray& name)
{
    if (name.isEmpty())
        return false;
    for (char c : name) {
        if (!(c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')
                || (c >= 'A' && c <= 'Z')))
            return false;
    }
    return true;
}

void checkWrite(const QByteArray& text, const QByteArray& section, const QByteArray& key,
    const QByteArray& value, const QByteArray& otherSection, const QByteArray& otherKey)
{
    const bool utf16 = text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF");
    const std::optional<QByteArray> written = Profile::writeValue(text, section, key, value);
    if (!written) {
        CHECK(utf16 || !plain(section) || !plain(key) || value.contains('\r')
            || value.contains('\n'));
        return;
    }
    CHECK(!utf16);

    // The value reads back as written.
    const std::optional<QByteArray> back = Profile::readValue(*written, section, key);
    CHECK(back && *back == asRead(value));

    // Every other pair of names reads as before.
    if (!(sameAscii(section, otherSection) && sameAscii(key, otherKey)))
        CHECK(Profile::readValue(text, otherSection, otherKey)
            == Profile::readValue(*written, otherSection, otherKey));

    // Writing the same again changes nothing.
    CHECK(Profile::writeValue(*written, section, key, value) == written);

    const std::vector<Line> before = lines(text);
    const std::vector<Line> after = lines(*written);
    if (Profile::readValue(text, section, key)) {
        // Replaced in place: one line's content, nothing else.
        CHECK(before.size() == after.size());
        int changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            CHECK(before[i].end == after[i].end);
            if (before[i].content != after[i].content)
                ++changed;
        }
        CHECK(changed <= 1);
        return;
    }

    // Inserted: one key line, or a section line and a key line, each ending
    // in CRLF; the line before may gain a line end when it was the last.
    CHECK(after.size() == before.size() + 1 || after.size() == before.size() + 2);
    const std::size_t added = after.size() - before.size();
    std::size_t at = 0;
    while (at < before.size() && before[at] == after[at])
        ++at;
    if (at + 1 == before.size() && before[at].end.isEmpty()
        && after[at].content == before[at].content) {
        CHECK(after[at].end == "\r\n");
        ++at;
    }
    for (std::size_t i = 0; i < added; ++i)
        CHECK(after[at + i].end == "\r\n");
    for (std::size_t i = at; i < before.size(); ++i)
        CHECK(before[i] == after[i + added]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<QByteArray> fields = input.split('\x01');
    QByteArray text = input;
    if (fields.size() >= 6)
        // The text may hold the separator too.
        text = fields.mid(5).join('\x01');
    else
        fields = {"Parameter", "T_MinTM", "600", "General", "Win_Top"};
    const QByteArray& section = fields[0];
    const QByteArray& key = fields[1];
    const QByteArray& value = fields[2];
    const QByteArray& otherSection = fields[3];
    const QByteArray& otherKey = fields[4];

    const std::optional<QByteArray> found = Profile::readValue(text, section, key);
    const std::int32_t number = Profile::readInt(text, section, key, -1);
    if (!found || found->isEmpty())
        CHECK(number == -1);
    else
        CHECK(number == Profile::leadingNumber(*found));

    // Numbers read back as the decimal and hexadecimal text of themselves.
    std::int32_t probe = 0;
    std::memcpy(&probe, value.constData(), std::min<std::size_t>(sizeof probe, value.size()));
    CHECK(Profile::leadingNumber(QByteArray::number(probe)) == probe);
    CHECK(Profile::leadingNumber(
              QByteArray("0x" + QByteArray::number(static_cast<std::uint32_t>(probe), 16)))
        == probe);

    checkWrite(text, section, key, value, otherSection, otherKey);
    if (const auto written = Profile::writeValue(text, section, key, QByteArray::number(probe)))
        CHECK(Profile::readInt(*written, section, key, -1) == probe);
    return 0;
}
