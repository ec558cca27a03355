#include "cli/WatchCommand.h"

#include "cli/Diagnostics.h"
#include "cli/LogFolderOption.h"
#include "cli/Output.h"
#include "cli/SearchCommand.h"
#include "jobs/DayWatch.h"
#include "logscan/KivError.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <pthread.h>
#include <signal.h>
#endif

namespace kiv::cli {
namespace {

#ifdef _WIN32
WatchPace* g_pace = nullptr;

// Runs on a thread of its own that the console starts for Ctrl+C, Ctrl+Break
// or the console being closed.
BOOL WINAPI StopOnConsoleEvent(DWORD)
{
    if (g_pace)
        g_pace->Stop();
    return TRUE;
}

// Ctrl+C stops the watch instead of the process, so that what was read is written.
class StopOnSignals {
public:
    explicit StopOnSignals(WatchPace& pace)
    {
        g_pace = &pace;
        SetConsoleCtrlHandler(StopOnConsoleEvent, TRUE);
    }
    ~StopOnSignals()
    {
        SetConsoleCtrlHandler(StopOnConsoleEvent, FALSE);
        g_pace = nullptr;
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;
};
#else
// SIGINT and SIGTERM are taken by a thread of their own that waits for them,
// rather than by a handler, which could not wake the watch safely: the watch
// then ends its look, writes what it read and the program exits with 0. The
// two signals stay held back until the program ends, so that one sent while
// the last lines are written does not cut them.
class StopOnSignals {
public:
    explicit StopOnSignals(WatchPace& pace)
    {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        waiter_ = std::thread([this, &pace] {
            int received = 0;
            sigwait(&signals_, &received);
            received_ = true;
            pace.Stop();
        });
    }
    ~StopOnSignals()
    {
        // A watch that ended on its own (its output closed): the waiting
        // thread is woken with the signal it waits for.
        if (!received_)
            pthread_kill(waiter_.native_handle(), SIGTERM);
        waiter_.join();
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    sigset_t signals_{};
    std::atomic<bool> received_{false};
    std::thread waiter_;
};
#endif

// What --count-only prints for a look: how many lines, never which, so that
// a screen that others see names no pupil.
std::string CountLine(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " ligne" : " lignes") + " avec un mot surveill\xE9\n";
}

#ifndef _WIN32
// A reader that goes away (`| head -1`) makes a write fail instead of
// killing the program: the watch then ends with status 1, as its help says.
struct WritesToAClosedPipeFail {
    WritesToAClosedPipeFail() { std::signal(SIGPIPE, SIG_IGN); }
};
#endif

} // namespace

int RunWatch(const CliOptions& options, const std::filesystem::path& executableFolder)
{
    DayWatchRequest request;
    request.logFolder = LogFolderPath(options);
    if (options.dayGiven)
        request.day = options.date;
    request.catchUp = options.catchUp;
    std::vector<std::string> refusedWords;
    const SearchWordSources sources = WordSources(options, executableFolder, refusedWords);
    for (const std::string& message : refusedWords)
        ReportError(message, options.encoding);
    if (!refusedWords.empty() && sources.typed.empty())
        return 2; // no typed word is left: another list is not what the user asked for
    try {
        request.words = ChooseSearchWords(sources);
    } catch (const KivError& error) {
        ReportError(error.what(), options.encoding);
        return 1;
    }

#ifndef _WIN32
    const WritesToAClosedPipeFail closedPipe;
#endif
    WatchPace pace;
    OutputSink out(options.encoding);
    bool outputFailed = false;
    bool readerGone = false;
    // A script reading the pipe sees each look's lines now, not when a buffer fills.
    const auto flush = [&] {
        if (outputFailed || out.FlushNow())
            return;
        readerGone = errno == EPIPE;
        outputFailed = true;
        pace.Stop();
    };
    DayWatchEvents events;
    std::string lines;
    std::size_t found = 0;
    events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
        if (options.countOnly) {
            found += batch.size();
            return;
        }
        lines.clear();
        for (const KeywordSearchResult& result : batch)
            AppendResultLine(result, request.words, options.withWord, options.encoding, "\n", lines);
        out.Write(lines);
        flush();
    };
    events.onLookDone = [&] {
        if (found == 0)
            return;
        out.WriteEncoded(CountLine(found), options.encoding);
        found = 0;
        flush();
    };
    events.onError = [&](const std::string& message) { ReportError(message, options.encoding); };
    request.cancel = pace.StopFlag(); // Ctrl+C during the build of a long list
    try {
        const StopOnSignals stop(pace);
        DayWatch watch(request, events);
        RunDayWatch(watch, pace, std::chrono::milliseconds(options.intervalMs));
    } catch (const BuildCancelled&) {
        return 0;
    }
    if (!out.Finish() || outputFailed) {
        // A reader that left wanted no more: that is no error to tell.
        if (!readerGone)
            ReportError("Erreur d'\xE9" "criture", options.encoding);
        return 1;
    }
    return 0;
}

} // namespace kiv::cli
