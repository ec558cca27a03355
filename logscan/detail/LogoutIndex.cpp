#include "logscan/detail/LogoutIndex.h"

#include "logscan/ScanThreads.h"
#include "logscan/Simd.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <stdexcept>
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

// Distinct user names numbered from 0 in the order in which they are added:
// an open-addressing table. Each slot holds where its name's copy stands, so
// that a look-up compares with bytes kept together here, not where the name
// first appeared in the file, which would cost a trip to memory per login.
class NameIds {
public:
    explicit NameIds(std::size_t expected) { Rehash(std::bit_ceil(std::max<std::size_t>(expected, 64) * 2)); }

    std::uint32_t Add(std::string_view name, std::uint32_t hash)
    {
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.id == kNone) {
                slot = {hash, static_cast<std::uint32_t>(starts_.size()), copies_.size(), name.size()};
                starts_.push_back(copies_.size());
                copies_.append(name);
                if (starts_.size() * 2 > slots_.size())
                    Rehash(slots_.size() * 2);
                return static_cast<std::uint32_t>(starts_.size() - 1);
            }
            if (slot.hash == hash && slot.length == name.size() &&
                std::memcmp(copies_.data() + slot.start, name.data(), name.size()) == 0)
                return slot.id;
        }
    }

    std::size_t Count() const noexcept { return starts_.size(); }

    // The names in the order of their numbers, as views into this table.
    void AppendNames(std::vector<std::string_view>& names) const
    {
        for (std::size_t id = 0; id < starts_.size(); ++id) {
            const std::size_t end = id + 1 < starts_.size() ? starts_[id + 1] : copies_.size();
            names.push_back(std::string_view(copies_).substr(starts_[id], end - starts_[id]));
        }
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t id = kNone;
        std::size_t start = 0;
        std::size_t length = 0;
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

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::string copies_;               // the names' bytes, one after the other
    std::vector<std::size_t> starts_;  // where each name's copy starts
};

// Which users were already found in each of the texts looked at side by
// side. A logout line holds a few names: they are kept in a short list per
// text, and only a text that holds many more falls back to a stamp per user
// (the number of the texts when it was found there), made the first time one
// is needed.
class FirstSeen {
public:
    explicit FirstSeen(std::size_t users) : users_(users) {}

    void NextTexts() noexcept
    {
        for (Lane& lane : lanes_)
            lane.count = 0;
        if (++current_ == 0) { // after four billion texts the stamps start over
            std::fill(stamps_.begin(), stamps_.end(), 0);
            current_ = 1;
        }
    }

    // True the first time for this lane's text.
    bool Mark(std::size_t lane, std::uint32_t id)
    {
        Lane& list = lanes_[lane];
        if (list.count <= kShortList) {
            for (std::size_t i = 0; i < list.count; ++i)
                if (list.ids[i] == id)
                    return false;
            if (list.count < kShortList) {
                list.ids[list.count++] = id;
                return true;
            }
            // Too many for the list: its names are stamped, and so is every
            // later one of this text.
            if (stamps_.empty())
                stamps_.assign(users_ * kLanes, 0);
            for (std::uint32_t listed : list.ids)
                stamps_[listed * kLanes + lane] = current_;
            ++list.count;
        }
        std::uint32_t& stamp = stamps_[id * kLanes + lane];
        if (stamp == current_)
            return false;
        stamp = current_;
        return true;
    }

private:
    static constexpr std::size_t kShortList = 16;
    struct Lane {
        std::array<std::uint32_t, kShortList> ids{};
        std::size_t count = 0; // kShortList + 1 once the stamps took over
    };
    std::size_t users_;
    std::array<Lane, kLanes> lanes_{};
    std::vector<std::uint32_t> stamps_;
    std::uint32_t current_ = 0;
};

// Finds, in one left-to-right pass over a line, the first occurrence of each of
// the users of a file: an Aho-Corasick automaton over their names. Its cost
// per byte of text does not grow with the number of names. The nodes are
// numbered breadth-first from the names in byte order, so that the children
// of a node stand side by side, in byte order, right after those of the node
// before it: a transition is a look along a few bytes, the tables are as long
// as the trie (a few bytes a node), and they are filled front to back. A
// school of hundreds of thousands of pupils thus costs little more to build
// than one of a few thousand. The root, where most bytes of a logout line
// leave the automaton, has a full row.
class UserAutomaton {
public:
    // threads: how many may sort the names.
    UserAutomaton(const std::vector<std::string_view>& users, unsigned threads)
    {
        BuildTrie(users, SortedNames(users, threads));
        Complete();
    }

