#pragma once
// Pairing logins with logouts in one file without searching forward from every
// login. The session of a login at line n closes at the first later line of
// the same file that IsLogoutLineOf(line, user); a busy day has a million lines
// and tens of thousands of logins, so the logout lines are read once, every
// user occurring in them is found in the same pass, and each login then looks
// its answer up.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace kiv {

inline constexpr std::size_t kNoLogout = static_cast<std::size_t>(-1);

// A line of the file whose first "logout" stands late enough for a logout
// (IsLogoutLine), with its index in the file.
struct LogoutCandidate {
    std::size_t line;
    std::string_view text;
};

// A login to be paired: its line index and its user.
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

} // namespace kiv
