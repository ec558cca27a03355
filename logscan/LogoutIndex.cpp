#include "LogoutIndex.h"

#include "ScanThreads.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>

namespace kiv {
namespace {

// A user's name counts in a logout line only from this index on, past the room.
constexpr std::size_t kFirstUserIndex = 5;

constexpr std::uint32_t kNone = UINT32_MAX;

// Logout lines searched side by side by one thread.
constexpr std::size_t kLanes = 4;

// The answer of a login whose user does not log out in the rest of its own
// stretch: the stretches after it decide.
constexpr std::size_t kUnknown = kNoLogout - 1;

// Largest transition table built at once (entries of 4 bytes). The users of a
// day fit many times over; a file with pathological user names is handled in
// several passes instead of one huge table. Must stay below 2^31 (a state keeps
// a flag in its top bit).
constexpr std::size_t kTableBudget = std::size_t{1} << 22;
static_assert(kTableBudget < (std::size_t{1} << 31));

// How many logins or logout lines ahead their bytes are asked for: in a large
// file they are far apart, and looking each up in turn would wait on memory.
constexpr std::size_t kPrefetchDistance = 16;

void Prefetch(const char* address) noexcept
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

std::uint32_t HashName(std::string_view name) noexcept
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ name.size();
    const char* p = name.data();
    std::size_t n = name.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    std::uint64_t tail = 0;
    if (n != 0)
        std::memcpy(&tail, p, n);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

// The distinct user names of a list of logins, numbered from 0 in the order in
// which they first appear: an open-addressing table. The names are compared
// with copies kept together here, not where they first appeared in the file,
// which would cost a trip to memory for every login.
class NameIds {
public:
    explicit NameIds(std::size_t expected) { Rehash(std::bit_ceil(std::max<std::size_t>(expected, 64) * 2)); }

    std::uint32_t Add(std::string_view name)
    {
        const std::uint32_t hash = HashName(name);
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.id == kNone) {
                slot = {hash, static_cast<std::uint32_t>(names_.size())};
                names_.push_back(name);
                copyStart_.push_back(copies_.size());
                copies_.append(name);
                if (names_.size() * 2 > slots_.size())
                    Rehash(slots_.size() * 2);
                return static_cast<std::uint32_t>(names_.size() - 1);
            }
            if (slot.hash == hash && Copy(slot.id) == name)
                return slot.id;
        }
    }

    const std::vector<std::string_view>& Names() const noexcept { return names_; }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t id = kNone;
    };

    void Rehash(std::size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(slots_);
        mask_ = size - 1;
        for (const Slot& slot : old) {
            if (slot.id == kNone)
                continue;
            std::size_t i = slot.hash & mask_;
            while (slots_[i].id != kNone)
                i = (i + 1) & mask_;
            slots_[i] = slot;
        }
    }

    std::string_view Copy(std::uint32_t id) const noexcept
    {
        return std::string_view(copies_).substr(copyStart_[id], names_[id].size());
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::vector<std::string_view> names_; // as given
    std::string copies_;                  // their bytes, one after the other
    std::vector<std::size_t> copyStart_;
};

// Which users were already found in the text being looked at: a stamp per
// user, the text's number when it was found there.
class FirstSeen {
public:
    FirstSeen() = default;
    explicit FirstSeen(std::size_t users) : stamps_(users, 0) {}
    void NextText() noexcept { ++current_; }
    // True the first time for this text.
    bool Mark(std::uint32_t id) noexcept
    {
        if (stamps_[id] == current_)
            return false;
        stamps_[id] = current_;
        return true;
    }

private:
    std::vector<std::uint64_t> stamps_;
    std::uint64_t current_ = 0;
};

// Bytes that occur in some user name get a class of their own; all others
// share class 0, which always leads back to the start.
struct ByteClasses {
    std::array<std::uint32_t, 256> of{};
    std::size_t count = 1;

