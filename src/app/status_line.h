// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <map>

class Drill;
class QDateTime;
class QLabel;
class QLineEdit;
class QTimer;
class QWidget;

// The line under the board and the date above the commands: the best time,
// the child at the board, today's date and the clock with the timer that
// refreshes it. The clock shows the drill's own elapsed time; the timer
// only says when to look again.
class StatusLine : public QObject
{
    Q_OBJECT

public:
    // The controls are the window's own children.
    explicit StatusLine(QWidget* window);

    // Follows `drill`'s time from now on.
    void bind(Drill& drill);
    void addTabStops(std::map<double, QWidget*>& stops) const;

    void showBestTime(int seconds);
    // Shown once there are two or more children; `child` is who it is.
    void showChild(bool several, const QString& name, qint64 child);
    void showDate(const QString& year, const QString& day);
    // A classroom machine whose oldest sheet not yet sent was finished at
    // `since` (and has waited a school day) says so under the board until
    // it is sent; an invalid `since` hides the line.
    void showLate(const QDateTime& since);
    // Starts, stops or shows the final time as the drill's phase asks.
    void showPhase();
    // Back to 0:00 after an abandoned sheet.
    void resetClock();
    // Stopped for good: the program ends.
    void stopClock();

Q_SIGNALS:
    // The date label clears the best times; the child's name changes who
    // practises.
    void dateClicked();
    void childClicked();

private:
    void refreshClock();

    Drill* drill = nullptr;
    QLineEdit* clockDisplay = nullptr;
    QLabel* bestTimeLabel = nullptr;
    QLabel* childLabel = nullptr;
    qint64 shownChild = -1;
    QLabel* dateLabel = nullptr;
    QLabel* lateLabel = nullptr;
    QTimer* clockTimer = nullptr;
};
