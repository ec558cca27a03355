// A file name in a message: whatever bytes the name holds, the message keeps
// its own lines and the terminal or message box obeys none of them.

#include "logscan/FileIo.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kiv {
namespace {

struct NameCase {
    const char* what;
    std::string name;  // UTF-8, as the school's Linux systems name files
    std::string shown; // Windows-1252
};

// ctest and the test log name a case by its name rather than by its bytes.
void PrintTo(const NameCase& c, std::ostream* out)
{
    *out << c.what;
}

class ShownName : public testing::TestWithParam<NameCase> {};

TEST_P(ShownName, KeepsTheMessageOnItsLines)
{
    const std::string shown = PathForMessage(PathFromBytes(GetParam().name));
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(shown.find_first_of("\n\r\x1B\x7F\x81"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShownName,
    testing::Values(NameCase{"line_break_in_a_log_name", "evil\nFAKE: tout va bien 050206.txt",
                             "evil^JFAKE: tout va bien 050206.txt"},
                    NameCase{"carriage_return", "a\r\nb.txt", "a^M^Jb.txt"},
                    NameCase{"terminal_escape_and_bell", "x\x1B]0;titre\x07.txt", "x^[]0;titre^G.txt"},
                    NameCase{"delete", "x\x7F.txt", "x^?.txt"},
                    NameCase{"c1_control_undefined_in_windows_1252", "x\xC2\x81.txt", "xM-^A.txt"},
                    NameCase{"tab_and_accents_stay", "\xC3\x89l\xC3\xA8ves\t1.txt", "\xC9l\xE8ves\t1.txt"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.what); });

} // namespace
} // namespace kiv
