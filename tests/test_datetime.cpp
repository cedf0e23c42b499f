#include <gtest/gtest.h>

#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <utility>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

template <typename T>
std::string streamed(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

// A locale that writes "," as decimal point and groups thousands, as many user locales do.
struct comma_numpunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class GlobalLocaleGuard {
public:
    explicit GlobalLocaleGuard(const std::locale& locale) : m_saved(std::locale::global(locale)) {}
    ~GlobalLocaleGuard() { std::locale::global(m_saved); }

private:
    std::locale m_saved;
};

// ---- lexical forms --------------------------------------------------------------------------

TEST(DateTimeForms, DateChecksFormNotRange) {
    EXPECT_TRUE(c_date::is_valid("2011-13-45"));
    EXPECT_TRUE(c_date::is_valid("2011-02-29"));
    EXPECT_TRUE(c_date::is_valid("-0044-03-15Z"));
    EXPECT_TRUE(c_date::is_valid("+2011-03-15"));
    EXPECT_TRUE(c_date::is_valid("12011-03-15-12:00"));
    for (const char* bad :
         {"11-03-15", "2011-3-15", "2011-03-15+5:00", "", "2011-03-15 ", " 2011-03-15",
          "2011-03-15Z ", "2011-03-15z", "2011-03-15+05:00:00", "2011-03-15+0500", "2011-03",
          "2011-03-15T", "--2011-03-15", "2011-03-150", "2011-03-15+05:3", "2011-03-15+"})
        EXPECT_FALSE(c_date::is_valid(bad)) << bad;
}

TEST(DateTimeForms, EachClassAcceptsItsOwnForm) {
    EXPECT_TRUE(c_datetime::is_valid("2011-03-15T09:05:07"));
    EXPECT_TRUE(c_datetime::is_valid("-2011-03-15T09:05:07.125+01:00"));
    EXPECT_TRUE(c_datetime::is_valid("2011-03-15T09:05:07.Z"));
    EXPECT_TRUE(c_time::is_valid("09:05:07.5"));
    EXPECT_TRUE(c_time::is_valid("23:59:60Z"));
    EXPECT_TRUE(c_gyearmonth::is_valid("2011-03-05:00"));
    EXPECT_TRUE(c_gyear::is_valid("-20110Z"));
    EXPECT_TRUE(c_gmonthday::is_valid("--03-15"));
    EXPECT_TRUE(c_gday::is_valid("---15+14:00"));
    EXPECT_TRUE(c_gmonth::is_valid("--05--"));
    EXPECT_TRUE(c_gmonth::is_valid("--05--Z"));
}

TEST(DateTimeForms, EachClassRejectsMalformedText) {
    for (const char* bad : {"2011-03-15", "2011-03-15T9:05:07", "2011-03-15 09:05:07",
                            "2011-03-15T09:05", "2011-03-15T09:05:7", "2011-03-15T09:05:007",
                            "2011-03-15T09:05:07.5.5", "2011-03-15T09:05:07x"})
        EXPECT_FALSE(c_datetime::is_valid(bad)) << bad;
    for (const char* bad : {"+09:05:07", "9:05:07", "09:05", "09:05:07+1:00", "09-05-07", ""})
        EXPECT_FALSE(c_time::is_valid(bad)) << bad;
    for (const char* bad : {"2011", "2011-3", "011-03", "2011-03-01"})
        EXPECT_FALSE(c_gyearmonth::is_valid(bad)) << bad;
    for (const char* bad : {"201", "2011-", "+-2011", "Z"})
        EXPECT_FALSE(c_gyear::is_valid(bad)) << bad;
    for (const char* bad : {"03-15", "-03-15", "--3-15", "--03-5", "--03-015", "--03"})
        EXPECT_FALSE(c_gmonthday::is_valid(bad)) << bad;
    for (const char* bad : {"--15", "---5", "---015", "----15"})
        EXPECT_FALSE(c_gday::is_valid(bad)) << bad;
    for (const char* bad : {"--05", "--5--", "--05-", "-05--", "--05--05"})
        EXPECT_FALSE(c_gmonth::is_valid(bad)) << bad;
}

// ---- parsing, time zones and output ---------------------------------------------------------

TEST(DateTimeZones, OffsetUtcAndNone) {
    c_date offset("2011-03-15+05:30");
    EXPECT_EQ(offset.get_total_offset_mins(), 330);
    EXPECT_FALSE(offset.get_is_utc());
    EXPECT_EQ(streamed(offset), "2011-03-15+05:30");

    c_date utc("2011-03-15Z");
    EXPECT_TRUE(utc.get_is_utc());
    EXPECT_EQ(utc.get_total_offset_mins(), 0);
    EXPECT_EQ(utc.get_as_string(), "2011-03-15Z");

    c_date zero("2011-03-15-00:00");
    EXPECT_EQ(zero.get_total_offset_mins(), 0);
    EXPECT_FALSE(zero.get_is_utc());
    EXPECT_EQ(zero.get_as_string(), "2011-03-15");

    c_time west("09:00:00-03:45");
    EXPECT_EQ(west.get_total_offset_mins(), -225);
    EXPECT_EQ(west.get_as_string(), "09:00:00-03:45");

    // Reassigning a text without a zone clears the zone the object had.
    utc = "2012-01-01";
    EXPECT_FALSE(utc.get_is_utc());
    EXPECT_EQ(utc.get_as_string(), "2012-01-01");
}

TEST(DateTimeZones, SetOffsetTakesTheSignOfTheHours) {
    c_gyear year("2011Z");
    year.set_offset(0, 0);
    EXPECT_TRUE(year.get_is_utc()) << "a zero offset leaves the flag alone";
    year.set_offset(-5, 30);
    EXPECT_EQ(year.get_total_offset_mins(), -330);
    EXPECT_FALSE(year.get_is_utc());
    EXPECT_EQ(year.get_as_string(), "2011-05:30");
    year.set_offset_mins(2, 15);
    EXPECT_EQ(year.get_total_offset_mins(), 135);

    year.set_is_utc(true);
    year.set_total_offset_mins(60);
    EXPECT_TRUE(year.get_is_utc()) << "set_total_offset_mins leaves the flag alone";
    EXPECT_EQ(year.get_as_string(), "2011Z");

    year.set_is_utc(false);
    year.set_offset(-2147483647, 4294967295u);  // saturates instead of overflowing
    EXPECT_EQ(year.get_total_offset_mins(), -2147483647 - 1);
    year.set_total_offset_mins(-2147483647 - 1);
    EXPECT_EQ(year.get_as_string(), "2011-35791394:08");
}

TEST(DateTimeOutput, YearsArePaddedToFourDigits) {
    EXPECT_EQ(c_date("-0044-03-15").get_as_string(), "-0044-03-15");
    EXPECT_EQ(c_date("-0044-03-15").get_year(), -44);
    c_date small;
    small.set_year(5);
    small.set_month(1);
    small.set_day(2);
    EXPECT_EQ(small.get_as_string(), "0005-01-02");
    EXPECT_EQ(c_gyear("+12345").get_as_string(), "12345");
    c_gyear lowest;
    lowest.set_year(-2147483647 - 1);
    EXPECT_EQ(lowest.get_as_string(), "-2147483648");
    EXPECT_EQ(c_date().get_as_string(), "0001-00-00") << "defaults: year 1, month and day 0";
}

TEST(DateTimeOutput, SecondsFollowTheStreamPrecision) {
    EXPECT_EQ(c_time("09:05:07.5").get_as_string(), "09:05:07.5");
    EXPECT_EQ(c_time("09:05:05").get_as_string(), "09:05:05");
    EXPECT_EQ(c_time("09:05:30.5").get_as_string(), "09:05:30.5");
    EXPECT_EQ(c_time("09:05:00").get_as_string(), "09:05:00");
    EXPECT_EQ(c_time("00:00:00.0005").get_as_string(), "00:00:00.000500");

    std::ostringstream out;
    out << std::setprecision(3) << c_time("09:05:07.12345");
    EXPECT_EQ(out.str(), "09:05:07.12");
}

// Found by fuzzing: seconds whose rounding at the stream precision gave "100" or "10" (a
// width the form rejects), an exponent, "inf", or a text that reads back as no seconds at all.
// What is written must be valid and must read back to the same text.
TEST(DateTimeOutput, SecondsAlwaysWrittenInTheirOwnForm) {
    const char* const times[] = {"00:00:99.99999",   "00:00:99.9999999",   "00:00:09.9999995",
                                 "00:00:00.0000001", "00:00:00.000999999", "23:59:59.9999999"};
    for (const char* text : times) {
        const std::string written = c_time(text).get_as_string();
        EXPECT_TRUE(c_time::is_valid(written)) << text << " -> " << written;
        EXPECT_EQ(c_time(written).get_as_string(), written) << text;
    }
    EXPECT_EQ(c_time("00:00:99.99999").get_as_string(), "00:00:99.9999924");
    // Rounds to the float 100; the nearest float below stands for it.
    EXPECT_EQ(c_time("00:00:99.9999999").get_as_string(), "00:00:99.9999924");

    const char* const durations[] = {
        "PT12345678S",  "PT999999.9S",     "PT99.99999S",
        "PT0.0000001S", "PT0.0009999999S", "P12DT40000000000000000000000000000000000000007S"};
    for (const char* text : durations) {
        const std::string written = c_duration(text).get_as_string();
        EXPECT_TRUE(c_duration::is_valid(written)) << text << " -> " << written;
        EXPECT_EQ(written.find('e'), std::string::npos) << text << " -> " << written;
        EXPECT_NE(written, "P") << text;
        EXPECT_EQ(c_duration(written).get_as_string(), written) << text;
    }
    EXPECT_EQ(c_duration("PT12345678S").get_as_string(), "PT12345678S");
    EXPECT_EQ(c_duration("PT0.0009999999S").get_as_string(), "PT0.001S");
    // Too large for a float: read as infinity, written as the largest float.
    EXPECT_EQ(c_duration("PT1" + std::string(40, '0') + "S").get_as_string(),
              "PT340282346638528859811704183484516925440S");
}

// Found by fuzzing: an offset the form allows but that is more than 99 hours ("+99:90", 6030
// minutes) was written with three digits of hours.
TEST(DateTimeOutput, OffsetsBeyondNinetyNineHoursKeepTheForm) {
    EXPECT_EQ(c_gday("---00+99:90").get_as_string(), "---00+99:90");
    EXPECT_EQ(c_time("10:00:00-99:99").get_as_string(), "10:00:00-99:99");
    EXPECT_EQ(c_date("2024-01-01+14:00").get_as_string(), "2024-01-01+14:00");
}

TEST(DateTimeOutput, CallerStreamStateAndLocaleDoNotLeak) {
    const std::locale comma(std::locale::classic(), new comma_numpunct);
    GlobalLocaleGuard guard(comma);

    std::ostringstream out;
    out.imbue(comma);
    out.fill('*');
    out << c_datetime("12011-03-15T09:05:07.5+01:00") << ' ' << c_duration("PT1.5S") << ' ' << 12345
        << ' ' << std::setw(9) << c_gmonth("--05--");
    EXPECT_EQ(out.str(), "12011-03-15T09:05:07.5+01:00 PT1.5S 12.345 ***--05--");
    EXPECT_EQ(out.fill(), '*');

    EXPECT_EQ(c_time("10:00:00.25").get_as_string(), "10:00:00.25");
    EXPECT_FLOAT_EQ(c_duration("PT2.75S").get_secs(), 2.75f);
}

TEST(DateTimeRoundTrip, ValueToTextToValue) {
    c_datetime datetime;
    datetime.set_year(-1999);
    datetime.set_month(12);
    datetime.set_day(31);
    datetime.set_hours(23);
    datetime.set_mins(59);
    datetime.set_secs(59.25f);
    datetime.set_offset(-11, 30);
    const c_datetime datetime_back(datetime.get_as_string());
    EXPECT_EQ(datetime_back, datetime);
    EXPECT_EQ(datetime_back.get_total_offset_mins(), -690);
    EXPECT_EQ(datetime_back.get_as_string(), "-1999-12-31T23:59:59.25-11:30");

    c_time time;
    time.set_hours(7);
    time.set_secs(0.5f);
    time.set_is_utc(true);
    EXPECT_EQ(time.get_as_string(), "07:00:00.5Z");
    EXPECT_EQ(c_time(time.get_as_string()), time);
    EXPECT_TRUE(c_time(time.get_as_string()).get_is_utc());

    for (const char* text : {"2011-03-15", "-0044-03-15Z", "99999-01-09+14:00"}) {
        ASSERT_TRUE(c_date::is_valid(text));
        EXPECT_EQ(c_date(text).get_as_string(), text);
    }
    for (const char* text : {"2011-03", "0001-12Z"})
        EXPECT_EQ(c_gyearmonth(text).get_as_string(), text);
    for (const char* text : {"2011", "-0001-01:00"})
        EXPECT_EQ(c_gyear(text).get_as_string(), text);
    for (const char* text : {"--02-29", "--12-31Z"})
        EXPECT_EQ(c_gmonthday(text).get_as_string(), text);
    for (const char* text : {"---01", "---31-12:00"})
        EXPECT_EQ(c_gday(text).get_as_string(), text);
    for (const char* text : {"--01--", "--12--+00:30"})
        EXPECT_EQ(c_gmonth(text).get_as_string(), text);

    // Plain value semantics: copies are independent, swap exchanges everything.
    c_date a("2011-03-15Z");
    c_date b("1999-01-01+01:00");
    c_date copy = a;
    copy.set_day(16);
    EXPECT_EQ(a.get_day(), 15u);
    std::swap(a, b);
    EXPECT_EQ(a.get_as_string(), "1999-01-01+01:00");
    EXPECT_EQ(b.get_as_string(), "2011-03-15Z");
}

TEST(DateTimeParse, EndsEarlyKeepingWhatWasRead) {
    c_datetime value("2011-03-15T09:05:07Z");
    value = "2012-04-1";  // the day is too short: year and month change, the rest stays
    EXPECT_EQ(value.get_year(), 2012);
    EXPECT_EQ(value.get_month(), 4u);
    EXPECT_EQ(value.get_day(), 15u);
    EXPECT_EQ(value.get_hours(), 9u);
    EXPECT_TRUE(value.get_is_utc());

    value = "-0300-01-02T03:04:05+0100";  // an unreadable zone is left as it was
    EXPECT_EQ(value.get_year(), -300);
    EXPECT_EQ(value.get_secs(), 5.0f);
    EXPECT_TRUE(value.get_is_utc());

    c_time time("10:11:5.");  // the parse forgives a one-digit second of two characters
    EXPECT_FALSE(c_time::is_valid("10:11:5."));
    EXPECT_EQ(time.get_secs(), 5.0f);

    // The day of gDay and gMonthDay may have any width when parsed.
    EXPECT_EQ(c_gday("---7").get_day(), 7u);
    EXPECT_EQ(c_gmonthday("--02-123").get_day(), 123u);

    const char* null_text = nullptr;
    c_gyear year(null_text);
    EXPECT_EQ(year.get_year(), 1);
}

TEST(DateTimeParse, HostileTextStaysBounded) {
    const std::string many_digits(1 << 20, '9');
    EXPECT_TRUE(c_gyear::is_valid(many_digits));
    c_gyear year(many_digits);
    EXPECT_EQ(year.get_year(), 2147483647) << "years beyond int stop at its maximum";
    EXPECT_EQ(c_gyear("-" + many_digits).get_year(), -2147483647);

    c_gday day("---" + many_digits);
    EXPECT_EQ(day.get_day(), 4294967295u);

    c_time seconds("00:00:" + many_digits);
    EXPECT_EQ(seconds.get_secs(), std::numeric_limits<float>::infinity());
    c_time tiny("00:00:00." + std::string(1 << 20, '0') + "1");
    EXPECT_EQ(tiny.get_secs(), 0.0f);
    EXPECT_TRUE(c_time::is_valid("00:00:00." + many_digits));

    const std::string embedded_nul("2011-03-15\0Z", 12);
    EXPECT_FALSE(c_date::is_valid(embedded_nul));
    // Every prefix of a valid text ends inside some field: none is read past its end.
    const std::string full = "-2011-03-15T09:05:07.25+05:30";
    for (std::size_t n = 0; n < full.size(); ++n) {
        const std::string prefix = full.substr(0, n);
        c_datetime partial(prefix);
        // Only the prefixes that stop inside the seconds, before the zone, are whole texts.
        EXPECT_EQ(c_datetime::is_valid(prefix), n >= full.size() - 9 && n <= full.size() - 6)
            << prefix;
    }
}

// ---- date comparisons -----------------------------------------------------------------------

TEST(DateTimeCompare, TimeZonesTakeNoPart) {
    EXPECT_EQ(c_date("2011-03-15Z"), c_date("2011-03-15+05:00"));
    EXPECT_EQ(c_datetime("2011-03-15T10:00:00-01:00"), c_datetime("2011-03-15T10:00:00"));
    EXPECT_GT(c_datetime("2011-03-15T10:00:00+14:00"), c_datetime("2011-03-15T09:00:00-14:00"));
}

TEST(DateTimeCompare, FieldsDecideInOrder) {
    EXPECT_LT(c_date("-0044-03-15"), c_date("0001-01-01")) << "the year compares signed";
    EXPECT_GT(c_date("2011-03-15"), c_date("2010-12-31"));
    EXPECT_GT(c_date("2011-04-01"), c_date("2011-03-31"));
    EXPECT_LT(c_time("09:05:07"), c_time("09:05:07.5"));
    EXPECT_GT(c_time("10:00:00"), c_time("09:59:59.9"));
    EXPECT_LT(c_gmonthday("--02-28"), c_gmonthday("--02-29"));
    EXPECT_GT(c_gday("---02"), c_gday("---01"));
    EXPECT_LT(c_gmonth("--01--"), c_gmonth("--12--"));
    EXPECT_GE(c_gyearmonth("2011-03"), c_gyearmonth("2011-03Z"));
    EXPECT_LE(c_gyearmonth("2011-03"), c_gyearmonth("2011-03Z"));
    EXPECT_NE(c_gyear("2011"), c_gyear("2012"));
    EXPECT_FALSE(c_gyear("2011") > c_gyear("2011"));
    EXPECT_FALSE(c_gyear("2011") < c_gyear("2011"));
}

// ---- durations -------------------------------------------------------------------------------

TEST(DurationForms, ValidAndInvalidTexts) {
    for (const char* good : {"P1Y2M3DT4H5M6.5S", "-P3D", "+PT1M", "PT.5S", "P", "-P", "P1Y", "P2M",
                             "P1Y3D", "P1YT1H", "PT1H.5S", "PT5.S", "PT1H2M3S", "PT0S"})
        EXPECT_TRUE(c_duration::is_valid(good)) << good;
    for (const char* bad : {"P1",    "PT",   "P1YM",   "P1DT", "P2D1Y", "",       "1Y",
                            "+-P1Y", "P-1D", "PT1.5M", "PT5.", "PT.S",  "PT1H2",  "PT1M2H",
                            "P1Y ",  " P1Y", "PS",     "P1S",  "P1M2Y", "PT1H1H", "p1Y"})
        EXPECT_FALSE(c_duration::is_valid(bad)) << bad;
    const char* null_text = nullptr;
    EXPECT_FALSE(c_duration::is_valid(null_text));
}

TEST(DurationForms, AnOpenNumberBeforeTheTimeIsRejected) {
    // Without a designator the "1" would be silently lost.
    EXPECT_FALSE(c_duration::is_valid("P1T1H"));
    EXPECT_FALSE(c_duration::is_valid("P1TH"));
    EXPECT_FALSE(c_duration::is_valid("P1Y2T3H"));
}

TEST(DurationParse, FieldsSignAndSeconds) {
    const c_duration full("-P1Y2M3DT4H5M6.5S");
    EXPECT_TRUE(full.get_is_neg());
    EXPECT_EQ(full.get_years(), 1u);
    EXPECT_EQ(full.get_months(), 2u);
    EXPECT_EQ(full.get_days(), 3u);
    EXPECT_EQ(full.get_hours(), 4u);
    EXPECT_EQ(full.get_mins(), 5u);
    EXPECT_EQ(full.get_secs(), 6.5f);
    EXPECT_EQ(c_duration("PT.5S").get_secs(), 0.5f);
    EXPECT_EQ(c_duration("PT1H.25S").get_secs(), 0.25f);
    EXPECT_EQ(c_duration("PT1M").get_mins(), 1u);
    EXPECT_EQ(c_duration("P1M").get_months(), 1u);

    // Parsing starts from zero every time; a text without "P" leaves the zero value.
    c_duration value("P1Y");
    value = "-5D";
    EXPECT_EQ(value.get_years(), 0u);
    EXPECT_FALSE(value.get_is_neg());
    value = std::string("PT3H");
    EXPECT_EQ(value.get_hours(), 3u);

    // Huge numbers stop at the field's maximum.
    const std::string many_digits(1 << 20, '7');
    const c_duration huge("P" + many_digits + "Y" + many_digits + "DT" + many_digits + "S");
    EXPECT_EQ(huge.get_years(), 4294967295u);
    EXPECT_EQ(huge.get_days(), 4294967295u);
    EXPECT_EQ(huge.get_secs(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(c_duration("P4294967296D").get_days(), 4294967295u);
    EXPECT_EQ(c_duration("P4294967295D").get_days(), 4294967295u);
    EXPECT_EQ(c_duration("P2147483648D").get_days(), 2147483648u);
}

TEST(DurationOutput, WritesOnlyNonZeroFields) {
    EXPECT_EQ(c_duration("P1Y2M3DT4H5M6.5S").get_as_string(), "P1Y2M3DT4H5M6.5S");
    EXPECT_EQ(c_duration("-P0Y3D").get_as_string(), "-P3D");
    EXPECT_EQ(c_duration("PT0H0M0S").get_as_string(), "P");
    EXPECT_EQ(c_duration("PT90M").get_as_string(), "PT90M") << "output does not normalise";
    EXPECT_EQ(c_duration("PT0.0002S").get_as_string(), "PT0.000200S");
    EXPECT_TRUE(c_duration::is_valid(c_duration().get_as_string()));

    c_duration built;
    built.set_is_neg(true);
    built.set_months(14);
    built.set_secs(1.25f);
    EXPECT_EQ(streamed(built), "-P14MT1.25S");
    const c_duration back(streamed(built));
    EXPECT_EQ(back, built);
    EXPECT_EQ(back.get_months(), 14u);
}

TEST(DurationNormalize, CarriesAcrossFields) {
    c_duration years("P1Y14M");
    years.normalize();
    EXPECT_EQ(years.get_years(), 2u);
    EXPECT_EQ(years.get_months(), 2u);

    c_duration minutes("PT90M");
    minutes.normalize();
    EXPECT_EQ(minutes.get_hours(), 1u);
    EXPECT_EQ(minutes.get_mins(), 30u);

    c_duration days("P40D");
    days.normalize();
    EXPECT_EQ(days.get_days(), 40u);
    EXPECT_EQ(days.get_months(), 0u);

    c_duration chain("P11M30DT23H59M125.5S");
    chain.normalize();
    EXPECT_EQ(chain.get_as_string(), "P11M31DT1M5.5S");

    c_duration saturated;
    saturated.set_years(4294967295u);
    saturated.set_months(24);
    saturated.set_days(4294967295u);
    saturated.set_hours(48);
    saturated.set_secs(1e30f);
    saturated.normalize();
    EXPECT_EQ(saturated.get_years(), 4294967295u);
    EXPECT_EQ(saturated.get_months(), 0u);
    EXPECT_EQ(saturated.get_days(), 4294967295u);

    c_duration negative_seconds;
    negative_seconds.set_secs(-90.0f);  // minutes are unsigned: nothing moves
    negative_seconds.normalize();
    EXPECT_EQ(negative_seconds.get_mins(), 0u);
    EXPECT_EQ(negative_seconds.get_secs(), -90.0f);
}

// Every comparison operator at once, so that a pair's whole verdict shows in one line.
std::string verdict(const c_duration& a, const c_duration& b) {
    std::string result;
    result += a == b ? "==" : "";
    result += a != b ? "!=" : "";
    result += a < b ? "<" : "";
    result += a <= b ? "<=" : "";
    result += a > b ? ">" : "";
    result += a >= b ? ">=" : "";
    return result;
}

TEST(DurationCompare, IndeterminatePairs) {
    EXPECT_EQ(verdict(c_duration("P1M"), c_duration("P30D")), "!=");
    EXPECT_EQ(verdict(c_duration("P30D"), c_duration("P1M")), "!=");
    EXPECT_EQ(verdict(c_duration("P1Y1M"), c_duration("P1Y30D")), "!=");
    EXPECT_EQ(verdict(c_duration("P2M"), c_duration("P60D")), "!=");
    // Whole years span 365 or 366 days: a leap year with a 31-day month reaches 397 days.
    EXPECT_EQ(verdict(c_duration("P1Y1M"), c_duration("P396D")), "!=");
    EXPECT_EQ(verdict(c_duration("P395D"), c_duration("P1Y1M")), "!=");
    EXPECT_EQ(verdict(c_duration("P1Y1M"), c_duration("P393D")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("P1Y1M"), c_duration("P397D")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("P13M"), c_duration("P396D")), "!=") << "13 months is 1Y1M";
    // Spans that cannot overlap are ordered field by field, months before days.
    EXPECT_EQ(verdict(c_duration("P1M"), c_duration("P27D")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("P1M"), c_duration("P32D")), "!=>>=");
    // Hours take no part in the test.
    EXPECT_EQ(verdict(c_duration("P1MT23H"), c_duration("P30D")), "!=");
    // Month counts equal modulo 12 are never indeterminate: the fields decide.
    EXPECT_EQ(verdict(c_duration("P1Y"), c_duration("P366D")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("P12M"), c_duration("P1Y")), "==<=>=");
    // Different signs skip the test.
    EXPECT_EQ(verdict(c_duration("-P1M"), c_duration("P30D")), "!=>>=");
}

TEST(DurationCompare, NormalisedFieldsDecide) {
    EXPECT_EQ(verdict(c_duration("PT24H"), c_duration("P1D")), "==<=>=");
    EXPECT_EQ(verdict(c_duration("PT60S"), c_duration("PT1M")), "==<=>=");
    EXPECT_EQ(verdict(c_duration("P1D"), c_duration("PT23H")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("PT1.5S"), c_duration("PT1.25S")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("P"), c_duration("PT0S")), "==<=>=");
    // The sign takes no part in ordering, only in equality.
    EXPECT_EQ(verdict(c_duration("-P2Y"), c_duration("P1Y")), "!=>>=");
    EXPECT_EQ(verdict(c_duration("-P1D"), c_duration("P1D")), "!=<<=");
    EXPECT_EQ(verdict(c_duration("-P1D"), c_duration("-PT24H")), "==<=>=");
}

}  // namespace
