// Rows of the generated name tables that bound classes hand to the reader and the writer.
#ifndef LMX_EVENT_TABLES_H
#define LMX_EVENT_TABLES_H

namespace lmx {

// One row of an event table; a table ends with a row whose name is null.
struct s_event_map {
    int ns_id;
    const char* name;
    unsigned int name_length;
    int event;
};

// One row of a namespace table; a table ends with a row whose URI is null.
struct s_ns_map {
    int ns_id;
    const char* prefix;
    const char* uri;
};

}  // namespace lmx

#endif  // LMX_EVENT_TABLES_H
