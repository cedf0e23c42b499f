#include "lmx/values/datetime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <ostream>
#include <sstream>
#include <system_error>

namespace lmx {

namespace {

constexpr unsigned int k_unsigned_max = std::numeric_limits<unsigned int>::max();
constexpr int k_int_max = std::numeric_limits<int>::max();
constexpr int k_int_min = std::numeric_limits<int>::min();

bool is_ascii_digit(char c) {
    return c >= '0' && c <= '9';
}

// A read position in a text; it never moves past the end.
class c_cursor {
public:
    explicit c_cursor(std::string_view text) : m_text(text) {}

    bool at_end() const { return m_position == m_text.size(); }
    std::size_t remaining() const { return m_text.size() - m_position; }
    std::size_t position() const { return m_position; }
    char peek() const { return at_end() ? '\0' : m_text[m_position]; }
    char peek_at(std::size_t ahead) const {
        return ahead < remaining() ? m_text[m_position + ahead] : '\0';
    }

    bool skip(char c) {
        if (at_end() || m_text[m_position] != c) return false;
        ++m_position;
        return true;
    }
    bool skip(std::string_view expected) {
        if (m_text.substr(m_position, expected.size()) != expected) return false;
        m_position += expected.size();
        return true;
    }
    // The run of ASCII digits here, possibly empty.
    std::string_view digits() {
        const std::size_t start = m_position;
        while (!at_end() && is_ascii_digit(m_text[m_position]))
            ++m_position;
        return m_text.substr(start, m_position - start);
    }
    std::string_view since(std::size_t start) const {
        return m_text.substr(start, m_position - start);
    }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

// Digit runs can be of any length in hostile text; values beyond the type stop at its maximum.
unsigned int to_unsigned(std::string_view digits) {
    unsigned long long value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<unsigned int>(c - '0');
        if (value >= k_unsigned_max) return k_unsigned_max;
    }
    return static_cast<unsigned int>(value);
}

int to_year(std::string_view digits, bool negative) {
    long long value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value >= k_int_max) {
            value = k_int_max;
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

// Digits, an optional "." and more digits, read in the classic locale. Like strtof, a value
// too large for a float gives infinity and one too small gives 0.
float to_float(std::string_view number) {
    float value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        const std::string_view whole = number.substr(0, number.find('.'));
        const bool large = whole.find_first_not_of('0') != std::string_view::npos;
        return large ? std::numeric_limits<float>::infinity() : 0.0f;
    }
    return result.ec == std::errc() ? value : 0.0f;
}

std::ostringstream make_classic_stream(std::streamsize precision) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(precision);
    out.fill('0');
    return out;
}

std::string written_number(float value, std::streamsize precision,
                           std::ios_base::fmtflags notation) {
    std::ostringstream out = make_classic_stream(precision);
    out.setf(notation, std::ios_base::floatfield);
    out << value;
    return out.str();
}

// General notation, except fixed for positive values below 0.001, which general notation
// would write with an exponent. The lexical forms have no exponent, no "inf" and a fixed number
// of whole digits, and what is written must read back as the same text; so values whose
// rounding would break that are written with more digits (never fewer than the value has).
void write_seconds_number(std::ostream& out, float seconds) {
    const std::streamsize precision = std::max<std::streamsize>(out.precision(), 1);
    constexpr std::streamsize exact = std::numeric_limits<float>::max_digits10;
    if (std::isnan(seconds)) seconds = 0;
    // Only a text too large for a float reads as infinity; the largest float is its nearest.
    if (std::isinf(seconds)) seconds = std::copysign(std::numeric_limits<float>::max(), seconds);
    const float magnitude = std::fabs(seconds);
    std::string text;
    if (magnitude >=
        std::pow(10.0f, static_cast<float>(std::min<std::streamsize>(precision, 38)))) {
        // General notation would switch to an exponent; whole seconds are all a float this
        // large has anyway.
        text = written_number(seconds, 0, std::ios_base::fixed);
    } else if (seconds > 0 && seconds < 0.001f) {
        text = written_number(seconds, precision, std::ios_base::fixed);
        if (text.find_first_not_of("0.") == std::string::npos) {
            // Rounded to nothing, it would read back as no seconds at all.
            const int leading_zeros =
                -static_cast<int>(std::floor(std::log10(static_cast<double>(seconds)))) - 1;
            text = written_number(seconds, leading_zeros + exact, std::ios_base::fixed);
        } else if (text == written_number(0.001f, precision, std::ios_base::fixed)) {
            text = written_number(seconds, precision, std::ios_base::fmtflags());
        }
    } else {
        text = written_number(seconds, precision, std::ios_base::fmtflags());
        // Rounding that carries into a new whole digit ("99.99999" to "100") changes the width.
        const std::size_t whole = std::min(text.find_first_of(".e"), text.size()) - (seconds < 0);
        const std::size_t value_whole =
            magnitude < 1
                ? 1
                : static_cast<std::size_t>(std::floor(std::log10(static_cast<double>(magnitude)))) +
                      1;
        if (whole != value_whole || text.find('e') != std::string::npos)
            text = written_number(seconds, exact, std::ios_base::fmtflags());
    }
    out << text;
}

unsigned int add_saturated(unsigned int a, unsigned long long b) {
    const unsigned long long sum = a + b;
    return sum >= k_unsigned_max ? k_unsigned_max : static_cast<unsigned int>(sum);
}

}  // namespace

