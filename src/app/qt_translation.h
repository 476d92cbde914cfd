// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Gives Qt's own dialogs, buttons and messages (the print dialog and its
// preview, file dialogs) their Japanese texts, whatever language the desktop
// speaks: every other word of Varolin is Japanese. Only Qt's base catalogue
// is loaded, which keeps start-up light. False when the translation is not
// installed; Qt's texts then stay English.
bool installQtJapanese(QCoreApplication& app);
