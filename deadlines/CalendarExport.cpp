#include "deadlines/CalendarExport.h"

#include "platform/file/AtomicFile.h"
#include "store/CategorySchema.h"

#include <libical/ical.h>

#include <cstdlib>

namespace {

icaltimetype DayOf(const CalendarDate& date) {
    icaltimetype day = icaltime_null_date();
    day.year = date.year;
    day.month = date.month;
    day.day = date.day;
    return day;
}

icalcomponent* Reminder(const std::string& summary, int leadDays) {
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_null_duration();
    trigger.duration.is_neg = 1;
    trigger.duration.days = static_cast<unsigned>(leadDays);
    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
    return alarm;
}

icalcomponent* Event(const Deadline& deadline, const std::string& tag, int leadDays,
                     icaltimetype stamp) {
    const std::string uid =
        FieldName(deadline.category, deadline.id) + "-" + tag + "@quillory.invalid";
    // The title says what happens; the description where it stands.
    const std::string summary = CalendarTitle(deadline);
    const std::string description = deadline.form + ": " + deadline.what;
    icaltimetype start = DayOf(*deadline.date);
    icaltimetype end = start;
    icaltime_adjust(&end, 1, 0, 0, 0);
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(event, icalproperty_new_dtstart(start));
    icalcomponent_add_property(event, icalproperty_new_dtend(end));
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    icalcomponent_add_property(event, icalproperty_new_description(description.c_str()));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    if (leadDays > 0)
        icalcomponent_add_component(event, Reminder(summary, leadDays));
    return event;
}

} // namespace

std::string DeadlineCalendar(const std::vector<Deadline>& deadlines, const std::string& user,
                             int leadDays, std::time_t stamp) {
    const std::string tag = StableTag(user);
    const icaltimetype now =
        icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone());
    icalcomponent* calendar = icalcomponent_new_vcalendar();
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Quillory//Fristen//DE"));
    for (const Deadline& deadline : deadlines)
        if (deadline.date)
            icalcomponent_add_component(calendar, Event(deadline, tag, leadDays, now));
    char* text = icalcomponent_as_ical_string_r(calendar);
    std::string result = text ? text : "";
    std::free(text);
    icalcomponent_free(calendar);
    return result;
}

bool ExportDeadlineCalendar(const std::string& path, const std::vector<Deadline>& deadlines,
                            const std::string& user, int leadDays) {
    const std::string text = DeadlineCalendar(deadlines, user, leadDays, std::time(nullptr));
    AtomicFile file(path, 0600);
    return file.Write(text) && file.Commit();
}
