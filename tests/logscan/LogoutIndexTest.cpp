#include "logscan/SessionParser.h"
#include "logscan/detail/LogoutIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace kiv {
namespace {

// The search as it reads in words: from the line after the login, the first
// line whose first "logout" stands at index 15 or later and whose first
// occurrence of the user stands at index 5 or later.
std::vector<std::size_t> ForwardSearch(const std::vector<std::string>& lines, const std::vector<LoginKey>& logins)
{
    std::vector<std::size_t> result;
    for (const LoginKey& login : logins) {
        std::size_t found = kNoLogout;
        for (std::size_t m = login.line + 1; m < lines.size() && !login.user.empty(); ++m) {
            const std::size_t logout = lines[m].find("logout");
            const std::size_t user = lines[m].find(login.user);
            if (logout != std::string::npos && logout >= 15 && user != std::string::npos && user >= 5) {
                found = m;
                break;
            }
        }
        result.push_back(found);
    }
    return result;
}

std::vector<LogoutCandidate> CandidatesOf(const std::vector<std::string>& lines)
{
    std::vector<LogoutCandidate> candidates;
    for (std::size_t n = 0; n < lines.size(); ++n)
        if (IsLogoutLine(lines[n]))
            candidates.push_back({n, lines[n]});
    return candidates;
}

// The line indexes of the logouts that PairLogouts finds.
std::vector<std::size_t> Indexed(const std::vector<std::string>& lines, const std::vector<LoginKey>& logins)
{
    const std::vector<LogoutCandidate> candidates = CandidatesOf(lines);
    std::vector<std::size_t> found = PairLogouts(candidates, logins);
    for (std::size_t& position : found)
        if (position != kNoLogout)
            position = candidates.at(position).line;
    return found;
}

TEST(PairLogoutsTest, PairsAsTheForwardSearch)
{
    const std::vector<std::string> lines = {
        /*0*/ "S514-PC03:eleve12:061226:082533:login:B:C:D:E",
        /*1*/ "S514-PC04:eleve12:061226:083000:login:B:C:D:E",
        /*2*/ "S514-PC05:eleve123:061226:090000:logout:B:C:D:E",
        /*3*/ "S514-PC03:eleve12:061226:161047:logout:B:C:D:E",
        /*4*/ "S514-PC03:eleve7:061226:170000:login:B:C:D:E",
        /*5*/ "eleve7-PC:eleve7:061226:171500:logout:B",
        /*6*/ "S51-eleve7:x:061226:171600:logout:B",
        /*7*/ "S502-PC01:eleve7:061226:171700:logout:B",
        /*8*/ "S502-PC01:eleve9:061226:180000:logout:B",
    };
    const struct {
        const char* name;
        LoginKey login;
        std::size_t expected;
    } cases[] = {
        {"longer_name_closes_a_shorter_one", {0, "eleve12"}, 2},
        {"two_logins_share_one_logout", {1, "eleve12"}, 2},
        {"exact_name", {0, "eleve123"}, 2},
        {"only_later_lines", {2, "eleve12"}, 3},
        {"user_first_at_index_0_or_4_skipped", {4, "eleve7"}, 7},
        {"logout_before_login_not_used", {8, "eleve9"}, kNoLogout},
        {"logout_only_before", {3, "eleve123"}, kNoLogout},
        {"empty_user", {0, ""}, kNoLogout},
        {"unknown_user", {0, "prof"}, kNoLogout},
        {"login_on_the_last_line", {8, "eleve12"}, kNoLogout},
        {"any_text_past_the_room", {0, "PC0"}, 2},
    };
    std::vector<LoginKey> logins;
    for (const auto& c : cases)
        logins.push_back(c.login);
    const std::vector<std::size_t> found = Indexed(lines, logins);
    ASSERT_EQ(found.size(), logins.size());
    for (std::size_t k = 0; k < logins.size(); ++k)
        EXPECT_EQ(found[k], cases[k].expected) << cases[k].name;
    EXPECT_EQ(found, ForwardSearch(lines, logins));
}

// Random small files built from names that are prefixes and substrings of each
// other, with "logout" and the names around the indexes where they start to
// count, repeated logouts, lines without ":" or "-", and empty users.
class RandomFile {
public:
    explicit RandomFile(unsigned seed) : rng_(seed) {}

