#include "jobs/ProgramInputs.h"

#include <system_error>

namespace kiv {
namespace {

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

} // namespace

bool IsProgramInput(const std::filesystem::path& target, const ProgramInputs& inputs)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(target, ec))
        return false;
    // The folder the name stands in, and the one a link leads to.
    if (SameFile(std::filesystem::absolute(target, ec).parent_path(), inputs.logFolder)
        || SameFile(std::filesystem::canonical(target, ec).parent_path(), inputs.logFolder))
        return true;
    for (const std::filesystem::path& list : inputs.lists)
        if (SameFile(target, list))
            return true;
    return false;
}

} // namespace kiv
