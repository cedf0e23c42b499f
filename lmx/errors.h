// Error codes, the error recorder and the library's exception types.
//
// Every operation of the runtime and of the bound classes reports failure as an elmx_error
// value; the exception classes below exist for callers that prefer to throw them.
#ifndef LMX_ERRORS_H
#define LMX_ERRORS_H

#include <string>

namespace lmx {

enum elmx_error {
    ELMX_OK = 0,
    ELMX_UNABLE_TO_OPEN_FILE = 1,
    ELMX_ALL_CARDINALITY_VIOLATED = 2,
    ELMX_ATTRIBUTE_ALREADY_READ = 3,
    ELMX_ATTRIBUTES_IN_ANONYMOUS_COMPOSITOR = 4,
    ELMX_BADLY_FORMED = 5,
    ELMX_BAD_CHAR_ENCODING = 6,
    ELMX_BAD_CHOICE = 7,
    ELMX_BAD_COMMENT = 8,
    ELMX_BAD_DTD = 9,
    ELMX_BAD_END_OF_ELEMENT = 10,
    ELMX_BAD_START_TAG_END = 11,
    ELMX_BAD_END_TAG = 12,
    ELMX_BAD_XML_DECL = 13,
    ELMX_BAD_XML_VERSION = 14,
    ELMX_ENCODING_MISMATCH = 15,
    ELMX_ELEMENT_NOT_FOUND = 16,
    ELMX_EXTERNAL_ENTITY = 17,
    ELMX_FRACTION_DIGITS_EXCEEDED = 18,
    ELMX_LENGTH_TOO_LONG = 19,
    ELMX_LENGTH_TOO_SHORT = 20,
    ELMX_MANDATORY_ELEMENT_MISSING = 21,
    ELMX_PATTERN_NOT_MATCHED = 22,
    ELMX_NOT_WELL_FORMED = 23,
    ELMX_RECURSIVE_ENTITY = 24,
    ELMX_REQUIRED_ATTRIBUTES_MISSING = 25,
    ELMX_MAX_OCCURS_EXCEEDED = 26,
    ELMX_TOTAL_DIGITS_EXCEEDED = 27,
    ELMX_UNABLE_TO_READ_ATTRIBUTE_VALUE = 28,
    ELMX_UNABLE_TO_READ_ELEMENT_VALUE = 29,
    ELMX_UNKNOWN_ALL_ELEMENT = 30,
    ELMX_UNKNOWN_COMPLEX_CONTENT_ELEMENT = 31,
    ELMX_UNEXPECTED_EMPTY_ELEMENT = 32,
    ELMX_UNEXPECTED_ENTITY = 33,
    ELMX_UNEXPECTED_END_OF_MESSAGE = 34,
    ELMX_BAD_VALUE_FORMAT = 35,
    ELMX_VALUE_ABOVE_MAXIMUM = 36,
    ELMX_VALUE_BELOW_MINIMUM = 37,
    ELMX_VALUE_NOT_ENUMERATED = 38,
    ELMX_UNEXPECTED_ATTRIBUTE = 39,
    ELMX_NILLED_BODY_NOT_EMPTY = 40,
    ELMX_ENTITY_NOT_FOUND = 41,
    ELMX_UNDEFINED_ERROR = 42,
    ELMX_VALUE_NOT_FIXED = 43,
    ELMX_UNKNOWN_XSI_TYPE = 44,
    ELMX_TYPE_NOT_SET = 45
};

enum elmx_error_type {
    ELMX_TYPE_FATAL = 0,
    ELMX_TYPE_ERROR = 1,
    ELMX_TYPE_WARNING = 2,
    ELMX_TYPE_NOTICE = 3,
    ELMX_TYPE_NONE = 4
};

// The message of a code, with static lifetime; "" for a value outside the enumeration.
const char* get_error_description(elmx_error code);

class c_get_as_utf8;
class c_getter_error_binder;

// The error record of a reader or writer. After the first fatal error every later report is
// dropped, so the last-error fields keep describing what stopped the work.
class c_error {
public:
    c_error() = default;
    c_error(const c_error&) = default;
    c_error& operator=(const c_error&) = default;
    virtual ~c_error() = default;

    // Hook for subclasses; called once for every error that is recorded.
    virtual void report_error(elmx_error_type type, elmx_error code, const char* source_id,
                              int line, const std::string& message);

    void error(elmx_error_type type, elmx_error code, const char* source_id, int line,
               const std::string& message);
    // Takes the source id and line from the current getter (null and -1 without one).
    void error(elmx_error_type type, elmx_error code, const std::string& message);

    bool is_errored() const { return m_fatal_flag + m_error_count != 0; }
    bool is_fatal_errored() const { return m_fatal_flag != 0; }
    elmx_error get_last_error() const { return m_last_error; }
    elmx_error_type get_last_error_type() const { return m_last_error_type; }
    bool get_error_info(elmx_error_type* type, elmx_error* code, int* line) const;

    int get_error_count() const { return m_error_count; }
    int get_warning_count() const { return m_warning_count; }
    int get_notice_count() const { return m_notice_count; }

    c_get_as_utf8* register_getter(const c_getter_error_binder& binder);
    void unregister_getter(const c_getter_error_binder& binder);
    c_get_as_utf8* get_current_getter() const { return m_current_getter; }

private:
    c_get_as_utf8* m_current_getter = nullptr;  // not owned
    int m_fatal_flag = 0;
    int m_error_count = 0;
    int m_warning_count = 0;
    int m_notice_count = 0;
    elmx_error_type m_last_error_type = ELMX_TYPE_NONE;
    elmx_error m_last_error = ELMX_OK;
    int m_last_error_line = -1;
};

// Scope object: makes a getter the current one of a c_error while it lives.
class c_getter_error_binder {
public:
    explicit c_getter_error_binder(c_error& error) : m_error(error) {}
    c_getter_error_binder(const c_getter_error_binder&) = delete;
    c_getter_error_binder& operator=(const c_getter_error_binder&) = delete;
    ~c_getter_error_binder();

    // Only the first call binds; later calls are ignored.
    void bind(c_get_as_utf8* getter);
    c_get_as_utf8* get_new_getter() const { return m_new_getter; }
    c_get_as_utf8* get_old_getter() const { return m_old_getter; }

private:
    bool m_is_bound = false;
    c_error& m_error;
    c_get_as_utf8* m_new_getter = nullptr;
    c_get_as_utf8* m_old_getter = nullptr;
};

class c_lmx_exception {
public:
    explicit c_lmx_exception(elmx_error code) : m_error(code) {}
    virtual ~c_lmx_exception() = default;
    virtual const char* what() const { return get_error_description(m_error); }
    elmx_error get_error() const { return m_error; }

private:
    elmx_error m_error;
};

class c_lmx_reader_exception : public c_lmx_exception {
public:
    c_lmx_reader_exception(elmx_error code, int line) : c_lmx_exception(code), m_line(line) {}
    int get_line() const { return m_line; }

private:
    int m_line;
};

}  // namespace lmx

#endif  // LMX_ERRORS_H
