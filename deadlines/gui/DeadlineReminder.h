#pragma once

#include "deadlines/Deadlines.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

// Tells the desktop, when a new day begins while the program runs, how many of the user's dates
// are expired or due within the lead time; never which. Checks the day every few minutes, so a
// suspended machine or a changed clock is noticed as well.
class DeadlineReminder : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<std::optional<std::vector<Deadline>>()> read;
        std::function<CalendarDate()> today;
        // Empty: ShowDesktopNotification.
        std::function<bool(const QString& summary, const QString& body)> notify;
    };

    DeadlineReminder(int leadDays, Hooks hooks, QObject* parent = nullptr);

    // Notifies once when the day differs from the one of the last check.
    void CheckDay();

private:
    int m_leadDays;
    Hooks m_hooks;
    CalendarDate m_day;
    QTimer m_timer;
};

// "3 Daten aus Ihren Formularen sind abgelaufen oder laufen in den nächsten 60 Tagen ab."
QString DueNotificationBody(int count, int leadDays);
