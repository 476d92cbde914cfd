// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>

// Raised when the printer cannot be used: none is configured, it refuses to
// start a job, or the job fails. The print commands catch it and tell the
// user in one fixed message.
class PrintError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Raised when the user stops a job on its way. It is a PrintError, so that
// whoever only knows failures still stops; who tells the user tells it apart.
class PrintCancelled : public PrintError
{
public:
    PrintCancelled()
        : PrintError("the print job was cancelled")
    { }
};