    // Calls found(lane, id, start) for each user that stands at index start
    // of texts[lane], in the order of its end within each text, as long as found
    // returns true; found returns false for a user already found earlier in
    // that text. The texts are walked side by side: each step of one may wait
    // on memory, and the look-ups of different texts overlap.
    template <typename Found>
    void Scan(const std::array<std::string_view, kLanes>& texts, Found&& found) const
    {
        const auto report = [&](std::size_t lane, std::uint32_t state, std::size_t end) {
            // A name found before in this text had every shorter name that
            // ends it found at the same time: the rest of the chain is done.
            for (std::uint32_t node = user_[state].id != kNone ? state : chain_[state];
                 node != kNone && found(lane, user_[node].id, end - user_[node].length); node = chain_[node]) {
            }
        };
        if (starts_.size() <= kFewStarts) {
            for (std::size_t lane = 0; lane < kLanes; ++lane)
                ScanSkipping(texts[lane], [&](std::uint32_t state, std::size_t end) { report(lane, state, end); });
            return;
        }
        static_assert(kLanes == 4);
        std::uint32_t s0 = 0;
        std::uint32_t s1 = 0;
        std::uint32_t s2 = 0;
        std::uint32_t s3 = 0;
        const std::size_t common = std::min({texts[0].size(), texts[1].size(), texts[2].size(), texts[3].size()});
        const char* const t0 = texts[0].data();
        const char* const t1 = texts[1].data();
        const char* const t2 = texts[2].data();
        const char* const t3 = texts[3].data();
        const Hop* const hops = hops_.data();
        const auto reports = [hops](std::uint32_t state) { return hops[state].fail & kReports; };
        for (std::size_t i = 0; i < common; ++i) {
            s0 = Step(s0, t0[i]);
            s1 = Step(s1, t1[i]);
            s2 = Step(s2, t2[i]);
            s3 = Step(s3, t3[i]);
            if ((reports(s0) | reports(s1) | reports(s2) | reports(s3)) == 0)
                continue;
            if (reports(s0) != 0)
                report(0, s0, i + 1);
            if (reports(s1) != 0)
                report(1, s1, i + 1);
            if (reports(s2) != 0)
                report(2, s2, i + 1);
            if (reports(s3) != 0)
                report(3, s3, i + 1);
        }
        const std::array<std::uint32_t, kLanes> states = {s0, s1, s2, s3};
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const std::string_view text = texts[lane];
            std::uint32_t s = states[lane];
            for (std::size_t i = common; i < text.size(); ++i) {
                s = Step(s, text[i]);
                if (reports(s) != 0)
                    report(lane, s, i + 1);
            }
        }
    }

private:
    static constexpr std::size_t kNamesWorthThreads = 50000;

    // A school's names mostly begin alike ("eleve...", "prof..."): when they
    // begin with at most this many different bytes, the bytes that lead from
    // the root back to it are passed over sixteen at a time.
    static constexpr std::size_t kFewStarts = 8;

    // The first place at or after from of a byte that begins a name, or the
    // text's end.
    std::size_t NextStart(std::string_view text, std::size_t from) const noexcept
    {
#ifdef KIV_HAVE_SSE2
        const char* const bytes = text.data();
        for (; from + 16 <= text.size(); from += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
            __m128i any = _mm_setzero_si128();
            for (const unsigned char start : starts_)
                any = _mm_or_si128(any, _mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(start))));
            const auto found = static_cast<unsigned>(_mm_movemask_epi8(any));
            if (found != 0)
                return from + static_cast<std::size_t>(std::countr_zero(found));
        }
