#pragma once
// Pairing logins with logouts in one file without searching forward from every
// login. The session of a login closes at the first later line of the same
// file that IsLogoutLineOf(line, user); a busy day has a million lines and tens
// of thousands of logins, so the logout lines are read once, every user name
// occurring in them is found in the same pass, and the answers are handed back
// to the logins in one sweep from the end of the file to its start.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace kiv {

inline constexpr std::size_t kNoLogout = static_cast<std::size_t>(-1);

// A line of the file whose first "logout" stands late enough for a logout
// (IsLogoutLine). line is its place in the file: any number that grows with
// the line order (its index, or its offset in the file's text).
struct LogoutCandidate {
    std::size_t line;
    std::string_view text;
};

// A login to be paired: its place in the file (as for candidates) and its user.
struct LoginKey {
    std::size_t line;
    std::string_view user;
};

// For each login, in the order given, the position in candidates of the first
// candidate after its line in which the first occurrence of its user stands at
// index 5 or later; kNoLogout when there is none or the user is empty. The
// candidates are in increasing line order and must be every IsLogoutLine line
// of the file that follows the first login.
std::vector<std::size_t> PairLogouts(std::span<const LogoutCandidate> candidates, std::span<const LoginKey> logins);

// One stretch of consecutive lines of a file: its candidates and its logins,
// each in increasing line order. Every line of a stretch comes before every
// line of the next one.
struct PairingStretch {
    std::span<const LogoutCandidate> candidates;
    std::span<const LoginKey> logins;
};

// PairLogouts over a file cut into stretches, one thread per stretch. The
// answers are those of PairLogouts on the stretches' candidates and logins put
// end to end: for every login, stretch by stretch, the position of its logout
// among all candidates counted in that order, or kNoLogout.
std::vector<std::size_t> PairLogoutsInStretches(std::span<const PairingStretch> stretches);

} // namespace kiv
