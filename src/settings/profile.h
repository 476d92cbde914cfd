// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

// Reading and writing INI text the way the Windows profile functions do on
// files that people and Windows programs write, so that a settings file can
// travel between the two.
//
// The text is handled as bytes: names and values are UTF-8, and lines the
// program does not touch keep every byte they had, whatever their encoding.
//
// - Section and key names match without regard to ASCII case; spaces and tabs
//   around names, "=" and values do not count; one pair of matching quotes
//   around a value is dropped.
// - A line whose first non-blank character is ";" is a comment. CRLF, LF and
//   CR all end a line. Lines before the first section belong to no section.
// - The first matching section and, in it, the first matching key win.
namespace Profile {

// The value of `key` in `section`; nothing when the section or the key is
// missing (an empty value is found and empty).
std::optional<QByteArray> readValue(
    QByteArrayView text, QByteArrayView section, QByteArrayView key);

// The leading number of a value: an optional sign, then decimal digits or
// hexadecimal digits after "0x"; the rest is ignored, and no number is 0. The
// result wraps modulo 2^32, as a 32-bit integer does.
std::int32_t leadingNumber(QByteArrayView value);

// The value of `key` as an integer; `fallback` when the key is missing or its
// value is empty.
std::int32_t readInt(
    QByteArrayView text, QByteArrayView section, QByteArrayView key, std::int32_t fallback);

// The text with `key` in `section` set to `value`. Every other line keeps its
// bytes. An existing key line becomes "key=value" in place, keeping the
// stored spelling of the key and its own line end (a line that already holds
// the value stays as it is); a new key line goes after the last key of its
// section, a new section at the end of the text; new lines end in CRLF.
//
// Nothing when the text is not one this writes into (UTF-16) or when the
// arguments could not be read back as given: empty names, names with blanks
// around them or line breaks, a key with "=" or one starting with ";" or
// "[", a value with a line break.
std::optional<QByteArray> writeValue(
    QByteArrayView text, QByteArrayView section, QByteArrayView key, QByteArrayView value);

// The largest settings file read or written. Anything bigger is not a file
// this program wrote, and reading it whole could take all memory.
inline constexpr qint64 MaxFileSize = 64 * 1024;

// What stands at a path, found without opening it or following a link.
enum class Entry {
    Missing, // nothing, so a file may be made there
    File, // a regular file of at most MaxFileSize bytes
    Refused, // a link, pipe, device, folder, bigger file, or a path that cannot be examined
};
Entry inspect(const QString& path);

// The whole file; nothing when it is missing, cannot be read or is not a
// File entry. Never follows a link, never waits on a pipe or device and
// never reads more than MaxFileSize bytes.
[[nodiscard]] std::optional<QByteArray> readFile(const QString& path);

// Replaces the file with `text` through a temporary file in the same folder,
// flushed to disk and renamed over it, so that a crash, a power cut or a full
// disk leaves either the old file or the new one. An existing file keeps its
// permissions. Returns false when the file could not be written; the old file
// is then as it was. A missing folder is not created, and only a Missing or
// File entry is ever replaced (never a link); nor is text longer than
// MaxFileSize written.
[[nodiscard]] bool writeFile(const QString& path, const QByteArray& text);

// The same, only where nothing stands yet: whatever is at `path` when the
// new file is put in place, even a file made a moment ago by another copy
// of the program, is kept and the call returns false.
[[nodiscard]] bool createFile(const QString& path, const QByteArray& text);

} // namespace Profile