#endif
        while (from < text.size() && rootNext_[static_cast<unsigned char>(text[from])] == 0)
            ++from;
        return from;
    }

    // One text walked alone, passing over what cannot begin a name: calls
    // report(state, end) where a name ends, as Scan does.
    template <typename Report>
    void ScanSkipping(std::string_view text, Report&& report) const
    {
        const Hop* const hops = hops_.data();
        std::uint32_t state = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (state == 0) {
                i = NextStart(text, i);
                if (i == text.size())
                    return;
            }
            state = Step(state, text[i]);
            if ((hops[state].fail & kReports) != 0)
                report(state, i + 1);
        }
    }

    // Above this many children a node's are searched by halves.
    static constexpr std::uint32_t kLinearChildren = 16;

    // The numbers of the names in byte order. Most comparisons are settled by
    // the first sixteen bytes, compared as two numbers. Each thread sorts a
    // part, and the parts are merged.
    // A name as it is sorted: its first sixteen bytes as two numbers (a
    // school's names fit in them, and the trie is then built from these
    // alone), its number and its length.
    struct Key {
        std::uint64_t head;
        std::uint64_t next;
        std::uint32_t id;
        std::uint32_t length;
    };

    static std::vector<Key> SortedNames(const std::vector<std::string_view>& users, unsigned threads)
    {
        const auto bytesAt = [](std::string_view name, std::size_t from) {
            std::uint64_t bytes = 0;
            for (std::size_t i = from; i < from + 8; ++i)
                bytes = bytes << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
            return bytes;
        };
        std::vector<Key> keys(users.size());
        for (std::uint32_t id = 0; id < users.size(); ++id)
            keys[id] = {bytesAt(users[id], 0), bytesAt(users[id], 8), id, static_cast<std::uint32_t>(users[id].size())};
        const auto before = [&](const Key& a, const Key& b) {
            if (a.head != b.head)
                return a.head < b.head;
            if (a.next != b.next)
                return a.next < b.next;
            return users[a.id] < users[b.id];
        };
        // A few thousand names are sorted at once; only a crowd is worth the threads.
        const std::size_t parts = keys.size() < kNamesWorthThreads ? 1 : std::max(threads, 1u);
        const auto bound = [&](std::size_t part) { return keys.begin() + static_cast<std::ptrdiff_t>(keys.size() * part / parts); };
        RunOnThreads(static_cast<unsigned>(parts), [&](unsigned part) { std::sort(bound(part), bound(part + 1), before); });
        for (std::size_t part = 1; part < parts; ++part)
            std::inplace_merge(keys.begin(), bound(part), bound(part + 1), before);
        return keys;
    }

    // The trie, one depth at a time: the names that reach depth d + 1, in
    // byte order, make a new node wherever their first d + 1 bytes differ
    // from the name before them. Equal beginnings stand together in byte
    // order, so each node's children come out side by side, and the nodes of
    // a depth in the order of their parents.
    void BuildTrie(const std::vector<std::string_view>& users, const std::vector<Key>& names)
    {
        // Each depth is one pass front to back over the sorted names, whose
        // bytes travelled with them; only a name longer than sixteen bytes
        // is looked up where it stands.
        const auto byteAt = [&](const Key& name, std::size_t depth) -> unsigned {
            if (depth < 8)
                return static_cast<unsigned>(name.head >> (56 - 8 * depth)) & 0xFFu;
            if (depth < 16)
                return static_cast<unsigned>(name.next >> (56 - 8 * (depth - 8))) & 0xFFu;
            return static_cast<unsigned char>(users[name.id][depth]);
        };
        std::vector<std::uint32_t> parents = {kNone};
        byte_ = {0};
        user_ = {Named{}};
        std::vector<std::uint32_t> active(names.size()); // the places of the names long enough for the depth
        std::iota(active.begin(), active.end(), std::uint32_t{0});
        std::vector<std::uint32_t> at(names.size(), 0); // per place: its name's node at the depth before
        for (std::size_t depth = 0; !active.empty(); ++depth) {
            std::size_t kept = 0;
            std::uint32_t lastParent = kNone;
            unsigned lastByte = 256;
            for (const std::uint32_t k : active) {
                const Key& name = names[k];
                if (name.length <= depth)
                    continue;
                const unsigned byte = byteAt(name, depth);
                if (at[k] != lastParent || byte != lastByte) {
                    if (parents.size() >= kMaxNodes)
                        throw std::length_error("too many user names");
                    parents.push_back(at[k]);
                    byte_.push_back(static_cast<unsigned char>(byte));
                    user_.push_back(Named{});
                    lastParent = at[k];
                    lastByte = byte;
                }
                at[k] = static_cast<std::uint32_t>(parents.size() - 1);
                if (name.length == depth + 1)
                    user_[at[k]] = {name.id, name.length};
                active[kept++] = k;
            }
            active.resize(kept);
        }
        // Children are numbered in the order of their parents: counting them
        // gives where each node's run of children starts.
        const std::size_t nodes = parents.size();
        hops_.assign(nodes + 1, Hop{});
        for (std::size_t node = 1; node < nodes; ++node)
            ++hops_[parents[node] + 1].firstChild;
        hops_[0].firstChild = 1;
        for (std::size_t node = 1; node <= nodes; ++node)
            hops_[node].firstChild += hops_[node - 1].firstChild;
        rootNext_.fill(0);
        for (std::uint32_t child = hops_[0].firstChild; child < hops_[1].firstChild; ++child) {
            rootNext_[byte_[child]] = child;
            starts_.push_back(byte_[child]);
        }
        parent_ = std::move(parents);
    }

    // The child of node by byte, or 0 (the root) when there is none.
    std::uint32_t Child(std::uint32_t node, unsigned byte) const noexcept
    {
        if (node == 0)
            return rootNext_[byte];
        std::uint32_t first = hops_[node].firstChild;
        std::uint32_t last = hops_[node + 1].firstChild;
        while (last - first > kLinearChildren) {
            const std::uint32_t middle = first + (last - first) / 2;
            if (byte_[middle] <= byte)
                first = middle;
            else
                last = middle;
        }
        for (; first < last; ++first)
            if (byte_[first] == byte)
                return first;
        return 0;
    }

    std::uint32_t Step(std::uint32_t state, char ch) const noexcept
    {
        const auto byte = static_cast<unsigned char>(ch);
        for (;;) {
            if (state == 0)
                return rootNext_[byte];
            if (const std::uint32_t child = Child(state, byte); child != 0)
                return child;
            state = hops_[state].fail & kLink;
        }
    }

    // Failure links in breadth-first order (a node's parent's link is known
    // before its own), and for each node the nearest node on its failure
    // chain (itself excluded) that ends a name.
    void Complete()
    {
        const std::size_t nodes = byte_.size();
        chain_.assign(nodes, kNone);
        for (std::uint32_t node = 1; node < nodes; ++node) {
            const std::uint32_t parent = parent_[node];
            std::uint32_t link = 0;
            if (parent != 0) {
                for (std::uint32_t f = hops_[parent].fail & kLink;; f = hops_[f].fail & kLink) {
                    link = Child(f, byte_[node]);
                    if (link != 0 || f == 0)
                        break;
                }
            }
            chain_[node] = link == 0 ? kNone : user_[link].id != kNone ? link : chain_[link];
            hops_[node].fail = link | (user_[node].id != kNone || chain_[node] != kNone ? kReports : 0);
        }
        parent_ = {};
    }

    static constexpr std::size_t kMaxNodes = std::size_t{1} << 31;

    // Per node, in breadth-first order: the byte that leads to it, its hop,
    // the user whose name ends there, and the next node on its failure chain
    // where a name ends.
    // What a step reads of a node, side by side: where its children start
    // (those of the next node, beside it, end them), its failure link, and in
    // the link's top bit whether a name ends there or on its failure chain.
    struct Hop {
        std::uint32_t firstChild = 0;
        std::uint32_t fail = 0;
    };
    static constexpr std::uint32_t kReports = std::uint32_t{1} << 31;
    static constexpr std::uint32_t kLink = kReports - 1;
    std::vector<unsigned char> byte_;
    std::vector<Hop> hops_;
    // The user whose name ends at a node, with its length, read together
    // when the name is found.
    struct Named {
        std::uint32_t id = kNone;
        std::uint32_t length = 0;
    };
    std::vector<Named> user_;
    std::vector<std::uint32_t> chain_;
    std::vector<std::uint32_t> parent_; // until Complete
    std::array<std::uint32_t, 256> rootNext_{};
    std::vector<unsigned char> starts_; // the bytes that begin a name
};

