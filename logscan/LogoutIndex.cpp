#include "LogoutIndex.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace kiv {
namespace {

// A user's name counts in a logout line only from this index on, past the room.
constexpr std::size_t kFirstUserIndex = 5;

constexpr std::uint32_t kNone = UINT32_MAX;

// Largest transition table built at once (entries of 4 bytes). The users of a
// day fit many times over; a file with pathological user names is handled in
// several passes instead of one huge table. Must stay below 2^31 (a state keeps
// a flag in its top bit).
constexpr std::size_t kTableBudget = std::size_t{1} << 22;
static_assert(kTableBudget < (std::size_t{1} << 31));

// Bytes that occur in some user name get a class of their own; all others
// share class 0, which always leads back to the start.
struct ByteClasses {
    std::array<std::uint32_t, 256> of{};
    std::size_t count = 1;

    explicit ByteClasses(const std::vector<std::string_view>& users)
    {
        for (std::string_view user : users)
            for (char ch : user) {
                std::uint32_t& c = of[static_cast<unsigned char>(ch)];
                if (c == 0)
                    c = static_cast<std::uint32_t>(count++);
            }
    }
};

// Finds, in one left-to-right pass over a line, the first occurrence of each of
// a set of user names: an Aho-Corasick automaton with completed transitions.
// A state is its node's row offset in the table, with the top bit set when a
// name ends at that node or on its failure chain.
class UserAutomaton {
public:
    UserAutomaton(const std::vector<std::string_view>& users, const std::vector<std::uint32_t>& ids,
                  const ByteClasses& classes)
        : classes_(classes), width_(classes.count)
    {
        AddNode();
        for (std::uint32_t id : ids) {
            std::uint32_t node = 0;
            for (char ch : users[id]) {
                const std::size_t slot = node * width_ + classes_.of[static_cast<unsigned char>(ch)];
                if (next_[slot] == 0) {
                    const std::uint32_t child = AddNode();
                    next_[slot] = child;
                }
                node = next_[slot];
            }
            user_[node] = id;
        }
        Complete();
    }

    // Calls found(id, start) for the first occurrence of each user in text.
    // seen/stamp tell which users were already found in this text.
    template <typename Found>
    void Scan(std::string_view text, const std::vector<std::string_view>& users, std::vector<std::uint64_t>& seen,
              std::uint64_t stamp, Found&& found) const
    {
        const std::uint32_t* const next = next_.data();
        const std::uint32_t* const of = classes_.of.data();
        std::uint32_t state = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            state = next[(state & ~kReports) + of[static_cast<unsigned char>(text[i])]];
            if ((state & kReports) == 0)
                continue;
            const auto at = static_cast<std::uint32_t>((state & ~kReports) / width_);
            for (std::uint32_t node = report_[at]; node != kNone; node = report_[fail_[node]]) {
                const std::uint32_t id = user_[node];
                // A name found before in this text had every shorter name that
                // ends it found at the same time: the rest of the chain is done.
                if (seen[id] == stamp)
                    break;
                seen[id] = stamp;
                found(id, i + 1 - users[id].size());
            }
        }
    }

private:
    static constexpr std::uint32_t kReports = 0x80000000u;

    std::uint32_t AddNode()
    {
        const auto node = static_cast<std::uint32_t>(user_.size());
        next_.resize(next_.size() + width_, 0);
        user_.push_back(kNone);
        return node;
    }

    // Breadth-first: failure links, completed transitions, and for each node
    // the nearest node on its failure chain (itself included) that ends a name.
    // Then every transition becomes the target's row offset and flag.
    void Complete()
    {
        const std::size_t nodes = user_.size();
        fail_.assign(nodes, 0);
        report_.assign(nodes, kNone);
        std::vector<std::uint32_t> queue;
        queue.reserve(nodes);
        for (std::size_t c = 0; c < width_; ++c)
            if (next_[c] != 0)
                queue.push_back(next_[c]);
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const std::uint32_t u = queue[head];
            report_[u] = user_[u] != kNone ? u : report_[fail_[u]];
            for (std::size_t c = 0; c < width_; ++c) {
                std::uint32_t& slot = next_[u * width_ + c];
                const std::uint32_t viaFail = next_[fail_[u] * width_ + c];
                if (slot != 0) {
                    fail_[slot] = viaFail;
                    queue.push_back(slot);
                } else {
                    slot = viaFail;
                }
            }
        }
        for (std::uint32_t& target : next_)
            target = static_cast<std::uint32_t>(target * width_) | (report_[target] != kNone ? kReports : 0u);
    }

    const ByteClasses& classes_;
    std::size_t width_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint32_t> user_;
    std::vector<std::uint32_t> fail_;
    std::vector<std::uint32_t> report_;
};

} // namespace

std::vector<std::size_t> PairLogouts(std::span<const LogoutCandidate> candidates, std::span<const LoginKey> logins)
{
    std::vector<std::size_t> result(logins.size(), kNoLogout);

    // The distinct users of the logins.
    std::unordered_map<std::string_view, std::uint32_t> idOf;
    std::vector<std::string_view> users;
    std::vector<std::uint32_t> loginUser(logins.size(), kNone);
    for (std::size_t k = 0; k < logins.size(); ++k) {
        if (logins[k].user.empty())
            continue;
        const auto [it, added] = idOf.try_emplace(logins[k].user, static_cast<std::uint32_t>(users.size()));
        if (added)
            users.push_back(logins[k].user);
        loginUser[k] = it->second;
    }
    if (users.empty() || candidates.empty())
        return result;

    // matches[id]: the candidates, in order, where the user first occurs late
    // enough to be the one logging out.
    struct Match {
        std::size_t line;
        std::size_t position;
    };
    std::vector<std::vector<Match>> matches(users.size());
    const ByteClasses classes(users);

    // Names too long for any table are looked for one by one; the others are
    // grouped so that each group's table stays within the budget.
    std::vector<std::vector<std::uint32_t>> groups(1);
    std::size_t groupNodes = 1;
    for (std::uint32_t id = 0; id < users.size(); ++id) {
        const std::size_t length = users[id].size();
        if ((length + 1) * classes.count > kTableBudget) {
            for (std::size_t k = 0; k < candidates.size(); ++k) {
                const std::size_t at = candidates[k].text.find(users[id]);
                if (at != std::string_view::npos && at >= kFirstUserIndex)
                    matches[id].push_back({candidates[k].line, k});
            }
            continue;
        }
        if ((groupNodes + length) * classes.count > kTableBudget) {
            groups.emplace_back();
            groupNodes = 1;
        }
        groups.back().push_back(id);
        groupNodes += length;
    }

    std::vector<std::uint64_t> seen(users.size(), 0);
    std::uint64_t stamp = 0;
    for (const std::vector<std::uint32_t>& group : groups) {
        if (group.empty())
            continue;
        const UserAutomaton automaton(users, group, classes);
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            automaton.Scan(candidates[k].text, users, seen, ++stamp, [&](std::uint32_t id, std::size_t start) {
                if (start >= kFirstUserIndex)
                    matches[id].push_back({candidates[k].line, k});
            });
        }
    }

    // The first matching candidate after each login's line.
    const auto lineBefore = [](std::size_t line, const Match& match) { return line < match.line; };
    for (std::size_t k = 0; k < logins.size(); ++k) {
        if (loginUser[k] == kNone)
            continue;
        const std::vector<Match>& found = matches[loginUser[k]];
        const auto it = std::upper_bound(found.begin(), found.end(), logins[k].line, lineBefore);
        if (it != found.end())
            result[k] = it->position;
    }
    return result;
}

} // namespace kiv