// ---- c_duration -------------------------------------------------------------------------

namespace {

// Walks a duration text by the grammar's steps and, when target is given, stores each number
// as its designator is found. Returns whether the whole text is a duration.
bool read_duration(std::string_view text, c_duration* target) {
    c_cursor in(text);
    const bool negative = in.peek() == '-';
    if (!in.skip('-')) in.skip('+');
    if (!in.skip('P')) return false;
    if (target) target->set_is_neg(negative);

    // pending: a number has been read that no designator has closed yet.
    bool pending = false;
    std::string_view number = in.digits();
    if (!number.empty()) {
        pending = true;
        if (in.skip('Y')) {
            if (target) target->set_years(to_unsigned(number));
            number = in.digits();
            pending = !number.empty();
        }
        if (pending && in.skip('M')) {
            if (target) target->set_months(to_unsigned(number));
            number = in.digits();
            pending = !number.empty();
        }
        if (pending && in.skip('D')) {
            if (target) target->set_days(to_unsigned(number));
            pending = false;
        }
    }

    if (in.at_end()) return !pending;
    // A number left open before "T" has no designator and would be lost.
    if (pending || !in.skip('T') || in.at_end()) return false;

    // Where the number that may turn out to be the seconds began.
    std::size_t number_start = in.position();
    number = in.digits();
    pending = !number.empty();
    if (pending && in.skip('H')) {
        if (target) target->set_hours(to_unsigned(number));
        number_start = in.position();
        number = in.digits();
        pending = !number.empty();
    }
    if (pending && in.skip('M')) {
        if (target) target->set_mins(to_unsigned(number));
        number_start = in.position();
        number = in.digits();
        pending = !number.empty();
    }

    if (in.skip('.')) {
        if (in.at_end()) return false;
        const bool fraction = !in.digits().empty();
        if (!fraction && !pending) return false;  // a lone "." is no number
        pending = true;
    }
    if (pending && in.peek() == 'S') {
        if (target) target->set_secs(to_float(in.since(number_start)));
        in.skip('S');
        pending = false;
    }
    return !pending && in.at_end();
}

}  // namespace

c_duration& c_duration::operator=(const char* text) {
    parse(text ? text : "");
    return *this;
}

c_duration& c_duration::operator=(const std::string& text) {
    parse(text);
    return *this;
}

bool c_duration::is_valid(const char* text) {
    return text && read_duration(text, nullptr);
}

bool c_duration::is_valid(const std::string& text) {
    return read_duration(text, nullptr);
}

void c_duration::parse(std::string_view text) {
    c_duration value;
    read_duration(text, &value);
    *this = value;
}

void c_duration::normalize() {
    // Only whole positive minutes move; a float too large for the minutes leaves the rest
    // in the seconds.
    const double whole_minutes = std::trunc(static_cast<double>(m_seconds) / 60.0);
    if (whole_minutes >= 1.0) {
        const double moved = std::fmin(whole_minutes, static_cast<double>(k_unsigned_max));
        m_minutes = add_saturated(m_minutes, static_cast<unsigned long long>(moved));
        m_seconds = static_cast<float>(static_cast<double>(m_seconds) - moved * 60.0);
    }
    m_hours = add_saturated(m_hours, m_minutes / 60);
    m_minutes %= 60;
    m_days = add_saturated(m_days, m_hours / 24);
    m_hours %= 24;
    m_years = add_saturated(m_years, m_months / 12);
    m_months %= 12;
}

std::string c_duration::format(std::streamsize precision) const {
    std::ostringstream out = make_classic_stream(precision);
    if (m_negative) out << '-';
    out << 'P';
    if (m_years != 0) out << m_years << 'Y';
    if (m_months != 0) out << m_months << 'M';
    if (m_days != 0) out << m_days << 'D';
    if (m_hours != 0 || m_minutes != 0 || m_seconds != 0) {
        out << 'T';
        if (m_hours != 0) out << m_hours << 'H';
        if (m_minutes != 0) out << m_minutes << 'M';
        if (m_seconds != 0) {
            write_seconds_number(out, m_seconds);
            out << 'S';
        }
    }
    return out.str();
}

std::ostream& operator<<(std::ostream& out, const c_duration& value) {
    return out << value.format(out.precision());
}

