#include "logscan/detail/HyperscanPrefilter.h"

#ifdef KIV_HAVE_HYPERSCAN

#include <hs/hs.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace kiv {
namespace {

struct ScratchHolder final : KeywordPrefilter::Scratch {
    hs_scratch_t* scratch = nullptr;
    ~ScratchHolder() override { hs_free_scratch(scratch); }
};

// What the match callback needs: the text, to find the line around a match,
// and the list that collects those lines.
struct MatchSink {
    std::string_view text;
    std::vector<LineSpan>* lines;
    bool inOrder;
};

int OnMatch(unsigned /*id*/, unsigned long long /*from*/, unsigned long long to, unsigned /*flags*/, void* context)
{
    auto& sink = *static_cast<MatchSink*>(context);
    // The last byte of the match: a word holds no break, so the match lies
    // within the line around that byte. A line with several matches is kept once.
    const auto at = static_cast<std::size_t>(to - 1);
    std::vector<LineSpan>& lines = *sink.lines;
    if (!lines.empty()) {
        const LineSpan& last = lines.back();
        if (at >= last.begin && at < last.end)
            return 0;
        if (at < last.begin)
            sink.inOrder = false;
    }
    lines.push_back(LineAround(sink.text, at));
    return 0;
}

class HyperscanPrefilter final : public KeywordPrefilter {
public:
    HyperscanPrefilter(hs_database_t* database, hs_scratch_t* prototype) : database_(database), prototype_(prototype) {}

    ~HyperscanPrefilter() override
    {
        hs_free_scratch(prototype_);
        hs_free_database(database_);
    }

    HyperscanPrefilter(const HyperscanPrefilter&) = delete;
    HyperscanPrefilter& operator=(const HyperscanPrefilter&) = delete;

    std::unique_ptr<Scratch> MakeScratch() const override
    {
        auto holder = std::make_unique<ScratchHolder>();
        if (prototype_ && hs_clone_scratch(prototype_, &holder->scratch) != HS_SUCCESS)
            throw std::bad_alloc();
        return holder;
    }

    void CandidateLines(std::string_view text, Scratch& scratch, std::vector<LineSpan>& lines) const override
    {
        if (!database_ || text.empty())
            return;
        const std::size_t first = lines.size();
        if (text.size() > UINT_MAX) {
            // Beyond what one scan takes: every line is a candidate, which the
            // exact test then sorts out.
            for (std::size_t begin = 0; begin < text.size();) {
                const LineSpan line = LineAround(text, begin);
                lines.push_back(line);
                begin = line.end < text.size() ? AfterBreak(text, line.end) : text.size();
            }
            return;
        }
        MatchSink sink{text, &lines, true};
        const hs_error_t status = hs_scan(database_, text.data(), static_cast<unsigned>(text.size()), 0,
                                          static_cast<ScratchHolder&>(scratch).scratch, OnMatch, &sink);
        if (status != HS_SUCCESS)
            throw std::runtime_error("Hyperscan scan failed (" + std::to_string(status) + ")");
        if (!sink.inOrder) {
            const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(first);
            std::sort(begin, lines.end(), [](const LineSpan& a, const LineSpan& b) { return a.begin < b.begin; });
            lines.erase(std::unique(begin, lines.end()), lines.end());
        }
    }

private:
    hs_database_t* database_;
    hs_scratch_t* prototype_;
};

} // namespace

bool HyperscanUsable()
{
    static const bool usable = hs_valid_platform() == HS_SUCCESS;
    return usable;
}

std::unique_ptr<KeywordPrefilter> MakeHyperscanPrefilter(const TextList& searchableWords)
{
    if (!HyperscanUsable())
        return nullptr;
    if (searchableWords.empty())
        return std::make_unique<HyperscanPrefilter>(nullptr, nullptr);

    // Every match is reported (no single-match flag): the same word on many
    // lines must point at each of them.
    std::vector<const char*> expressions;
    std::vector<std::size_t> lengths;
    std::vector<unsigned> flags(searchableWords.size(), HS_FLAG_CASELESS);
    std::vector<unsigned> ids;
    for (std::size_t i = 0; i < searchableWords.size(); ++i) {
        expressions.push_back(searchableWords[i].data());
        lengths.push_back(searchableWords[i].size());
        ids.push_back(static_cast<unsigned>(i));
    }
    hs_database_t* database = nullptr;
    hs_compile_error_t* error = nullptr;
    if (hs_compile_lit_multi(expressions.data(), flags.data(), ids.data(), lengths.data(),
                             static_cast<unsigned>(expressions.size()), HS_MODE_BLOCK, nullptr, &database,
                             &error) != HS_SUCCESS) {
        hs_free_compile_error(error);
        return nullptr;
    }
    hs_scratch_t* prototype = nullptr;
    if (hs_alloc_scratch(database, &prototype) != HS_SUCCESS) {
        hs_free_database(database);
        return nullptr;
    }
    return std::make_unique<HyperscanPrefilter>(database, prototype);
}

} // namespace kiv

#else // no Hyperscan in this build

namespace kiv {

bool HyperscanUsable()
{
    return false;
}

std::unique_ptr<KeywordPrefilter> MakeHyperscanPrefilter(const TextList&)
{
    return nullptr;
}

} // namespace kiv

#endif
