#pragma once
// The keyword prefilter on Hyperscan: every watched word compiled once as a
// caseless literal into one block-mode database, scanned over whole log texts.

#include "logscan/KeywordPrefilter.h"

namespace kiv {

// False when the build has no Hyperscan or the processor lacks what it needs.
bool HyperscanUsable();

// nullptr when Hyperscan is not usable or refuses the words.
std::unique_ptr<KeywordPrefilter> MakeHyperscanPrefilter(const TextList& searchableWords);

} // namespace kiv