// ---- c_datetime_base --------------------------------------------------------------------

void c_datetime_base::set_offset(int hours, unsigned int minutes) {
    const long long total = hours >= 0 ? hours * 60LL + minutes : hours * 60LL - minutes;
    m_total_offset_mins = static_cast<int>(total > k_int_max   ? k_int_max
                                           : total < k_int_min ? k_int_min
                                                               : total);
    if (m_total_offset_mins != 0) m_is_utc = false;
}

namespace {

bool read_two_digits(c_cursor& in, unsigned int& field) {
    const std::string_view digits = in.digits();
    if (digits.size() != 2) return false;
    field = to_unsigned(digits);
    return true;
}

}  // namespace

bool c_datetime_base::read(layout form, std::string_view text, bool strict) {
    c_cursor in(text);

    // The day of gDay and gMonthDay is forgiven any width when parsing.
    auto read_free_day = [&]() {
        const std::string_view digits = in.digits();
        if (digits.empty() || (strict && digits.size() != 2)) return false;
        m_day = to_unsigned(digits);
        return true;
    };

    switch (form) {
        case layout::datetime:
        case layout::date:
        case layout::year_month:
        case layout::year: {
            const bool negative = in.peek() == '-';
            if (!in.skip('-')) in.skip('+');
            const std::string_view year = in.digits();
            if (year.size() < 4) return false;
            m_year = to_year(year, negative);
            if (form == layout::year) break;
            if (!in.skip('-') || !read_two_digits(in, m_month)) return false;
            if (form == layout::year_month) break;
            if (!in.skip('-') || !read_two_digits(in, m_day)) return false;
            if (form == layout::datetime && !in.skip('T')) return false;
            break;
        }
        case layout::month_day:
            if (!in.skip("--") || !read_two_digits(in, m_month) || !in.skip('-') ||
                !read_free_day())
                return false;
            break;
        case layout::day:
            if (!in.skip("---") || !read_free_day()) return false;
            break;
        case layout::month:
            if (!in.skip("--") || !read_two_digits(in, m_month) || !in.skip("--")) return false;
            break;
        case layout::time:
            break;
    }

    if (form == layout::datetime || form == layout::time) {
        if (!read_two_digits(in, m_hours) || !in.skip(':') || !read_two_digits(in, m_minutes) ||
            !in.skip(':'))
            return false;
        const std::size_t start = in.position();
        const std::size_t whole_digits = in.digits().size();
        if (in.skip('.')) in.digits();
        const std::string_view seconds = in.since(start);
        if (strict ? whole_digits != 2 : seconds.size() < 2) return false;
        m_seconds = to_float(seconds);
        // "99.9999999" rounds to the float 100, which two whole digits cannot write: the
        // nearest float that they can stands for it.
        if (whole_digits == 2 && m_seconds >= 100) m_seconds = std::nextafter(100.0f, 0.0f);
    }

    if (in.at_end()) {
        m_is_utc = false;
        m_total_offset_mins = 0;
        return true;
    }
    if (in.remaining() == 1 && in.peek() == 'Z') {
        m_is_utc = true;
        m_total_offset_mins = 0;
        return true;
    }
    const char sign = in.peek();
    if (in.remaining() == 6 && (sign == '+' || sign == '-') && is_ascii_digit(in.peek_at(1)) &&
        is_ascii_digit(in.peek_at(2)) && in.peek_at(3) == ':' && is_ascii_digit(in.peek_at(4)) &&
        is_ascii_digit(in.peek_at(5))) {
        const int hours = (in.peek_at(1) - '0') * 10 + (in.peek_at(2) - '0');
        const int minutes = (in.peek_at(4) - '0') * 10 + (in.peek_at(5) - '0');
        const int offset = hours * 60 + minutes;
        m_total_offset_mins = sign == '-' ? -offset : offset;
        m_is_utc = false;
        return true;
    }
    return false;
}

bool c_datetime_base::is_valid(layout form, std::string_view text) {
    c_datetime_base scratch;
    return scratch.read(form, text, true);
}

void c_datetime_base::parse(layout form, std::string_view text) {
    read(form, text, false);
}