    // A row of transitions per node: a power of two, so that a node is found
    // from its row by a shift.
    std::size_t RowWidth() const noexcept { return std::bit_ceil(count); }

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
        : of_(classes.of), width_(classes.RowWidth()), shift_(static_cast<unsigned>(std::countr_zero(width_)))
    {
        AddNode();
        for (std::uint32_t id : ids) {
            std::uint32_t node = 0;
            for (char ch : users[id]) {
                const std::size_t slot = node * width_ + of_[static_cast<unsigned char>(ch)];
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

    // Calls found(lane, id, end) for each user that ends at index end - 1 of
    // texts[lane], in the order of end within each text, as long as found
    // returns true; found returns false for a user already found earlier in
    // that text. The texts are walked side by side: each step of one waits on
    // a table look-up, and the look-ups of different texts overlap.
    template <std::size_t Lanes, typename Found>
    void Scan(const std::array<std::string_view, Lanes>& texts, Found&& found) const
    {
        const std::uint32_t* const next = next_.data();
        const std::uint32_t* const of = of_.data();
        const auto report = [&](std::size_t lane, std::uint32_t state, std::size_t end) {
            const auto at = static_cast<std::uint32_t>((state & ~kReports) >> shift_);
            // A name found before in this text had every shorter name that
            // ends it found at the same time: the rest of the chain is done.
            for (std::uint32_t node = report_[at]; node != kNone && found(lane, user_[node], end);
                 node = report_[fail_[node]]) {
            }
        };
        const auto step = [&](std::uint32_t state, char byte) {
            return next[(state & ~kReports) + of[static_cast<unsigned char>(byte)]];
        };
        static_assert(Lanes == 4);
        std::uint32_t s0 = 0;
        std::uint32_t s1 = 0;
        std::uint32_t s2 = 0;
        std::uint32_t s3 = 0;
        const std::size_t common = std::min({texts[0].size(), texts[1].size(), texts[2].size(), texts[3].size()});
        const char* const t0 = texts[0].data();
        const char* const t1 = texts[1].data();
        const char* const t2 = texts[2].data();
        const char* const t3 = texts[3].data();
        for (std::size_t i = 0; i < common; ++i) {
            s0 = step(s0, t0[i]);
            s1 = step(s1, t1[i]);
            s2 = step(s2, t2[i]);
            s3 = step(s3, t3[i]);
            if (((s0 | s1 | s2 | s3) & kReports) == 0)
                continue;
            if ((s0 & kReports) != 0)
                report(0, s0, i + 1);
            if ((s1 & kReports) != 0)
                report(1, s1, i + 1);
            if ((s2 & kReports) != 0)
                report(2, s2, i + 1);
            if ((s3 & kReports) != 0)
                report(3, s3, i + 1);
        }
        const std::array<std::uint32_t, Lanes> states = {s0, s1, s2, s3};
        for (std::size_t lane = 0; lane < Lanes; ++lane) {
            const std::string_view text = texts[lane];
            std::uint32_t s = states[lane];
            for (std::size_t i = common; i < text.size(); ++i) {
                s = step(s, text[i]);
                if ((s & kReports) != 0)
                    report(lane, s, i + 1);
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

    std::array<std::uint32_t, 256> of_;
    std::size_t width_;
    unsigned shift_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint32_t> user_;
    std::vector<std::uint32_t> fail_;
    std::vector<std::uint32_t> report_;
};

// Finds the users of a file in its logout lines: the automata over groups of
// names whose tables stay within the budget, and a plain search for names too
// long for any table.
class UserFinder {
public:
    explicit UserFinder(const std::vector<std::string_view>& users) : users_(users)
    {
        const ByteClasses classes(users_);
        std::vector<std::vector<std::uint32_t>> groups(1);
        std::size_t groupNodes = 1;
        for (std::uint32_t id = 0; id < users_.size(); ++id) {
            const std::size_t length = users_[id].size();
            if ((length + 1) * classes.RowWidth() > kTableBudget) {
                longUsers_.push_back(id);
                continue;
            }
            if ((groupNodes + length) * classes.RowWidth() > kTableBudget) {
                groups.emplace_back();
                groupNodes = 1;
            }
            groups.back().push_back(id);
            groupNodes += length;
        }
        for (const std::vector<std::uint32_t>& group : groups)
            if (!group.empty())
                automata_.emplace_back(users_, group, classes);
    }

    std::size_t UserCount() const noexcept { return users_.size(); }

    // Calls found(lane, id, start) for the first occurrence of each user in
    // each of the texts; seen[lane] keeps track for texts[lane].
    template <typename Found>
    void FindFirst(const std::array<std::string_view, kLanes>& texts, std::array<FirstSeen, kLanes>& seen,
                   Found&& found) const
    {
        for (FirstSeen& lane : seen)
            lane.NextText();
        for (const UserAutomaton& automaton : automata_) {
            automaton.Scan(texts, [&](std::size_t lane, std::uint32_t id, std::size_t end) {
                if (!seen[lane].Mark(id))
                    return false;
                found(lane, id, end - users_[id].size());
                return true;
            });
        }
        for (std::uint32_t id : longUsers_) {
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                const std::size_t at = texts[lane].find(users_[id]);
                if (at != std::string_view::npos)
                    found(lane, id, at);
            }
        }
    }

private:
    const std::vector<std::string_view>& users_;
    std::vector<UserAutomaton> automata_;
    std::vector<std::uint32_t> longUsers_;
};

// One stretch's part of the work.
struct StretchWork {
    std::vector<std::uint32_t> userOf; // per login: its user's number, kNone when empty
    std::vector<std::string_view> localUsers;
    // Per user of the file: the first candidate from the stretch's start on
    // that closes its session, kUnknown when there is none in the stretch.
    std::vector<std::size_t> firstLogout;
    std::size_t firstLogin = 0;     // the stretch's first login among all logins
    std::size_t firstCandidate = 0; // the stretch's first candidate among all candidates
};

// The users of a stretch, numbered within the stretch.
void NumberLocalUsers(const PairingStretch& stretch, StretchWork& work)
{
    NameIds ids(stretch.logins.size() / 16);
    const std::size_t count = stretch.logins.size();
    work.userOf.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        if (k + kPrefetchDistance < count)
            Prefetch(stretch.logins[k + kPrefetchDistance].user.data());
        work.userOf[k] = stretch.logins[k].user.empty() ? kNone : ids.Add(stretch.logins[k].user);
    }
    work.localUsers = ids.Names();
}

// Walks the stretch from its end to its start: each candidate met tells the
// users it closes; each login met takes the closest candidate after it known
// so far. answers is the stretch's part of the result. The candidates are
// searched kLanes at a time, then taken one by one.
void SweepStretch(const PairingStretch& stretch, const UserFinder& finder, StretchWork& work,
                  std::span<std::size_t> answers)
{
    std::vector<std::size_t>& next = work.firstLogout;
    next.assign(finder.UserCount(), kUnknown);
    std::array<FirstSeen, kLanes> seen;
    for (FirstSeen& lane : seen)
        lane = FirstSeen(finder.UserCount());
    std::array<std::vector<std::uint32_t>, kLanes> closes;

    std::size_t k = stretch.logins.size();
    // The logins from the given line on: the candidates taken so far all
    // stand after them.
    const auto answerFrom = [&](std::size_t line) {
        for (; k > 0 && stretch.logins[k - 1].line >= line; --k)
            answers[k - 1] = work.userOf[k - 1] == kNone ? kNoLogout : next[work.userOf[k - 1]];
    };
    for (std::size_t c = stretch.candidates.size(); c > 0;) {
        const std::size_t lanes = std::min(kLanes, c);
        std::array<std::string_view, kLanes> texts{};
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            texts[lane] = stretch.candidates[c - 1 - lane].text;
            closes[lane].clear();
            if (c > kPrefetchDistance + lane)
                Prefetch(stretch.candidates[c - 1 - lane - kPrefetchDistance].text.data());
        }
        finder.FindFirst(texts, seen, [&](std::size_t lane, std::uint32_t id, std::size_t start) {
            if (start >= kFirstUserIndex)
                closes[lane].push_back(id);
        });
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            const std::size_t candidate = c - 1 - lane;
            answerFrom(stretch.candidates[candidate].line);
            for (std::uint32_t id : closes[lane])
                next[id] = work.firstCandidate + candidate;
        }
        c -= lanes;
    }
    // The candidates before the stretch's first login were taken too: they
    // still serve the logins of the stretches before it.
    answerFrom(0);
}

} // namespace

std::vector<std::size_t> PairLogoutsInStretches(std::span<const PairingStretch> stretches)
{
    std::vector<StretchWork> work(stretches.size());
    std::size_t loginCount = 0;
    std::size_t candidateCount = 0;
    for (std::size_t s = 0; s < stretches.size(); ++s) {
        work[s].firstLogin = loginCount;
        work[s].firstCandidate = candidateCount;
        loginCount += stretches[s].logins.size();
        candidateCount += stretches[s].candidates.size();
    }
    std::vector<std::size_t> result(loginCount, kNoLogout);
    if (loginCount == 0 || candidateCount == 0)
        return result;

    const auto threads = static_cast<unsigned>(stretches.size());
    RunOnThreads(threads, [&](unsigned s) { NumberLocalUsers(stretches[s], work[s]); });

    // The users of the file, numbered in the order in which they first log in.
    NameIds fileIds(work[0].localUsers.size() * 2);
    for (StretchWork& stretch : work) {
        std::vector<std::uint32_t> toFile(stretch.localUsers.size());
        for (std::size_t u = 0; u < toFile.size(); ++u)
            toFile[u] = fileIds.Add(stretch.localUsers[u]);
        for (std::uint32_t& user : stretch.userOf)
            if (user != kNone)
                user = toFile[user];
    }
    if (fileIds.Names().empty())
        return result;
    const UserFinder finder(fileIds.Names());

    RunOnThreads(threads, [&](unsigned s) {
        SweepStretch(stretches[s], finder, work[s],
                     std::span<std::size_t>(result).subspan(work[s].firstLogin, stretches[s].logins.size()));
    });

    // A login left open by its own stretch is closed by the first stretch after
    // it that closes its user's session.
    std::vector<std::size_t> carried(finder.UserCount(), kNoLogout);
    for (std::size_t s = stretches.size(); s-- > 0;) {
        const StretchWork& stretch = work[s];
        for (std::size_t k = 0; k < stretch.userOf.size(); ++k) {
            std::size_t& answer = result[stretch.firstLogin + k];
            if (answer == kUnknown)
                answer = carried[stretch.userOf[k]];
        }
        for (std::size_t u = 0; u < carried.size(); ++u)
            if (stretch.firstLogout[u] != kUnknown)
                carried[u] = stretch.firstLogout[u];
    }
    return result;
}

std::vector<std::size_t> PairLogouts(std::span<const LogoutCandidate> candidates, std::span<const LoginKey> logins)
{
    const auto byLine = [](const LoginKey& a, const LoginKey& b) { return a.line < b.line; };
    if (std::is_sorted(logins.begin(), logins.end(), byLine)) {
        const PairingStretch whole{candidates, logins};
        return PairLogoutsInStretches(std::span<const PairingStretch>(&whole, 1));
    }
    // Logins given out of line order are paired in line order, and the answers
    // put back in the order given.
    std::vector<std::size_t> order(logins.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return logins[a].line < logins[b].line; });
    std::vector<LoginKey> sorted;
    sorted.reserve(logins.size());
    for (std::size_t k : order)
        sorted.push_back(logins[k]);
    const PairingStretch whole{candidates, sorted};
    const std::vector<std::size_t> answers = PairLogoutsInStretches(std::span<const PairingStretch>(&whole, 1));
    std::vector<std::size_t> result(logins.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        result[order[i]] = answers[i];
    return result;
}

} // namespace kiv
