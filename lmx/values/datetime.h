// Durations, dates and times: the value classes of the XML Schema types duration, dateTime,
// time, date, gYearMonth, gYear, gMonthDay, gDay and gMonth. Each checks a text for its
// lexical form (by form only: field widths and separators, not value ranges), parses it,
// compares and writes it back. Numbers are read and written in the classic locale whatever
// the global or the stream's locale.
#ifndef LMX_DATETIME_H
#define LMX_DATETIME_H

#include <ios>
#include <iosfwd>
#include <string>
#include <string_view>

namespace lmx {

class c_duration;
class c_datetime_base;

namespace detail {

enum class value_order { less, equal, greater, indeterminate };

// Which fields a date or time class carries, and so its lexical form.
enum class datetime_layout { datetime, time, date, year_month, year, month_day, day, month };

// get_as_string writes seconds as a freshly made stream would.
constexpr std::streamsize k_default_precision = 6;

value_order order_of(const c_duration& a, const c_duration& b);
value_order order_of(const c_datetime_base& a, const c_datetime_base& b);

// The six comparisons of a value class T, found by argument-dependent lookup. Two values of
// different classes do not compare.
template <typename T>
class ordered {
public:
    friend bool operator==(const T& a, const T& b) {
        return detail::order_of(a, b) == value_order::equal;
    }
    friend bool operator!=(const T& a, const T& b) { return !(a == b); }
    friend bool operator>(const T& a, const T& b) {
        return detail::order_of(a, b) == value_order::greater;
    }
    friend bool operator>=(const T& a, const T& b) {
        const value_order order = detail::order_of(a, b);
        return order == value_order::equal || order == value_order::greater;
    }
    friend bool operator<(const T& a, const T& b) {
        return detail::order_of(a, b) == value_order::less;
    }
    friend bool operator<=(const T& a, const T& b) {
        const value_order order = detail::order_of(a, b);
        return order == value_order::equal || order == value_order::less;
    }
};

}  // namespace detail

// A duration: a sign and six unnormalised fields, as the text gave them.
class c_duration : public detail::ordered<c_duration> {
public:
    c_duration() = default;
    c_duration(const char* text) { *this = text; }
    c_duration(const std::string& text) { *this = text; }
    c_duration& operator=(const char* text);
    c_duration& operator=(const std::string& text);

    static bool is_valid(const char* text);
    static bool is_valid(const std::string& text);

    bool get_is_neg() const { return m_negative; }
    void set_is_neg(bool negative) { m_negative = negative; }
    unsigned int get_years() const { return m_years; }
    void set_years(unsigned int years) { m_years = years; }
    unsigned int get_months() const { return m_months; }
    void set_months(unsigned int months) { m_months = months; }
    unsigned int get_days() const { return m_days; }
    void set_days(unsigned int days) { m_days = days; }
    unsigned int get_hours() const { return m_hours; }
    void set_hours(unsigned int hours) { m_hours = hours; }
    unsigned int get_mins() const { return m_minutes; }
    void set_mins(unsigned int minutes) { m_minutes = minutes; }
    float get_secs() const { return m_seconds; }
    void set_secs(float seconds) { m_seconds = seconds; }

    // Carries whole minutes out of the seconds, then minutes into hours, hours into days and
    // months into years. Days never carry into months: a month has no fixed length.
    void normalize();

    std::string get_as_string() const { return format(detail::k_default_precision); }
    // Seconds are written at the stream's precision.
    friend std::ostream& operator<<(std::ostream& out, const c_duration& value);

private:
    void parse(std::string_view text);
    std::string format(std::streamsize precision) const;

    bool m_negative = false;
    unsigned int m_years = 0;
    unsigned int m_months = 0;
    unsigned int m_days = 0;
    unsigned int m_hours = 0;
    unsigned int m_minutes = 0;
    float m_seconds = 0;
};

// The fields shared by every date and time class. A value whose is-UTC flag is false and
// whose offset is 0 has no time zone.
class c_datetime_base {
public:
    bool get_is_utc() const { return m_is_utc; }
    void set_is_utc(bool is_utc) { m_is_utc = is_utc; }
    int get_total_offset_mins() const { return m_total_offset_mins; }
    void set_total_offset_mins(int minutes) { m_total_offset_mins = minutes; }
    // The minutes take the sign of the hours: (-5, 30) is -05:30. A nonzero offset clears the
    // is-UTC flag.
    void set_offset(int hours, unsigned int minutes);
    void set_offset_mins(int hours, unsigned int minutes) { set_offset(hours, minutes); }

protected:
    using layout = detail::datetime_layout;

    c_datetime_base() = default;

