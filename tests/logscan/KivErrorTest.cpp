#include "logscan/KivError.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

namespace kiv {
namespace {

// A log file that does not fit in memory is told apart from one that cannot
// be read, whatever was thrown while it was read.
TEST(FileFailureMessage, MemoryRunningOutIsATooLargeFile)
{
    struct Case {
        const char* thrown;
        std::function<void()> raise;
        std::string expected;
    };
    const Case cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }, TooLargeMessage("k050206.txt")},
        {"length_error", [] { throw std::length_error("vector"); }, TooLargeMessage("k050206.txt")},
        {"runtime_error", [] { throw std::runtime_error("disque"); }, CannotOpenMessage("k050206.txt")},
        {"KivError", [] { throw KivError("x"); }, CannotOpenMessage("k050206.txt")},
    };
    for (const Case& c : cases) {
        std::string message;
        try {
            c.raise();
        } catch (const std::exception&) {
            message = FileFailureMessage("k050206.txt");
        }
        EXPECT_EQ(message, c.expected) << c.thrown;
    }
    EXPECT_NE(TooLargeMessage("a"), CannotOpenMessage("a"));
}

} // namespace
} // namespace kiv