    std::string Name()
    {
        static const char* const names[] = {"e", "el", "ele", "ele1", "ele12", "ele123", "le1", "12", "e1e",
                                            "ee", "eee", "a-b", "x:y", "\xE9l\xE8", "logout", "out"};
        return names[Pick(std::size(names))];
    }

    std::string Filler(std::size_t maxLength)
    {
        static const char alphabet[] = {'e', 'l', '1', '2', ':', '-', 'x', 'o', 'g', '\xE9'};
        std::string text(Pick(maxLength + 1), 'x');
        for (char& c : text)
            c = alphabet[Pick(std::size(alphabet))];
        return text;
    }

    std::string Line()
    {
        switch (Pick(5)) {
        case 0: { // a name around index 5, "logout" around index 15
            std::string line = Filler(7) + Name();
            const std::size_t at = 12 + Pick(6);
            if (line.size() < at)
                line += std::string(at - line.size(), '-');
            return line + "logout" + Filler(4) + (Pick(2) ? Name() : "");
        }
        case 1: { // a logout line as the server writes it
            return "S5-P" + Filler(2) + ":" + Name() + ":061226:" + "1" + Filler(5) + ":logout:" + Filler(3);
        }
        case 2: // pieces in any order
        {
            std::string line;
            const std::size_t pieces = Pick(7);
            for (std::size_t i = 0; i < pieces; ++i)
                line += Pick(3) == 0 ? std::string("logout") : Pick(2) ? Name() : Filler(6);
            return line;
        }
        case 3:
            return Filler(25);
        default:
            return std::string(Pick(20), 'x') + "logout" + Name() + Name();
        }
    }

    std::size_t Pick(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng_); }

private:
    std::mt19937 rng_;
};

TEST(PairLogoutsTest, AgreesWithTheForwardSearchOnRandomFiles)
{
    for (unsigned seed = 1; seed <= 400; ++seed) {
        RandomFile random(seed);
        std::vector<std::string> lines(random.Pick(40));
        for (std::string& line : lines)
            line = random.Line();
        std::vector<std::string> users; // kept alive for the views
        users.reserve(60);
        std::vector<LoginKey> logins;
        const std::size_t loginCount = lines.empty() ? 0 : random.Pick(60);
        for (std::size_t k = 0; k < loginCount; ++k) {
            users.push_back(random.Pick(10) == 0 ? std::string() : random.Name());
            logins.push_back({random.Pick(lines.size()), users.back()});
        }
        ASSERT_EQ(Indexed(lines, logins), ForwardSearch(lines, logins)) << "seed " << seed;
    }
}

// The same file cut into stretches at random lines (empty stretches
// included): the answers are those of the whole file, and a session left open
// by its own stretch is closed by the first stretch after it that can.
TEST(PairLogoutsTest, StretchesAgreeWithTheWholeFile)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomFile random(seed);
        std::vector<std::string> lines(random.Pick(50));
        for (std::string& line : lines)
            line = random.Line();
        std::vector<std::string> users;
        users.reserve(lines.size());
        std::vector<LoginKey> logins;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            if (random.Pick(3) != 0)
                continue;
            users.push_back(random.Pick(10) == 0 ? std::string() : random.Name());
            logins.push_back({n, users.back()});
        }
        const std::vector<LogoutCandidate> candidates = CandidatesOf(lines);
        const std::vector<std::size_t> whole = PairLogouts(candidates, logins);

        std::vector<std::size_t> cuts = {0, lines.size()};
        for (std::size_t i = random.Pick(5); i > 0; --i)
            cuts.push_back(random.Pick(lines.size() + 1));
        std::sort(cuts.begin(), cuts.end());
        std::vector<PairingStretch> stretches;
        std::size_t c = 0;
        std::size_t k = 0;
        for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
            const std::size_t c0 = c;
            const std::size_t k0 = k;
            while (c < candidates.size() && candidates[c].line < cuts[i + 1])
                ++c;
            while (k < logins.size() && logins[k].line < cuts[i + 1])
                ++k;
            stretches.push_back({std::span(candidates).subspan(c0, c - c0), std::span(logins).subspan(k0, k - k0)});
        }
        ASSERT_EQ(PairLogoutsInStretches(stretches), whole) << "seed " << seed;
    }
}

