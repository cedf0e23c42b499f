// Time allowed for work that hostile input must not be able to blow up.
#ifndef LMX_TESTS_TIME_BUDGET_H
#define LMX_TESTS_TIME_BUDGET_H

#include <chrono>

namespace lmx_test {

// Sanitized and unoptimised builds do the same work many times slower.
#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
constexpr double k_time_budget_seconds = 30.0;
#else
constexpr double k_time_budget_seconds = 1.0;
#endif

inline double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace lmx_test

#endif  // LMX_TESTS_TIME_BUDGET_H