// Finds the users of a file in its logout lines.
class UserFinder {
public:
    UserFinder(const std::vector<std::string_view>& users, unsigned threads)
        : users_(users), automaton_(users, threads)
    {
    }

    std::size_t UserCount() const noexcept { return users_.size(); }

    // Calls found(lane, id, start) for the first occurrence of each user in
    // each of the texts; seen keeps track of the users found in them.
    template <typename Found>
    void FindFirst(const std::array<std::string_view, kLanes>& texts, FirstSeen& seen, Found&& found) const
    {
        seen.NextTexts();
        automaton_.Scan(texts, [&](std::size_t lane, std::uint32_t id, std::size_t start) {
            if (!seen.Mark(lane, id))
                return false;
            found(lane, id, start);
            return true;
        });
    }

private:
    const std::vector<std::string_view>& users_;
    UserAutomaton automaton_;
};

// One stretch's part of the work.
struct StretchWork {
    std::vector<std::uint32_t> hashOf; // per login: its user's hash
    std::vector<std::uint32_t> userOf; // per login: its user's number, kNone when empty
    // Per user of the file: the first candidate from the stretch's start on
    // that closes its session, kUnknown when there is none in the stretch.
    std::vector<std::size_t> firstLogout;
    std::size_t firstLogin = 0;     // the stretch's first login among all logins
    std::size_t firstCandidate = 0; // the stretch's first candidate among all candidates
};

