/* libical alone: build N timed events with a zone and write them as one
 * iCalendar file (what an export does at least). */
#include <libical/ical.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: ical_write N FILE\n");
        return 2;
    }
    const long n = atol(argv[1]);
    icaltimezone* zone = icaltimezone_get_builtin_timezone("Asia/Tokyo");
    icalcomponent* cal = icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                             icalproperty_new_prodid("-//bench//bench//EN"), (void*)0);
    icalcomponent_add_component(cal, icalcomponent_new_clone(icaltimezone_get_component(zone)));
    struct icaltimetype day = icaltime_from_string("20100101T090000");
    for (long i = 0; i < n; ++i) {
        struct icaltimetype start = day;
        start.day += (int)(i / 3);
        start.hour = 9 + (int)(i % 3) * 3;
        start = icaltime_normalize(start);
        struct icaltimetype end = start;
        end.hour += 1;
        char uid[64];
        snprintf(uid, sizeof uid, "%ld@bench", i);
        icalcomponent* ev = icalcomponent_vanew(ICAL_VEVENT_COMPONENT, icalproperty_new_uid(uid),
                                                icalproperty_new_summary("定例会議, 資料; 作成"),
                                                icalproperty_new_description("会議室A\n持ち物: 資料"), (void*)0);
        icalproperty* dtstart = icalproperty_new_dtstart(start);
        icalproperty_add_parameter(dtstart, icalparameter_new_tzid("Asia/Tokyo"));
        icalproperty* dtend = icalproperty_new_dtend(end);
        icalproperty_add_parameter(dtend, icalparameter_new_tzid("Asia/Tokyo"));
        icalcomponent_add_property(ev, dtstart);
        icalcomponent_add_property(ev, dtend);
        icalcomponent_add_component(cal, ev);
    }
    char* text = icalcomponent_as_ical_string_r(cal);
    FILE* f = fopen(argv[2], "wb");
    if (!f || fputs(text, f) < 0 || fclose(f) != 0) {
        return 1;
    }
    icalmemory_free_buffer(text);
    icalcomponent_free(cal);
    return 0;
}
