#include "jobs/detail/ScanReport.h"

#include <new>

namespace kiv {

std::string UnforeseenFailureText(const std::exception& failure)
{
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return "M\xE9moire insuffisante";
    return failure.what();
}

} // namespace kiv
