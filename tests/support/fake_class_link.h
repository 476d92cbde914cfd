// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "practice/class_link.h"

// A class link with no thread and no server: it counts what it is asked,
// and the test emits what the server would answer.
class FakeClassLink final : public ClassLink
{
    Q_OBJECT

public:
    void start() override { ++starts; }
    void sendWaiting() override { ++sends; }

    int starts = 0;
    int sends = 0;
};
