// An error recorder for tests that keeps every report, message included.
#ifndef LMX_TESTS_RECORDING_ERRORS_H
#define LMX_TESTS_RECORDING_ERRORS_H

#include <string>
#include <vector>

#include "lmx/errors.h"

namespace lmx_test {

struct recorded_error {
    lmx::elmx_error_type type;
    lmx::elmx_error code;
    int line;
    std::string message;
};

struct recording_errors : lmx::c_error {
    std::vector<recorded_error> entries;
    void report_error(lmx::elmx_error_type type, lmx::elmx_error code, const char*, int line,
                      const std::string& message) override {
        entries.push_back({type, code, line, message});
    }
};

}  // namespace lmx_test

#endif  // LMX_TESTS_RECORDING_ERRORS_H