std::string c_datetime_base::format(layout form, std::streamsize precision) const {
    std::ostringstream out = make_classic_stream(precision);
    switch (form) {
        case layout::datetime:
        case layout::date:
        case layout::year_month:
        case layout::year: {
            long long year = m_year;
            if (year < 0) {
                out << '-';
                year = -year;
            }
            out << std::setw(4) << year;
            if (form == layout::year) break;
            out << '-' << std::setw(2) << m_month;
            if (form == layout::year_month) break;
            out << '-' << std::setw(2) << m_day;
            if (form == layout::datetime) out << 'T';
            break;
        }
        case layout::month_day:
            out << "--" << std::setw(2) << m_month << '-' << std::setw(2) << m_day;
            break;
        case layout::day:
            out << "---" << std::setw(2) << m_day;
            break;
        case layout::month:
            out << "--" << std::setw(2) << m_month << "--";
            break;
        case layout::time:
            break;
    }

    if (form == layout::datetime || form == layout::time) {
        out << std::setw(2) << m_hours << ':' << std::setw(2) << m_minutes << ':';
        if (m_seconds < 10) out << '0';
        write_seconds_number(out, m_seconds);
    }

    if (m_is_utc) {
        out << 'Z';
    } else if (m_total_offset_mins != 0) {
        long long offset = m_total_offset_mins;
        out << (offset < 0 ? '-' : '+');
        if (offset < 0) offset = -offset;
        // The form lets "+99:90" through, more than 99 hours of 60 minutes: such an offset
        // keeps 99 hours, so that what is written has the form and reads back as the same text.
        // (Larger offsets, which only the setters make, are written as they are.)
        long long hours = offset / 60;
        if (hours > 99 && offset <= 99 * 60 + 99) hours = 99;
        out << std::setw(2) << hours << ':' << std::setw(2) << offset - hours * 60;
    }
    return out.str();
}

std::ostream& c_datetime_base::write(layout form, std::ostream& out) const {
    return out << format(form, out.precision());
}

// ---- comparisons ------------------------------------------------------------------------

namespace detail {

namespace {

// The fewest and the most days that 0 to 11 whole months can span.
constexpr long long k_min_days_in_months[12] = {0,   28,  59,  89,  120, 150,
                                                181, 212, 242, 273, 303, 334};
constexpr long long k_max_days_in_months[12] = {0,   31,  62,  92,  123, 153,
                                                184, 215, 245, 276, 306, 337};

// Months and days give no fixed number of days, so two durations whose possible spans
// overlap are neither equal nor ordered. Hours and below take no part.
bool is_indeterminate(const c_duration& a, const c_duration& b) {
    if (a.get_is_neg() != b.get_is_neg() || a.get_months() % 12 == b.get_months() % 12)
        return false;
    c_duration na = a;
    c_duration nb = b;
    na.normalize();
    nb.normalize();
    const long long years_a = na.get_years();
    const long long years_b = nb.get_years();
    const long long excess_a = years_a > years_b ? years_a - years_b : 0;
    const long long excess_b = years_b > years_a ? years_b - years_a : 0;
    const long long longest_a =
        excess_a * 366 + k_max_days_in_months[na.get_months()] + na.get_days();
    const long long shortest_a =
        excess_a * 365 + k_min_days_in_months[na.get_months()] + na.get_days();
    const long long longest_b =
        excess_b * 366 + k_max_days_in_months[nb.get_months()] + nb.get_days();
    const long long shortest_b =
        excess_b * 365 + k_min_days_in_months[nb.get_months()] + nb.get_days();
    return longest_a > shortest_b && shortest_a < longest_b;
}

}  // namespace

value_order order_of(const c_duration& a, const c_duration& b) {
    if (is_indeterminate(a, b)) return value_order::indeterminate;
    c_duration na = a;
    c_duration nb = b;
    na.normalize();
    nb.normalize();
    const unsigned int fields_a[] = {na.get_years(), na.get_months(), na.get_days(), na.get_hours(),
                                     na.get_mins()};
    const unsigned int fields_b[] = {nb.get_years(), nb.get_months(), nb.get_days(), nb.get_hours(),
                                     nb.get_mins()};
    // The sign flags must agree for equality but take no part in ordering.
    for (int i = 0; i < 5; ++i) {
        if (fields_a[i] > fields_b[i]) return value_order::greater;
        if (fields_a[i] < fields_b[i]) return value_order::less;
    }
    if (na.get_secs() > nb.get_secs()) return value_order::greater;
    if (na.get_secs() == nb.get_secs() && na.get_is_neg() == nb.get_is_neg())
        return value_order::equal;
    return value_order::less;
}

value_order order_of(const c_datetime_base& a, const c_datetime_base& b) {
    if (a.m_year != b.m_year) return a.m_year > b.m_year ? value_order::greater : value_order::less;
    const unsigned int fields_a[] = {a.m_month, a.m_day, a.m_hours, a.m_minutes};
    const unsigned int fields_b[] = {b.m_month, b.m_day, b.m_hours, b.m_minutes};
    for (int i = 0; i < 4; ++i) {
        if (fields_a[i] > fields_b[i]) return value_order::greater;
        if (fields_a[i] < fields_b[i]) return value_order::less;
    }
    if (a.m_seconds > b.m_seconds) return value_order::greater;
    if (a.m_seconds == b.m_seconds) return value_order::equal;
    return value_order::less;
}

}  // namespace detail

}  // namespace lmx
