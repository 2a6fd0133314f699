// Temporary file names of their own for each test process, so that suites
// run in parallel (ctest -j) never write over each other's files.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#if defined(_WIN32)
#include <process.h>
#define TALVEX_TEST_PID _getpid()
#else
#include <unistd.h>
#define TALVEX_TEST_PID getpid()
#endif

// TempDir/talvex-<process>-<n>-name: n counts the calls, so that threads of
// one process asking for the same name get different files as well.
inline std::string UniqueTempPath(const std::string& name) {
    static std::atomic<int> counter{0};
    return ::testing::TempDir() + "talvex-" + std::to_string(TALVEX_TEST_PID) + "-" + std::to_string(counter++) +
           "-" + name;
}
