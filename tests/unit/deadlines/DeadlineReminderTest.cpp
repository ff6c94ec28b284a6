#include "deadlines/gui/DeadlineReminder.h"

#include "platform/file/FileReader.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

namespace {

// A session bus of the test's own with the fake notification service on it.
class PrivateBus {
public:
    explicit PrivateBus(const std::string& record) {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--print-address"),
                        QStringLiteral("--nofork")});
        if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000))
            return;
        const QByteArray address = m_daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        m_service.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(QUILLORY_SOURCE_DIR "/tests/unit/deadlines/fake-notifications.py"),
             QString::fromStdString(record)});
        m_ready = QTest::qWaitFor(
            [] {
                QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
                return bus &&
                       bus->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications"));
            },
            20000);
    }
    ~PrivateBus() {
        for (QProcess* p : {&m_service, &m_daemon}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    bool ready() const { return m_ready; }

private:
    QProcess m_daemon;
    QProcess m_service;
    bool m_ready = false;
};

TEST(DeadlineReminderTest, ANewDayTellsTheDesktopHowManyAndNeverWhat) {
    TempDir dir;
    const std::string record = dir.file("notifications.txt");
    PrivateBus bus(record);
    if (!bus.ready())
        GTEST_SKIP() << "no dbus-daemon or python3-dbus for a private session bus";

    std::vector<Deadline> deadlines(3);
    deadlines[0] = {3,
                    120,
                    "05/27",
                    CalendarDate{2027, 5, 31},
                    "Bankgeschäfte",
                    "Kreditkarten: 2. Karte, Inhaber Anna Beispiel",
                    {},
                    {}};
    deadlines[1] = {10,    142, "12/26", CalendarDate{2026, 12, 31}, "Fahrzeugschein/brief",
                    "TÜV", {},  {}};
    deadlines[2] = {
        5, 103, "1.1.27", CalendarDate{2027, 1, 1}, "Seriennummern", "Garantie: Fernseher", {}, {}};
    CalendarDate today{2026, 12, 9};
    DeadlineReminder reminder(60, {[&] { return deadlines; }, [&] { return today; }, {}});

    reminder.CheckDay(); // the same day: nothing
    today = {2026, 12, 10};
    reminder.CheckDay();
    reminder.CheckDay(); // once per day
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReadWholeFile(record).bytes.size() > 0; }, 10000));
    const std::string text = ReadWholeFile(record).bytes;
    EXPECT_EQ(text, "Quillory: Fristen\n2 Daten aus Ihren Formularen sind abgelaufen oder laufen "
                    "in den nächsten 60 Tagen ab.\n");
    for (const Deadline& d : deadlines) {
        EXPECT_EQ(text.find(d.typed), std::string::npos);
        EXPECT_EQ(text.find(d.what), std::string::npos);
    }
}

} // namespace
