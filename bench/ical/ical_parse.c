/* libical alone: parse an iCalendar file and read each event's start, end
 * and summary (what an import needs at least). Prints the event count. */
#include <libical/ical.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: ical_parse FILE\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "rb");
    if (!f) {
        perror(argv[1]);
        return 1;
    }
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char* text = malloc((size_t)size + 1);
    if (!text || fread(text, 1, (size_t)size, f) != (size_t)size) {
        fclose(f);
        return 1;
    }
    fclose(f);
    text[size] = 0;
    icalcomponent* root = icalparser_parse_string(text);
    free(text);
    if (!root) {
        return 1;
    }
    long events = 0;
    long minutes = 0;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
        struct icaltimetype start = icalcomponent_get_dtstart(c);
        struct icaltimetype end = icalcomponent_get_dtend(c);
        const char* summary = icalcomponent_get_summary(c);
        minutes += start.hour * 60 + end.minute + (summary ? 1 : 0);
        ++events;
    }
    icalcomponent_free(root);
    printf("%ld events (%ld)\n", events, minutes);
    return 0;
}