TEST(PairLogoutsTest, ASessionClosesInALaterStretch)
{
    const std::vector<LoginKey> logins = {{0, "eleve12"}, {1, "eleve7"}, {4, "eleve7"}};
    const std::vector<LogoutCandidate> candidates = {
        {2, "S514-PC03:eleve7:061226:120000:logout"},   // closes eleve7's first session
        {5, "S514-PC03:eleve7:061226:130000:logout"},   // closes its second
        {7, "S514-PC03:eleve123:061226:140000:logout"}, // closes eleve12's, two stretches on
    };
    const std::vector<PairingStretch> stretches = {
        {std::span(candidates).first(1), std::span(logins).first(2)},
        {std::span(candidates).subspan(1, 1), std::span(logins).subspan(2)},
        {{}, {}},
        {std::span(candidates).subspan(2), {}},
    };
    EXPECT_EQ(PairLogoutsInStretches(stretches), (std::vector<std::size_t>{2, 0, 1}));
    EXPECT_EQ(PairLogoutsInStretches({}), std::vector<std::size_t>{});
}

// Names that part after a common beginning on any byte, the Windows-1252
// letters and NUL included, early or past their sixteenth byte: a node of the
// names' tree with scores of children is searched as surely as one with a
// few, and a long name as surely as a short one.
TEST(PairLogoutsTest, NamesPartingOnAnyByteAgreeWithTheForwardSearch)
{
    std::mt19937 rng(11);
    const auto pick = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng); };
    std::vector<std::string> names = {"ab", std::string("ab\0", 3), "professeur.durand"};
    // Appended to named strings, not joined to a temporary: GCC 12's
    // optimiser misreads a literal joined to a temporary as an overlapping copy.
    for (int byte = 1; byte < 256; byte += 2) {
        const char c = static_cast<char>(byte);
        std::string ab = "ab", ba = "b", durand = "professeur.durand";
        ab += c;
        ba += c;
        ba += 'a';
        durand += c;
        names.push_back(ab);
        names.push_back(ba);
        names.push_back(durand);
    }
    std::vector<std::string> lines;
    std::vector<LoginKey> logins;
    for (int n = 0; n < 600; ++n) {
        const std::string& user = names[pick(names.size())];
        if (pick(2) == 0) {
            logins.push_back({lines.size(), user});
            lines.push_back("S514-PC03:" + user + ":011226:080000:login:X");
        } else {
            lines.push_back("S514-PC03:" + user + ":011226:160000:logout:" + names[pick(names.size())]);
        }
    }
    EXPECT_EQ(Indexed(lines, logins), ForwardSearch(lines, logins));
}

