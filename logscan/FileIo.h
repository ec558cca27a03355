#pragma once
// The small file layer under every read and write of the engine. Reading is
// shared: a log file that the server is still writing is read as it stands.

#include <filesystem>
#include <string>
#include <string_view>

namespace kiv {

// A path from the bytes the tool handles (Windows-1252 on Windows, the bytes
// as they are elsewhere).
std::filesystem::path PathFromBytes(std::string_view bytes);

// Reads the whole file into out (replacing its content). False when the file
// cannot be opened or read, a folder included; out is then unspecified.
bool ReadFileBytes(const std::filesystem::path& path, std::string& out);

// Creates or truncates the file and writes bytes. False when the file cannot
// be created or written.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

} // namespace kiv
