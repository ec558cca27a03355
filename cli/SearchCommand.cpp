#include "SearchCommand.h"

#include "Cp1252.h"
#include "DefaultWords.h"
#include "Diagnostics.h"
#include "FileIo.h"
#include "KeywordScan.h"
#include "KivError.h"
#include "LogFiles.h"
#include "Output.h"
#include "TextList.h"

#include <memory>

namespace kiv::cli {
namespace {

bool FileExists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// The words in the order the window would use them: typed words first, then a
// word file, then the configuration's kiv.ini, then the one beside the program,
// then the built-in list.
TextList ChooseWords(const CliOptions& options, const std::filesystem::path& executableFolder)
{
    if (!options.words.empty()) {
        TextList words;
        for (const std::string& typed : options.words)
            words.push_back(options.encoding == Encoding::Utf8 ? Utf8ToCp1252(typed) : typed);
        return words;
    }
    if (options.wordsFile)
        return LoadTextListFile(PathFromBytes(*options.wordsFile), *options.wordsFile);
    if (options.config) {
        const auto configured = PathFromBytes(*options.config) / "kiv.ini";
        if (FileExists(configured))
            return LoadTextListFile(configured, "kiv.ini");
    }
    const auto besideProgram = executableFolder / "kiv.ini";
    if (FileExists(besideProgram))
        return LoadTextListFile(besideProgram, besideProgram.string());
    return BuiltInWatchedWords();
}

} // namespace

int RunSearch(const CliOptions& options, const std::filesystem::path& executableFolder)
{
    TextList words;
    try {
        words = ChooseWords(options, executableFolder);
    } catch (const KivError& error) {
        ReportError(error.what(), options.encoding);
        return 1;
    }

    // A saved result file is what the window's "Enregistrer" writes:
    // Windows-1252, each line followed by CR LF, whatever --encoding says.
    const bool toFile = options.output.has_value();
    std::unique_ptr<OutputSink> out = toFile ? std::make_unique<OutputSink>(*options.output) : std::make_unique<OutputSink>();
    if (!out->IsOpen()) {
        ReportError(CannotCreateMessage(*options.output), options.encoding);
        return 1;
    }
    const std::string lineEnd = toFile ? "\r\n" : "\n";
    const Encoding encoding = toFile ? Encoding::Cp1252 : options.encoding;

    const std::string folder = LogFolderPrefix(options.logs ? *options.logs : DefaultLogFolder());
    const std::vector<std::string> files = FindLogFiles(KeywordLogMask(folder, options.date, options.scope));

    KeywordScanEvents events;
    std::string line;
    events.onResult = [&](KeywordResult&& result) {
        line.clear();
        if (options.withWord) {
            line += Encode(words[result.wordIndex], encoding);
            line += '\t';
        }
        line += Encode(result.line, encoding);
        line += lineEnd;
        out->Write(line);
    };
    events.onError = [&](const std::string& message) { ReportError(message, options.encoding); };

    const bool allRead = RunKeywordScan(files, words, events);
    if (!out->Finish()) {
        ReportError(toFile ? CannotCreateMessage(*options.output) : std::string("Erreur d'\xE9" "criture"), options.encoding);
        return 1;
    }
    return allRead ? 0 : 1;
}

} // namespace kiv::cli