// A day where nearly every login is another pupil's: thousands of names, many
// of them beginnings, ends or middles of others ("eleve12" in "eleve123", "12"
// in both), logged out on any station, some logout lines naming dozens of
// pupils, the file cut into stretches.
TEST(PairLogoutsTest, ThousandsOfNamesInsideEachOtherAgreeWithTheForwardSearch)
{
    std::mt19937 rng(7);
    const auto pick = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(rng); };
    std::vector<std::string> names;
    for (int n = 1; n <= 3000; ++n)
        names.push_back("eleve" + std::to_string(n));
    for (int n = 0; n < 400; ++n) {
        const std::string& whole = names[pick(names.size())];
        const std::size_t from = pick(whole.size());
        names.push_back(whole.substr(from, 1 + pick(whole.size() - from)));
    }
    std::vector<std::string> lines;
    std::vector<std::size_t> loginLines;
    std::vector<std::string_view> loginUsers;
    for (int n = 0; n < 2500; ++n) {
        const std::string& user = names[pick(names.size())];
        // Appended piece by piece: GCC 12 misreads "S" + std::string&& as an
        // overlapping copy (-Wrestrict) in optimised builds.
        std::string station = "S";
        station += std::to_string(pick(600));
        station += "-PC";
        station += std::to_string(pick(40));
        if (pick(2) == 0) {
            loginLines.push_back(lines.size());
            loginUsers.push_back(user);
            lines.push_back(station + ":" + user + ":011226:0800" + std::to_string(pick(60)) + ":login:X");
        } else {
            // Now and then a line naming a crowd, some names twice.
            std::string other = pick(4) == 0 ? ":" + names[pick(names.size())] : "";
            for (std::size_t crowd = pick(8) == 0 ? 40 : 0; crowd > 0; --crowd)
                other += ":" + names[pick(names.size())] + (pick(3) == 0 ? ":" + names[pick(40)] : "");
            lines.push_back(station + ":" + user + ":011226:1600" + std::to_string(pick(60)) + ":logout" + other);
        }
    }
    std::vector<LoginKey> logins;
    for (std::size_t k = 0; k < loginLines.size(); ++k)
        logins.push_back({loginLines[k], loginUsers[k]});
    const std::vector<std::size_t> expected = ForwardSearch(lines, logins);
    ASSERT_EQ(Indexed(lines, logins), expected);

    const std::vector<LogoutCandidate> candidates = CandidatesOf(lines);
    const std::vector<std::size_t> whole = PairLogouts(candidates, logins);
    const std::size_t cut = lines.size() / 3;
    const auto firstCandidateFrom = [&](std::size_t line) {
        return static_cast<std::size_t>(std::partition_point(candidates.begin(), candidates.end(),
                                                             [&](const LogoutCandidate& c) { return c.line < line; }) -
                                        candidates.begin());
    };
    const auto firstLoginFrom = [&](std::size_t line) {
        return static_cast<std::size_t>(
            std::partition_point(logins.begin(), logins.end(), [&](const LoginKey& l) { return l.line < line; }) -
            logins.begin());
    };
    const std::size_t c1 = firstCandidateFrom(cut), c2 = firstCandidateFrom(2 * cut);
    const std::size_t k1 = firstLoginFrom(cut), k2 = firstLoginFrom(2 * cut);
    const std::span<const LogoutCandidate> cs(candidates);
    const std::span<const LoginKey> ks(logins);
    const std::vector<PairingStretch> stretches = {{cs.first(c1), ks.first(k1)},
                                                   {cs.subspan(c1, c2 - c1), ks.subspan(k1, k2 - k1)},
                                                   {cs.subspan(c2), ks.subspan(k2)}};
    EXPECT_EQ(PairLogoutsInStretches(stretches), whole);
    // Sessions both closed and left open, not a file where nothing pairs.
    const auto open = std::count(expected.begin(), expected.end(), kNoLogout);
    EXPECT_GT(open, 0);
    EXPECT_LT(open, static_cast<std::ptrdiff_t>(logins.size() * 4 / 5));
}

// Names far longer than any real one: too long for one table, or too many to
// share one. The answers stay those of the forward search.
TEST(PairLogoutsTest, VeryLongNamesKeepTheirAnswers)
{
    std::string alphabet;
    for (int c = 1; c < 256; ++c)
        alphabet += static_cast<char>(c);
    std::vector<std::string> users;
    for (int k = 0; k < 12; ++k) {
        std::string name(10000, 'a');
        for (std::size_t i = 0; i < name.size(); ++i)
            name[i] = alphabet[(i * 7 + static_cast<std::size_t>(k) * 13) % alphabet.size()];
        users.push_back(name);
    }
    users.push_back(std::string(70000, 'z')); // alone past the limit of a table
    users.push_back("z");

    std::vector<std::string> lines;
    std::vector<LoginKey> logins;
    for (std::size_t k = 0; k < users.size(); ++k) {
        logins.push_back({lines.size(), users[k]});
        lines.push_back("S1-P:login");
        lines.push_back(users[k] + ":early:" + std::string(10, 'x') + "logout");
        lines.push_back("S1-P:" + users[k] + ":" + std::string(10, 'x') + "logout");
    }
    lines.push_back("S1-P:" + users[3] + users[12] + ":logout");
    logins.push_back({0, users[12]});
    logins.push_back({lines.size() - 2, users[3]});
    logins.push_back({lines.size() - 2, users[12]});

    const std::vector<std::size_t> expected = ForwardSearch(lines, logins);
    EXPECT_EQ(Indexed(lines, logins), expected);
    EXPECT_EQ(expected[0], 2u); // the searches do find something
    EXPECT_EQ(expected.back(), lines.size() - 1);
}

} // namespace
} // namespace kiv
