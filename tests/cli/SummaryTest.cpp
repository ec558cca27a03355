// kivlogs-cli occupation --format summary against the day tables that
// --format cells prints for each day of the period.

#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <sstream>

namespace {

const std::filesystem::path kExamples = KIV_EXAMPLES_DIR;

// The examples (logs and lists) copied into the test's folder: a command that
// writes where it should not spoils that copy, never the repository's files
// that the other tests read.
std::filesystem::path CopyOfExamples(const TempFolder& root)
{
    const auto copy = root.path() / "examples";
    std::filesystem::copy(kExamples, copy, std::filesystem::copy_options::recursive);
    return copy;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The summary's rows by their first field, the header row under "salle".
std::map<std::string, std::vector<std::string>> Rows(const std::string& summary)
{
    std::map<std::string, std::vector<std::string>> rows;
    std::vector<std::string> lines = Split(summary, "\r\n");
    EXPECT_EQ(lines.back(), "");
    lines.pop_back();
    for (const std::string& line : lines) {
        std::vector<std::string> fields = Split(line, ";");
        const std::string name = fields.front();
        fields.erase(fields.begin());
        rows[name] = fields;
    }
    return rows;
}

// The eight headers and the entries of each column of one day's table, as
// --format cells prints them.
struct DayCells {
    std::vector<std::string> headers;
    std::array<int, 8> entries{};
};

DayCells ParseCells(const std::string& cells)
{
    DayCells day;
    int column = -1;
    for (const std::string& line : Split(cells, "\n")) {
        if (line.rfind("#", 0) == 0 && line.find('\t') != std::string::npos) {
            ++column;
            day.headers.push_back(line.substr(line.find('\t') + 1));
        } else if (!line.empty()) {
            ++day.entries.at(static_cast<std::size_t>(column));
        }
    }
    return day;
}

// The example week with an unreadable log in its middle and a day without
// log on either side: for every room filter, the last row of the summary is
// the sum of the day tables, and each listed room's row is the sum of the
// tables of that room alone.
TEST(CliSummary, IsTheSumOfTheDayTablesForEveryRoomFilter)
{
    TempFolder root("kiv_cli_summary");
    const auto examples = CopyOfExamples(root);
    const auto logs = examples / "logs";
    std::filesystem::create_directory(logs / "badr031226.log");
    const std::vector<std::string> days{"2026-11-30", "2026-12-01", "2026-12-02", "2026-12-03",
                                        "2026-12-04", "2026-12-05", "2026-12-06"};
    const std::string config = "--config=" + examples.string();
    const auto summary = [&](const std::string& room) {
        return RunCli({"occupation", "--logs", logs.string(), config, "--room", room, "--format", "summary",
                       "--from", days.front(), "--to", days.back()},
                      root.path());
    };
    const auto dayTables = [&](const std::string& room) {
        std::vector<std::string> row(9, "0");
        std::array<int, 8> sum{};
        std::vector<std::string> headers;
        for (const std::string& day : days) {
            const CliRun cells =
                RunCli({"occupation", "--logs", logs.string(), config, "--room", room, "--format", "cells", "--date", day},
                       root.path());
            const DayCells parsed = ParseCells(cells.out);
            headers = parsed.headers;
            for (std::size_t c = 0; c < 8; ++c)
                sum[c] += parsed.entries[c];
        }
        int total = 0;
        for (std::size_t c = 0; c < 8; ++c) {
            row[c] = std::to_string(sum[c]);
            total += sum[c];
        }
        row[8] = std::to_string(total);
        headers.insert(headers.begin(), "salle");
        headers.push_back("total");
        return std::pair(headers, row);
    };

    const std::vector<std::string> rooms{"S514", "S302", "S502", "SPROF", "SCDI"};
    const CliRun all = summary("Toutes");
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.err, "Impossible d'ouvrir le fichier " + (logs / "badr031226.log").string() + ".\n");
    const auto allRows = Rows(all.out);
    const auto [headers, allTables] = dayTables("Toutes");
    EXPECT_EQ(all.out.substr(0, all.out.find("\r\n")), [&] {
        std::string row;
        for (const std::string& h : headers)
            row += (row.empty() ? "" : ";") + h;
        return row;
    }());
    EXPECT_EQ(allRows.at("Toutes"), allTables);
    std::vector<std::string> order;
    for (const std::string& line : Split(all.out, "\r\n"))
        order.push_back(line.substr(0, line.find(';')));
    EXPECT_EQ(order, (std::vector<std::string>{"salle", "S514", "S302", "S502", "SPROF", "SCDI", "Toutes", ""}));

    for (const std::string& room : rooms) {
        SCOPED_TRACE(room);
        const auto tables = dayTables(room).second;
        EXPECT_EQ(allRows.at(room), tables);
        const auto one = Rows(summary(room).out);
        EXPECT_EQ(one.size(), 3u); // the header, the room, "Toutes"
        EXPECT_EQ(one.at(room), tables);
        EXPECT_EQ(one.at("Toutes"), tables);
    }
}

TEST(CliSummary, AnEmptyPeriodHasOnlyItsHeaderAndTotalAndOutputIsTheSameBytes)
{
    TempFolder root("kiv_cli_summary_empty");
    const auto examples = CopyOfExamples(root);
    const std::vector<std::string> args{"occupation", "--logs", (examples / "logs").string(), "--config",
                                        examples.string(), "--format=summary", "--from", "2027-01-01", "--to",
                                        "2027-01-31", "--encoding", "cp1252"};
    const CliRun run = RunCli(args, root.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "salle;08h25;09h20;10h30;11h25;12h35;14h00;15h00;17h00;total\r\n"
                       "Toutes;0;0;0;0;0;0;0;0;0\r\n");

    std::vector<std::string> toFile = args;
    toFile.insert(toFile.end(), {"--from", "2026-12-01", "--output", (root.path() / "s.csv").string()});
    const CliRun saved = RunCli(toFile, root.path());
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    toFile.resize(toFile.size() - 2);
    EXPECT_EQ(ReadFile(root.path() / "s.csv"), RunCli(toFile, root.path()).out);
}

// A period of one day (--from and --to the same date) is that day's table.
TEST(CliSummary, AOneDayPeriodIsThatDaysTable)
{
    TempFolder root("kiv_cli_summary_one_day");
    const auto examples = CopyOfExamples(root);
    const std::vector<std::string> common{"occupation", "--logs", (examples / "logs").string(), "--config",
                                          examples.string()};
    std::vector<std::string> args = common;
    args.insert(args.end(), {"--format", "summary", "--from", "2026-12-02", "--to", "2026-12-02"});
    const CliRun run = RunCli(args, root.path());
    ASSERT_EQ(run.status, 0) << run.err;

    args = common;
    args.insert(args.end(), {"--format", "cells", "--date", "2026-12-02"});
    const DayCells day = ParseCells(RunCli(args, root.path()).out);
    std::vector<std::string> expected;
    int total = 0;
    for (int entries : day.entries) {
        expected.push_back(std::to_string(entries));
        total += entries;
    }
    expected.push_back(std::to_string(total));
    ASSERT_GT(total, 0);
    EXPECT_EQ(Rows(run.out).at("Toutes"), expected);
}

// The longest period counts each log once: the example week, not twice it.
TEST(CliSummary, ACenturyLessADayCountsEachLogOnce)
{
    TempFolder root("kiv_cli_summary_century");
    const auto summary = [&](const char* from, const char* to) {
        return RunCli({"occupation", "--logs", (kExamples / "logs").string(), "--format", "summary", "--from", from,
                       "--to", to},
                      root.path());
    };
    const CliRun century = summary("1926-12-01", "2026-11-30");
    EXPECT_EQ(century.status, 0) << century.err;
    EXPECT_EQ(century.out, summary("1926-12-01", "1926-12-07").out);
    const CliRun over = summary("1926-12-01", "2026-12-01");
    EXPECT_EQ(over.status, 2);
    EXPECT_NE(over.err.find("--to va au plus jusqu'au 2026-11-30"), std::string::npos) << over.err;
}

// A summary that cannot be written (here past a file-size limit) fails as
// search and the day's sessions do.
TEST(CliSummary, AFailedWriteSaysWhatTheDaysSessionsSay)
{
    TempFolder root("kiv_cli_summary_full");
    std::string log;
    for (int room = 1000; room < 1400; ++room) {
        log += 'S';
        log += std::to_string(room);
        log += "-PC03:eleve12:011226:082533:login:B:C:D:E\r\n";
    }
    WriteFile(root.path() / "logs" / "connexr011226.log", log);
    const std::string logs = (root.path() / "logs").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"occupation", "--logs", logs, "--date", "2026-12-01", "--format", "csv"},
             {"occupation", "--logs", logs, "--format", "summary", "--from", "2026-12-01", "--to", "2026-12-05"}}) {
        std::vector<std::string> toFile = args;
        toFile.insert(toFile.end(), {"--output", (root.path() / "sortie.csv").string()});
        const CliRun run = RunCli(toFile, root.path(), "ulimit -f 8; ");
        EXPECT_EQ(run.status, 1) << args.back();
        EXPECT_EQ(run.err, "Erreur \xC3\xA0 l'enregistrement du flux.\n") << args.back();
    }
}

