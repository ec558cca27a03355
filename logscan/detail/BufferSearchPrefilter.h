#pragma once
// The keyword prefilter that needs no library: each word in turn is looked for
// over the whole log text through its two rarest bytes, sixteen places at a
// time where the processor allows.

#include "logscan/KeywordPrefilter.h"

#include <memory>

namespace kiv {

// A prefilter for words that can occur in a line (none empty, none holding a
// CR, an LF or a NUL).
std::unique_ptr<KeywordPrefilter> MakeBufferSearchPrefilter(const TextList& searchableWords);

} // namespace kiv
