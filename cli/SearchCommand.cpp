#include "cli/SearchCommand.h"

#include "cli/Diagnostics.h"
#include "cli/LogFolderOption.h"
#include "cli/Output.h"
#include "cli/OutputGuard.h"
#include "jobs/KeywordSearchJob.h"
#include "jobs/LogFolder.h"
#include "jobs/SearchWordChoice.h"
#include "logscan/Cp1252.h"
#include "logscan/FileIo.h"
#include "logscan/KivError.h"
#include "logscan/LogMask.h"

#include <memory>

namespace kiv::cli {

SearchWordSources WordSources(const CliOptions& options, const std::filesystem::path& executableFolder,
                              std::vector<std::string>& refused)
{
    SearchWordSources sources;
    for (const std::string& typed : options.words) {
        if (options.encoding == Encoding::Cp1252) {
            sources.typed.push_back(typed);
        } else if (const char32_t bad = FirstCharacterOutsideCp1252(typed)) {
            refused.push_back(UnsearchableWordMessage(Utf8ToCp1252(typed), bad));
        } else {
            sources.typed.push_back(Utf8ToCp1252(typed));
        }
    }
    if (options.wordsFile)
        sources.wordFile = PathFromBytes(*options.wordsFile);
    if (options.config)
        sources.configFolder = PathFromBytes(*options.config);
    sources.programFolder = executableFolder;
    return sources;
}

void AppendResultLine(const KeywordSearchResult& result, const TextList& words, bool withWord, Encoding encoding,
                      std::string_view lineEnd, std::string& out)
{
    if (withWord) {
        AppendEncoded(words[result.wordIndex], encoding, out);
        out += '\t';
    }
    AppendEncoded(result.line, encoding, out);
    out += lineEnd;
}

int RunSearch(const CliOptions& options, const std::filesystem::path& executableFolder)
{
    KeywordSearchRequest request;
    request.logFolder = LogFolderPath(options);
    request.date = options.date;
    request.scope = options.scope;
    std::vector<std::string> refusedWords;
    const SearchWordSources sources = WordSources(options, executableFolder, refusedWords);
    if (options.output) {
        std::vector<std::filesystem::path> wordFile;
        if (const auto file = SearchWordFile(sources))
            wordFile.push_back(*file);
        RefuseOutputOverScan(options, KeywordSearchFiles(request).files, std::move(wordFile));
    }
    for (const std::string& message : refusedWords)
        ReportError(message, options.encoding);
    if (!refusedWords.empty() && sources.typed.empty())
        return 2; // no typed word is left: neither another list nor nothing is what the user asked for
    try {
        request.words = ChooseSearchWords(sources);
    } catch (const KivError& error) {
        ReportError(error.what(), options.encoding);
        return 1;
    }

    // A saved result file is what the window's "Enregistrer" writes:
    // Windows-1252, each line followed by CR LF, whatever --encoding says.
    const bool toFile = options.output.has_value();
    std::unique_ptr<OutputSink> out = toFile ? std::make_unique<OutputSink>(*options.output) : std::make_unique<OutputSink>(options.encoding);
    if (!out->IsOpen()) {
        ReportError(CannotCreateMessage(PathForMessage(PathFromBytes(*options.output))), options.encoding);
        return 1;
    }
    const std::string lineEnd = toFile ? "\r\n" : "\n";
    const Encoding encoding = toFile ? Encoding::Cp1252 : options.encoding;

    KeywordSearchEvents events;
    std::string line;
    events.onResults = [&](std::vector<KeywordSearchResult>&& batch) {
        for (const KeywordSearchResult& result : batch) {
            line.clear();
            AppendResultLine(result, request.words, options.withWord, encoding, lineEnd, line);
            out->Write(line);
        }
    };
    events.onError = [&](const std::string& message) { ReportError(message, options.encoding); };

    const ScanOutcome outcome = RunKeywordSearch(request, events);
    TellAboutEmptyScan(options, outcome, NoKeywordLogMessage(request.logFolder, request.date, request.scope));
    if (!out->Finish()) {
        ReportError(toFile ? StreamWriteMessage() : std::string("Erreur d'\xE9" "criture"), options.encoding);
        return 1;
    }
    return outcome.allRead && refusedWords.empty() ? 0 : 1;
}

} // namespace kiv::cli
