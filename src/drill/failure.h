// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// Who is to read a failure. The same failure of the class server is told to
// a child at a classroom machine in their words and to the teacher at the
// class view in theirs; whoever keeps the machine or the server reads its
// details (standard error, the box's details button).
enum class Reader {
    Child, // the child at the board: hiragana, what to do next
    Adult, // the parent or teacher: plain adult Japanese
    Administrator, // whoever keeps the machine or the school's server
};

// What happened: one list for the whole program, so that a failure keeps
// its meaning from the layer that met it to the box that tells it.
enum class Failed {
    // The settings file.
    SettingsUnusable, // no settings file can be used: defaults this run
    SettingsNotSaved, // a save failed; the file is as it was
    SettingsNotSavedLastTime, // the last run ended without its save
    // The records of this machine.
    RecordsUnusable, // the records file or its folder cannot be opened or created
    RecordsLocked, // another program held the records longer than a moment
    RecordsMovedAside, // a damaged records file was renamed, a new one begun
    SheetNotKept, // a sheet, a child or their best times could not be stored
    // class.ini and the class server.
    ClassConfigMissing, // no class.ini where the teacher's view looks
    ClassConfigUnusable, // class.ini cannot be used: the sheets stay here
    PasswordFileMissing,
    PasswordFileUnreadable,
    PasswordFileExposed, // others may read it (for a teacher's login, their group too)
    ServerAway, // no answer, or the connection dropped: tried again later
    // The server answers, but not over the connection class.ini asks for:
    // a certificate missing or of another authority or name, no TLS, a
    // weaker password method. The configuration's to mend, not waited out.
    ConnectionUnusable,
    LoginRefused, // wrong password, unknown login, not let in by the server
    PrivilegeRefused, // the login may not do what was asked
    // A superuser, a login with BYPASSRLS or one owning the class tables:
    // row-level security does not bind it, so it is never used.
    LoginTooPowerful,
    NewerServer, // the server's layout is newer than this program knows
    ServerFailed, // anything else the server or libpq refused, with no known cause
    ClassUnknown, // the server knows no such class for this login
    SheetsRefused, // sheets of children off the roster stay on this machine
    // Printing and files written for the user.
    PrintFailed,
    PrintCancelled, // the user cancelled: nothing to tell
    FileNotWritten, // a file the user asked for (a CSV, a copy) could not be written
};

// A failure as every layer returns or signals it: what happened, the file or
// server concerned, and for the administrator the details (a server's or
// libpq's own words, its SQLSTATE). Whoever tells it picks the reader and
// takes the words for that reader from failureText().
struct [[nodiscard]] Failure
{
    Failed what;
    QString path{}; // the file concerned; for the class server, the server
    QString detail{}; // a server's or library's own words, for the administrator
    QString state{}; // the SQLSTATE, when a server gave one

    bool operator==(const Failure&) const = default;
};

// Whether `what` is one of the ways the class server cannot be used, which
// the child is told as one.
bool isServerFailure(Failed what);

// What a reader is told of a failure: the box's title and its sentence. The
// details are not in it; they go behind the box's details button and, for
// the administrator, to standard error.
struct FailureText
{
    QString title;
    QString text;
};
FailureText failureText(const Failure& failure, Reader reader);

// The administrator's line for standard error: what failed, where, and the
// details, in English as the rest of the program's log is.
QString failureLog(const Failure& failure);

// A value, or the failure that kept it from being made.
template <typename T> class [[nodiscard]] Outcome
{
public:
    Outcome(T value)
        : held(std::in_place_index<0>, std::move(value))
    { }
    Outcome(Failure failure)
        : held(std::in_place_index<1>, std::move(failure))
    { }

    bool ok() const { return held.index() == 0; }
    bool has_value() const { return ok(); }
    explicit operator bool() const { return ok(); }
    // The value, or `instead` when there is none: for a reader that shows
    // something either way and tells the failure elsewhere.
    template <typename U> T value_or(U&& instead) const
    {
        return ok() ? value() : T(std::forward<U>(instead));
    }
    bool operator==(const Outcome&) const = default;
    const T& value() const& { return std::get<0>(held); }
    T& value() & { return std::get<0>(held); }
    T&& value() && { return std::get<0>(std::move(held)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    const Failure& failure() const { return std::get<1>(held); }
    // The failure, when there was one.
    std::optional<Failure> failed() const
    {
        return ok() ? std::nullopt : std::optional<Failure>(failure());
    }

private:
    std::variant<T, Failure> held;
};

// A step that gives nothing back: nothing, or its failure.
using Done = std::optional<Failure>;
