#include "deadlines/gui/DeadlineReminder.h"

#include "platform/gui/DesktopNotification.h"

#include <chrono>

namespace {

constexpr std::chrono::minutes kCheckInterval{5};

} // namespace

DeadlineReminder::DeadlineReminder(int leadDays, Hooks hooks, QObject* parent)
    : QObject(parent), m_leadDays(leadDays), m_hooks(std::move(hooks)), m_day(m_hooks.today()) {
    if (!m_hooks.notify)
        m_hooks.notify = ShowDesktopNotification;
    if (m_leadDays <= 0)
        return;
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DeadlineReminder::CheckDay);
    m_timer.start(kCheckInterval);
}

void DeadlineReminder::CheckDay() {
    const CalendarDate today = m_hooks.today();
    if (today == m_day || m_leadDays <= 0)
        return;
    m_day = today;
    const auto deadlines = m_hooks.read();
    const int count = deadlines ? CountDue(*deadlines, today, m_leadDays) : 0;
    if (count > 0)
        m_hooks.notify(QStringLiteral("Quillory: Fristen"), DueNotificationBody(count, m_leadDays));
}

QString DueNotificationBody(int count, int leadDays) {
    if (count == 1)
        return QStringLiteral("1 Datum aus Ihren Formularen ist abgelaufen oder läuft in den "
                              "nächsten %1 Tagen ab.")
            .arg(leadDays);
    return QStringLiteral("%1 Daten aus Ihren Formularen sind abgelaufen oder laufen in den "
                          "nächsten %2 Tagen ab.")
        .arg(count)
        .arg(leadDays);
}