void HashUsers(const PairingStretch& stretch, StretchWork& work)
{
    const std::size_t count = stretch.logins.size();
    work.hashOf.resize(count);
    work.userOf.assign(count, kNone);
    for (std::size_t k = 0; k < count; ++k) {
        if (k + kPrefetchDistance < count)
            Prefetch(stretch.logins[k + kPrefetchDistance].user.data());
        work.hashOf[k] = HashName(stretch.logins[k].user);
    }
}

// Which of parts tables numbers the names of this hash.
std::size_t PartOf(std::uint32_t hash, std::size_t parts) noexcept
{
    return static_cast<std::size_t>((std::uint64_t{hash >> 16} * parts) >> 16);
}

// The users of the file, numbered by several threads at once: each numbers
// the names whose hash falls in its part, over all the stretches, and the
// parts are then put end to end. Returns the names by number, as views into
// parts.
std::vector<std::string_view> NumberUsers(std::span<const PairingStretch> stretches, std::vector<StretchWork>& work,
                                          std::size_t loginCount, std::vector<NameIds>& parts)
{
    const auto threads = static_cast<unsigned>(stretches.size());
    RunOnThreads(threads, [&](unsigned s) { HashUsers(stretches[s], work[s]); });
    for (unsigned p = 0; p < threads; ++p)
        parts.emplace_back(loginCount / threads / 16);
    RunOnThreads(threads, [&](unsigned p) {
        for (std::size_t s = 0; s < stretches.size(); ++s) {
            const std::span<const LoginKey> logins = stretches[s].logins;
            StretchWork& stretch = work[s];
            for (std::size_t k = 0; k < logins.size(); ++k)
                if (!logins[k].user.empty() && PartOf(stretch.hashOf[k], threads) == p)
                    stretch.userOf[k] = parts[p].Add(logins[k].user, stretch.hashOf[k]);
        }
    });
    std::vector<std::uint32_t> first(threads + 1, 0);
    std::vector<std::string_view> names;
    for (unsigned p = 0; p < threads; ++p) {
        first[p + 1] = first[p] + static_cast<std::uint32_t>(parts[p].Count());
        parts[p].AppendNames(names);
    }
    RunOnThreads(threads, [&](unsigned s) {
        StretchWork& stretch = work[s];
        for (std::size_t k = 0; k < stretch.userOf.size(); ++k)
            if (stretch.userOf[k] != kNone)
                stretch.userOf[k] += first[PartOf(stretch.hashOf[k], threads)];
        stretch.hashOf = {};
    });
    return names;
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
    FirstSeen seen(finder.UserCount());
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
    std::vector<NameIds> names;
    const std::vector<std::string_view> users = NumberUsers(stretches, work, loginCount, names);
    if (users.empty())
        return result;
    const UserFinder finder(users, threads);

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