    int get_year() const { return m_year; }
    void set_year(int year) { m_year = year; }
    unsigned int get_month() const { return m_month; }
    void set_month(unsigned int month) { m_month = month; }
    unsigned int get_day() const { return m_day; }
    void set_day(unsigned int day) { m_day = day; }
    unsigned int get_hours() const { return m_hours; }
    void set_hours(unsigned int hours) { m_hours = hours; }
    unsigned int get_mins() const { return m_minutes; }
    void set_mins(unsigned int minutes) { m_minutes = minutes; }
    float get_secs() const { return m_seconds; }
    void set_secs(float seconds) { m_seconds = seconds; }

    static bool is_valid(layout form, std::string_view text);
    // Reads the text field by field; a field that is missing or malformed ends the parse,
    // leaving the fields read so far changed and the others as they were.
    void parse(layout form, std::string_view text);
    std::string format(layout form, std::streamsize precision) const;
    std::ostream& write(layout form, std::ostream& out) const;

private:
    friend detail::value_order detail::order_of(const c_datetime_base&, const c_datetime_base&);

    // True when the whole text is of the form; strict checks the widths the parse forgives.
    bool read(layout form, std::string_view text, bool strict);

    int m_year = 1;
    unsigned int m_month = 0;
    unsigned int m_day = 0;
    unsigned int m_hours = 0;
    unsigned int m_minutes = 0;
    float m_seconds = 0;
    int m_total_offset_mins = 0;
    bool m_is_utc = false;
};

namespace detail {

// The text interface that the date and time classes share; T is the class itself, which
// adds the accessors of the fields it carries.
template <typename T, datetime_layout L>
class datetime_value : public c_datetime_base, public ordered<T> {
public:
    datetime_value() = default;
    datetime_value(const char* text) { parse(L, text ? text : ""); }
    datetime_value(const std::string& text) { parse(L, text); }
    T& operator=(const char* text) {
        parse(L, text ? text : "");
        return static_cast<T&>(*this);
    }
    T& operator=(const std::string& text) {
        parse(L, text);
        return static_cast<T&>(*this);
    }

    static bool is_valid(const std::string& text) { return c_datetime_base::is_valid(L, text); }

    std::string get_as_string() const { return format(L, k_default_precision); }
    // Seconds are written at the stream's precision.
    friend std::ostream& operator<<(std::ostream& out, const T& value) {
        return value.write(L, out);
    }
};

}  // namespace detail

// Year "-" month "-" day "T" hours ":" minutes ":" seconds, time zone.
class c_datetime : public detail::datetime_value<c_datetime, detail::datetime_layout::datetime> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_day;
    using c_datetime_base::get_hours;
    using c_datetime_base::get_mins;
    using c_datetime_base::get_month;
    using c_datetime_base::get_secs;
    using c_datetime_base::get_year;
    using c_datetime_base::set_day;
    using c_datetime_base::set_hours;
    using c_datetime_base::set_mins;
    using c_datetime_base::set_month;
    using c_datetime_base::set_secs;
    using c_datetime_base::set_year;
};

// Hours ":" minutes ":" seconds, time zone.
class c_time : public detail::datetime_value<c_time, detail::datetime_layout::time> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_hours;
    using c_datetime_base::get_mins;
    using c_datetime_base::get_secs;
    using c_datetime_base::set_hours;
    using c_datetime_base::set_mins;
    using c_datetime_base::set_secs;
};

// Year "-" month "-" day, time zone.
class c_date : public detail::datetime_value<c_date, detail::datetime_layout::date> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_day;
    using c_datetime_base::get_month;
    using c_datetime_base::get_year;
    using c_datetime_base::set_day;
    using c_datetime_base::set_month;
    using c_datetime_base::set_year;
};

// Year "-" month, time zone.
class c_gyearmonth
    : public detail::datetime_value<c_gyearmonth, detail::datetime_layout::year_month> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_month;
    using c_datetime_base::get_year;
    using c_datetime_base::set_month;
    using c_datetime_base::set_year;
};

// Year, time zone.
class c_gyear : public detail::datetime_value<c_gyear, detail::datetime_layout::year> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_year;
    using c_datetime_base::set_year;
};

// "--" month "-" day, time zone.
class c_gmonthday : public detail::datetime_value<c_gmonthday, detail::datetime_layout::month_day> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_day;
    using c_datetime_base::get_month;
    using c_datetime_base::set_day;
    using c_datetime_base::set_month;
};

// "---" day, time zone.
class c_gday : public detail::datetime_value<c_gday, detail::datetime_layout::day> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_day;
    using c_datetime_base::set_day;
};

// "--" month "--", time zone (the trailing "--" both read and written).
class c_gmonth : public detail::datetime_value<c_gmonth, detail::datetime_layout::month> {
public:
    using datetime_value::datetime_value;
    using datetime_value::operator=;

    using c_datetime_base::get_month;
    using c_datetime_base::set_month;
};

}  // namespace lmx

#endif  // LMX_DATETIME_H
