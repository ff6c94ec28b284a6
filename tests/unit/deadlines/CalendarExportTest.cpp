#include "deadlines/CalendarExport.h"

#include "platform/file/FileReader.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <libical/ical.h>

#include <QProcess>
#include <QStringList>

#include <set>
#include <sys/stat.h>

namespace {

Deadline Make(int category, int id, std::optional<CalendarDate> date, std::string what) {
    Deadline d;
    d.category = category;
    d.id = id;
    d.date = date;
    d.typed = date ? "x" : "bald";
    d.form = category == 3 ? "Bankgeschäfte" : "Fahrzeugschein/brief";
    d.what = std::move(what);
    return d;
}

const std::vector<Deadline> kDeadlines{
    Make(10, 142, CalendarDate{2026, 11, 30}, "TÜV"),
    Make(3, 120, CalendarDate{2026, 12, 31}, "Kreditkarten: 2. Karte, Inhaber Anna Beispiel"),
    Make(3, 108, CalendarDate{2028, 2, 29}, "Scheckkarten: 1. Karte"),
    Make(3, 124, std::nullopt, "Kreditkarten: 3. Karte"),
};

// "UID|YYYYMMDD|SUMMARY|trigger days" per event, as libical reads the text.
std::set<std::string> ReadWithLibical(const std::string& text) {
    std::set<std::string> events;
    icalcomponent* calendar = icalparser_parse_string(text.c_str());
    EXPECT_NE(calendar, nullptr);
    if (!calendar)
        return events;
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype start = icalcomponent_get_dtstart(e);
        EXPECT_TRUE(start.is_date);
        icalcomponent* alarm = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT);
        std::string trigger = "none";
        if (alarm) {
            const icaltriggertype t = icalproperty_get_trigger(
                icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
            trigger = (t.duration.is_neg ? "-" : "") +
                      std::to_string(icaldurationtype_as_int(t.duration) / 86400 *
                                     (t.duration.is_neg ? -1 : 1));
        }
        char day[16];
        std::snprintf(day, sizeof day, "%04d%02d%02d", start.year, start.month, start.day);
        events.insert(std::string(icalcomponent_get_uid(e)) + "|" + day + "|" +
                      icalcomponent_get_summary(e) + "|" + trigger);
    }
    icalcomponent_free(calendar);
    return events;
}

TEST(CalendarExportTest, OneAllDayEventPerDateWithItsReminderReadByTwoLibraries) {
    TempDir dir;
    const std::string path = dir.file("Fristen.ics");
    ASSERT_TRUE(ExportDeadlineCalendar(path, kDeadlines, "anna.qlr", 60));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const WholeFile file = ReadWholeFile(path);
    ASSERT_TRUE(file);
    const std::string& text = file.bytes;

    const std::set<std::string> events = ReadWithLibical(text);
    ASSERT_EQ(events.size(), 3u) << text;
    std::set<std::string> uids, summaries;
    for (const std::string& e : events) {
        uids.insert(e.substr(0, e.find('|')));
        EXPECT_NE(e.find("|-60"), std::string::npos) << e;
    }
    EXPECT_EQ(uids.size(), 3u);
    EXPECT_EQ(text.find("bald"), std::string::npos) << "an unreadable date is no event";
    EXPECT_NE(text.find("DTSTART;VALUE=DATE:20280229"), std::string::npos);

    // The same UIDs on a second export (a calendar updates its events); another user's differ.
    const std::set<std::string> again =
        ReadWithLibical(DeadlineCalendar(kDeadlines, "anna.qlr", 60, 0));
    EXPECT_EQ(again, events);
    const std::set<std::string> other =
        ReadWithLibical(DeadlineCalendar(kDeadlines, "max.qlr", 60, 0));
    EXPECT_NE(*other.begin(), *events.begin());
    // A second calendar library reads the same events from the file.
    const QString script = QStringLiteral(R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for e in cal.walk('VEVENT'):
    alarms = [a for a in e.walk('VALARM')]
    t = alarms[0].decoded('TRIGGER') if alarms else None
    trig = str(t.days) if t is not None else 'none'
    print('%s|%s|%s|%s' % (e['UID'], e.decoded('DTSTART').strftime('%Y%m%d'), e['SUMMARY'], trig))
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), script, QString::fromStdString(path)});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    std::set<std::string> imported;
    for (const QString& line :
         QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (!line.isEmpty())
            imported.insert(line.toStdString());
    }
    EXPECT_EQ(imported, events);
}

} // namespace
