#pragma once
// One pupil's sessions in a day's connection logs, found by reading only the
// lines that name the pupil: a school day holds thousands of pupils' logins,
// and a report on one of them over a year must not pair every one of them.
//
// The lines kept are enough to pair as the room tab pairs: a login of the
// pupil names the pupil, and every logout line that can close it holds the
// pupil's login as the session's user, so it names the pupil too (in any
// letter case of the name, which is how the pupil is matched). The lines
// keep their order and their text as the reader gives it, so that the
// positions the pairing looks at are the same.

#include "jobs/ScanOutcome.h"
#include "logscan/LogLineReader.h"
#include "logscan/LogMask.h"
#include "logscan/SessionEntry.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// The lines of content (a log's text as the reader accepted it) that hold
// name, letters compared after ASCII upper-casing, without their leading
// blanks, each followed by a line feed.
std::string LinesNaming(std::string_view content, std::string_view name);

// The sessions of a day's connection logs (files: the ones the room tab reads,
// in its order) whose user is pupil, as SameSubjectName compares it. Errors
// are those the room tab's scan reports, in file order. reader: the memory a
// caller reading day after day keeps for the next day's logs.
ScanOutcome PupilSessionsOfDay(const std::vector<std::string>& files, std::string_view pupil,
                               const std::function<void(SessionEntry&&)>& onSession, LogLineReader& reader,
                               const std::atomic<bool>* cancel = nullptr);

} // namespace kiv
