// kivlogs-cli report through the real program: the text the window shows, the
// CSV a spreadsheet opens, the HTML page read back by a parser.

#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// One day where eleve12 logs in once and types two watched words, beside
// eleve121, whose name holds eleve12; a line that would be markup, a control
// character and an accented letter (Windows-1252) in the logs.
class ReportCliTest : public ::testing::Test {
protected:
    ReportCliTest() : dir_("kiv_report_cli")
    {
        WriteFile(dir_.path() / "logs" / "connexr050206.log",
                  "S514-PC03:eleve12:050206:082533:login:B:C:D:E\r\n"
                  "S514-PC04:eleve121:050206:082600:login:B:C:D:E\r\n"
                  "S514-PC03:eleve12:050206:091047:logout:B:C:D:E\r\n");
        WriteFile(dir_.path() / "logs" / "web050206.txt",
                  "POSTE03:eleve12:050206:0830:<script>alert(\"sexe\")</script> a;b & 'c'\r\n"
                  "POSTE04:eleve121:050206:0831:page sexe\r\n"
                  "POSTE03:eleve12:050206:0800:sexy \x01 \xE9t\xE9\r\n");
    }

    CliRun Report(std::vector<std::string> more)
    {
        std::vector<std::string> args{"report", "--user", "eleve12", "--date", "2006-02-05", "--logs", "logs",
                                      "--word", "sexe", "--word", "sexy"};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args, dir_.path());
    }

    TempFolder dir_;
};

TEST_F(ReportCliTest, TheTextIsTheWindowsLinesInTimeOrder)
{
    const CliRun run = Report({});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\xC3\x89l\xC3\xA8ve eleve12, le 05/02/2006\n"
                       "Mots surveill\xC3\xA9s : sexe, sexy\n"
                       "\n"
                       "Le 05/02/2006\n"
                       "    Mot        POSTE03:eleve12: le 05/02/06: \xC3\xA0 08 h 00 min :sexy \x01 \xC3\xA9t\xC3\xA9\n"
                       "    Connexion  08h25 - 09h10  S514  PC03  eleve12  (cr\xC3\xA9neau 8h25)\n"
                       "    Mot        POSTE03:eleve12: le 05/02/06: \xC3\xA0 08 h 30 min :<script>alert(\"sexe\")</script> a;b & 'c'\n"
                       "    Total du jour : 1 connexion, 0 h 45 min de connexion, 2 r\xC3\xA9sultats (sexe : 1, sexy : 1)\n"
                       "\n"
                       "Total sur 1 jour : 1 connexion, 0 h 45 min de connexion, 2 r\xC3\xA9sultats (sexe : 1, sexy : 1)\n");
}

TEST_F(ReportCliTest, TheCsvHasARowPerEventQuotedForASpreadsheet)
{
    const CliRun run = Report({"--format", "csv", "--encoding", "cp1252"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Jour;Heure;Type;Salle;Poste;Utilisateur;Connexion;D\xE9" "connexion;Mot;Ligne\r\n"
                       "05/02/2006;08:00;mot;;POSTE03;eleve12;;;sexy;POSTE03:eleve12: le 05/02/06: \xE0 08 h 00 min :sexy \x01 \xE9t\xE9\r\n"
                       "05/02/2006;08:25;connexion;S514;PC03;eleve12;08h25;09h10;;\r\n"
                       "05/02/2006;08:30;mot;;POSTE03;eleve12;;;sexe;\"POSTE03:eleve12: le 05/02/06: \xE0 08 h 30 min "
                       ":<script>alert(\"\"sexe\"\")</script> a;b & 'c'\"\r\n");
}

TEST_F(ReportCliTest, TheHtmlPageParsesEscapesTheLogsAndDeclaresItsCharset)
{
    for (const std::string encoding : {"utf8", "cp1252"}) {
        SCOPED_TRACE(encoding);
        const auto page = dir_.path() / ("rapport-" + encoding + ".html");
        const CliRun run = Report({"--format", "html", "--encoding", encoding, "--output", page.string()});
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string command = "python3 '" KIV_CLI_TEST_DIR "/check_report_html.py' '" + page.string() + "' "
            + (encoding == "utf8" ? "utf-8" : "windows-1252") + " sexy sexe 2>&1";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string said;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            said.append(buffer, n);
        const int status = ::pclose(pipe);
        EXPECT_EQ(status, 0) << said;
        // The log line is text on the page, whole, never a tag.
        EXPECT_NE(said.find(":<script>alert(\"sexe\")</script> a;b & 'c'"), std::string::npos) << said;
        EXPECT_NE(said.find("\xEF\xBF\xBD \xC3\xA9t\xC3\xA9"), std::string::npos) << said; // the control as U+FFFD
        EXPECT_NE(said.find("eleve12  (cr\xC3\xA9neau 8h25)"), std::string::npos) << said;
        EXPECT_EQ(said.find("eleve121"), std::string::npos) << said;
    }
}

TEST_F(ReportCliTest, UsageErrorsAndAnOutputOverALogAreRefusedWithStatusTwo)
{
    const std::vector<std::vector<std::string>> cases{
        {"report", "--date", "2006-02-05"},
        {"report", "--user", "a", "--computer", "b"},
        {"report", "--user", ""},
        {"report", "--user", "a", "--from", "2006-02-05"},
        {"report", "--user", "a", "--from", "2006-02-05", "--to", "2006-02-04"},
        {"report", "--user", "a", "--date", "2006-02-05", "--from", "2006-02-05", "--to", "2006-02-06"},
        {"report", "--user", "a", "--from", "1926-02-05", "--to", "2026-02-05"},
        {"report", "--user", "a", "--format", "pdf"},
        {"report", "--user", "a", "--with-word"},
        {"report", "--user", "a", "--word", "x", "--words", "kiv.ini"},
        {"report", "--user", "a", "--date", "2006-02-05", "--logs", "logs", "--output", "logs/web050206.txt"},
    };
    const std::string log = ReadFile(dir_.path() / "logs" / "web050206.txt");
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        const CliRun run = RunCli(args, dir_.path());
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("Aide : kivlogs-cli report --help"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFile(dir_.path() / "logs" / "web050206.txt"), log);
}

TEST_F(ReportCliTest, AnUnreadableLogIsSaidAndTheOtherDaysAreReported)
{
    WriteFile(dir_.path() / "logs" / "web060206.txt", "a\r\n   b\r\n");
    WriteFile(dir_.path() / "logs" / "web070206.txt", "POSTE03:eleve12:070206:1000:sexe\r\n");
    const CliRun run = RunCli({"report", "--user", "ELEVE12", "--from", "2006-02-05", "--to", "2006-02-07", "--logs",
                               "logs", "--word", "sexe", "--format", "csv"},
                              dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Niveau incorrect (3)", 0), 0u) << run.err;
    EXPECT_NE(run.out.find("05/02/2006;08:30;mot"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("07/02/2006;10:00;mot"), std::string::npos) << run.out;
}

} // namespace
