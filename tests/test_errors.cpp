#include <gtest/gtest.h>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

struct recording_error : c_error {
    int reports = 0;
    const char* last_source = "unset";
    void report_error(elmx_error_type, elmx_error, const char* source_id, int,
                      const std::string&) override {
        ++reports;
        last_source = source_id;
    }
};

TEST(ErrorDescriptions, CoverEveryCodeAndNothingElse) {
    EXPECT_STREQ(get_error_description(ELMX_OK), "No Error");
    EXPECT_STREQ(get_error_description(ELMX_NOT_WELL_FORMED), "Not well formed");
    EXPECT_STREQ(get_error_description(ELMX_TYPE_NOT_SET), "Type not set");
    for (int code = 0; code <= 45; ++code)
        EXPECT_STRNE(get_error_description(static_cast<elmx_error>(code)), "") << code;
    EXPECT_STREQ(get_error_description(static_cast<elmx_error>(46)), "");
    EXPECT_STREQ(get_error_description(static_cast<elmx_error>(-1)), "");
}

TEST(ErrorRecorder, FirstFatalErrorFreezesTheRecord) {
    recording_error e;
    e.error(ELMX_TYPE_ERROR, ELMX_BAD_DTD, "s", 3, "m");
    e.error(ELMX_TYPE_FATAL, ELMX_BAD_CHAR_ENCODING, "s", 4, "m");
    e.error(ELMX_TYPE_ERROR, ELMX_BAD_COMMENT, "s", 9, "m");
    e.error(ELMX_TYPE_WARNING, ELMX_BAD_COMMENT, "s", 9, "m");
    EXPECT_EQ(e.reports, 2);
    EXPECT_EQ(e.get_error_count(), 2);
    EXPECT_EQ(e.get_warning_count(), 0);
    EXPECT_TRUE(e.is_fatal_errored());
    elmx_error_type type;
    elmx_error code;
    int line;
    ASSERT_TRUE(e.get_error_info(&type, &code, &line));
    EXPECT_EQ(type, ELMX_TYPE_FATAL);
    EXPECT_EQ(code, ELMX_BAD_CHAR_ENCODING);
    EXPECT_EQ(line, 4);
}

TEST(ErrorRecorder, SeveritiesCountSeparately) {
    c_error e;
    elmx_error_type type = ELMX_TYPE_NONE;
    EXPECT_FALSE(e.get_error_info(&type, nullptr, nullptr));
    EXPECT_EQ(e.get_last_error_type(), ELMX_TYPE_NONE);

    e.error(ELMX_TYPE_WARNING, ELMX_EXTERNAL_ENTITY, nullptr, 1, "w");
    EXPECT_TRUE(e.get_error_info(&type, nullptr, nullptr));
    EXPECT_FALSE(e.is_errored());
    e.error(ELMX_TYPE_NOTICE, ELMX_EXTERNAL_ENTITY, nullptr, 1, "n");
    EXPECT_EQ(e.get_warning_count(), 2);
    EXPECT_EQ(e.get_notice_count(), 1);
    EXPECT_FALSE(e.is_errored());
    e.error(static_cast<elmx_error_type>(7), ELMX_BAD_DTD, nullptr, 2, "odd");
    EXPECT_EQ(e.get_last_error(), ELMX_BAD_DTD);
    EXPECT_EQ(e.get_error_count(), 0);
    EXPECT_EQ(e.get_warning_count(), 2);
    e.error(ELMX_TYPE_ERROR, ELMX_ENTITY_NOT_FOUND, nullptr, 2, "e");
    EXPECT_TRUE(e.is_errored());
    EXPECT_FALSE(e.is_fatal_errored());

    c_error copy(e);
    EXPECT_EQ(copy.get_last_error(), ELMX_ENTITY_NOT_FOUND);
    copy = c_error();
    EXPECT_EQ(copy.get_last_error(), ELMX_OK);
}

TEST(ErrorRecorder, PositionComesFromTheCurrentGetter) {
    recording_error e;
    e.error(ELMX_TYPE_ERROR, ELMX_BAD_DTD, "no getter");
    EXPECT_EQ(e.last_source, nullptr);
    int line = 0;
    e.get_error_info(nullptr, nullptr, &line);
    EXPECT_EQ(line, -1);

    std::string text = "<a>\n\n</a>";
    c_read_string source(text);
    {
        c_get_as_utf8 getter(source, e);
        EXPECT_EQ(e.get_current_getter(), &getter);
        while (getter.get() != -1) {
        }
        e.error(ELMX_TYPE_ERROR, ELMX_BAD_DTD, "with getter");
        e.get_error_info(nullptr, nullptr, &line);
        EXPECT_EQ(line, 3);
    }
    EXPECT_EQ(e.get_current_getter(), nullptr);
}

TEST(GetterBinder, NestsAndIgnoresASecondBind) {
    c_error e;
    std::string text = "<a/>";
    c_read_string source(text);
    c_get_as_utf8 outer(source, e);
    {
        c_get_as_utf8 inner(source, e);
        EXPECT_EQ(e.get_current_getter(), &inner);
        c_getter_error_binder binder(e);
        binder.bind(&outer);
        binder.bind(&inner);
        EXPECT_EQ(binder.get_new_getter(), &outer);
        EXPECT_EQ(binder.get_old_getter(), &inner);
        EXPECT_EQ(e.get_current_getter(), &outer);
    }
    EXPECT_EQ(e.get_current_getter(), &outer);
    { c_getter_error_binder never_bound(e); }
    EXPECT_EQ(e.get_current_getter(), &outer);
}

TEST(Exceptions, CarryCodeMessageAndLine) {
    c_lmx_reader_exception ex(ELMX_BAD_DTD, 12);
    const c_lmx_exception& base = ex;
    EXPECT_EQ(base.get_error(), ELMX_BAD_DTD);
    EXPECT_STREQ(base.what(), "Badly formed DTD");
    EXPECT_EQ(ex.get_line(), 12);
    c_lmx_reader_exception copy = ex;
    copy = c_lmx_reader_exception(ELMX_OK, 1);
    EXPECT_STREQ(copy.what(), "No Error");
}

}  // namespace
