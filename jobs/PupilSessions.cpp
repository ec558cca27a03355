#include "jobs/PupilSessions.h"

#include "common/AsciiCase.h"
#include "jobs/SubjectReport.h"
#include "logscan/CancelFlag.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LogLineReader.h"
#include "logscan/OccupationScan.h"
#include "logscan/SessionParser.h"

#include <optional>

namespace kiv {
namespace {

bool IsLineBreak(char c) noexcept { return c == '\r' || c == '\n'; }

// Reads one log and hands on the pupil's sessions; the file's error, if any.
std::optional<std::string> ScanFile(const std::string& path, std::string_view pupil,
                                    const std::function<void(SessionEntry&&)>& onSession, LogLineReader& reader,
                                    const std::atomic<bool>* cancel)
{
    const std::filesystem::path file = PathFromBytes(path);
    std::optional<std::string> error;
    try {
        try {
            // Into the memory of the day before: a year of logs is not
            // taken from the system and given back file after file.
            reader.ReadContentInPlace(file, PathForMessage(file));
        } catch (const KivError& refused) {
            // As the room tab: the lines before a refused one are still read.
            error = refused.what();
        }
        LogLineReader naming;
        naming.ReadBytes(LinesNaming(reader.Content(), pupil));
        ExtractSessions(
            naming, kAllRooms,
            [&](const SessionEntry& session) {
                if (SameSubjectName(session.User, pupil))
                    onSession(SessionEntry(session));
            },
            cancel);
    } catch (const std::exception&) {
        error = FileFailureMessage(PathForMessage(file));
    }
    return error;
}

} // namespace

std::string LinesNaming(std::string_view content, std::string_view name)
{
    std::string kept;
    if (name.empty())
        return kept;
    const std::string upper = AsciiUpperCopy(content);
    const std::string needle = AsciiUpperCopy(name);
    for (std::size_t at = upper.find(needle); at != std::string::npos; at = upper.find(needle, at)) {
        std::size_t start = at;
        while (start > 0 && !IsLineBreak(content[start - 1]))
            --start;
        std::size_t end = at + needle.size();
        while (end < content.size() && !IsLineBreak(content[end]))
            ++end;
        while (start < end && (content[start] == ' ' || content[start] == '\t'))
            ++start;
        kept.append(content.substr(start, end - start));
        kept += '\n';
        at = end;
    }
    return kept;
}

ScanOutcome PupilSessionsOfDay(const std::vector<std::string>& files, std::string_view pupil,
                               const std::function<void(SessionEntry&&)>& onSession, LogLineReader& reader,
                               const std::atomic<bool>* cancel)
{
    ScanOutcome outcome;
    outcome.filesFound = files.size();
    for (const std::string& path : files) {
        if (Cancelled(cancel))
            break;
        if (const std::optional<std::string> error = ScanFile(path, pupil, onSession, reader, cancel))
            outcome.Failed(*error);
    }
    outcome.cancelled = Cancelled(cancel);
    outcome.allRead = outcome.allRead && !outcome.cancelled;
    return outcome;
}

} // namespace kiv