TEST(CliSummary, APeriodOutOfOrderOrOnAnotherFormatIsAUsageError)
{
    TempFolder root("kiv_cli_summary_usage");
    const auto logs = CopyOfExamples(root) / "logs";
    const std::string before = ReadFile(logs / "connexr031226.log");
    const std::vector<std::vector<std::string>> cases{
        {"--format", "summary", "--from", "2026-12-05", "--to", "2026-12-04"},
        {"--format", "summary", "--from", "2026-12-05"},
        {"--format", "summary"},
        {"--format", "csv", "--from", "2026-12-01", "--to", "2026-12-05"},
        {"--to", "2026-12-05"},
        {"--format", "summary", "--from", "2026-12-01", "--to", "2026-12-05", "--output",
         (logs / "connexr031226.log").string()},
        // A period has no day of its own.
        {"--format", "summary", "--from", "2026-12-01", "--to", "2026-12-05", "--date", "2026-12-03"},
        // Logs' names hold two-digit years: a century or more would count each
        // log once per century.
        {"--format", "summary", "--from", "1926-12-01", "--to", "2026-12-01"},
        {"--format", "summary", "--from", "1800-01-01", "--to", "2199-12-31"},
        {"--format", "summary", "--from", "0001-01-01", "--to", "9999-12-31"},
    };
    for (const auto& extra : cases) {
        std::vector<std::string> args{"occupation", "--logs", logs.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun run = RunCli(args, root.path());
        EXPECT_EQ(run.status, 2) << extra.back();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Aide : kivlogs-cli occupation --help"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(logs / "connexr031226.log"), before) << "a refused command writes nothing";
}

} // namespace
