#include "tests/cli/CliRun.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>

namespace {

// A small log folder: two keyword logs of 5 February 2006 (one named in upper
// case, to check the order of names), one of the 6th, and one connection log.
class CliFixture : public ::testing::Test {
protected:
    CliFixture()
        : root_("kiv_cli")
    {
        WriteFile(logs() / "web050206.txt",
                  "POSTE12:eleve07:050206:1432:page jeux en ligne\r\n"
                  "POSTE13:eleve08:050206:1433:cours de maths\r\n"
                  "POSTE14:\xE9l\xE8ve09:050206:1434:Jeu de r\xF4le\r\n");
        WriteFile(logs() / "Alpha050206.TXT", "PC1:u1:050206:0800:premier jeu\r\n");
        WriteFile(logs() / "web060206.txt", "POSTE15:eleve10:060206:0900:jeux video\r\n");
        WriteFile(logs() / "connexr050206.log",
                  "S514-PC03:eleve12:050206:082533:login:B:C:D:E\r\n"
                  "S302-PC01:eleve123:050206:093000:login:B:C:D:F\r\n"
                  "S514-PC03:eleve12:050206:161047:logout:B:C:D:E\r\n"
                  "S302-PC01:eleve123:050206:101500:logout:B:C:D:F\r\n"
                  "SCDI-PC09:eleve30:050206:170500:login:B:C:D:G\r\n");
        WriteFile(root_.path() / "slots.txt", "08h00\r\n09h00\r\n10h00\\nM1\r\n11h00\r\n12h00\r\n14h00\r\n15h00\r\n16h00");
    }

    std::filesystem::path logs() const { return root_.path() / "logs"; }
    const std::filesystem::path& root() const { return root_.path(); }

    CliRun Search(std::vector<std::string> extra)
    {
        std::vector<std::string> args{"search", "--logs", logs().string(), "--date", "2006-02-05"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args, root());
    }

    CliRun Occupation(std::vector<std::string> extra)
    {
        std::vector<std::string> args{"occupation", "--logs", logs().string(), "--date", "2006-02-05"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args, root());
    }

private:
    TempFolder root_;
};

TEST_F(CliFixture, SearchPrintsRewrittenLinesInFileOrderAsUtf8)
{
    const CliRun run = Search({"--word", "jeu"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "PC1:u1: le 05/02/06: \xC3\xA0 08 h 00 min :premier jeu\n"
              "POSTE12:eleve07: le 05/02/06: \xC3\xA0 14 h 32 min :page jeux en ligne\n"
              "POSTE14:\xC3\xA9l\xC3\xA8ve09: le 05/02/06: \xC3\xA0 14 h 34 min :Jeu de r\xC3\xB4le\n");
}

TEST_F(CliFixture, SearchWithWordAndCp1252KeepsBytesAndTheWordAsWritten)
{
    const CliRun run = Search({"--word", "maths", "--word", "JEU", "--with-word", "--encoding", "cp1252"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "JEU\tPC1:u1: le 05/02/06: \xE0 08 h 00 min :premier jeu\n"
              "JEU\tPOSTE12:eleve07: le 05/02/06: \xE0 14 h 32 min :page jeux en ligne\n"
              "maths\tPOSTE13:eleve08: le 05/02/06: \xE0 14 h 33 min :cours de maths\n"
              "JEU\tPOSTE14:\xE9l\xE8ve09: le 05/02/06: \xE0 14 h 34 min :Jeu de r\xF4le\n");
}

TEST_F(CliFixture, SearchTypedWordsAreConvertedFromUtf8)
{
    EXPECT_EQ(Search({"--word", "\xC3\xA9l\xC3\xA8ve"}).out,
              "POSTE14:\xC3\xA9l\xC3\xA8ve09: le 05/02/06: \xC3\xA0 14 h 34 min :Jeu de r\xC3\xB4le\n");
    // Upper-casing is ASCII only: an upper-case accented word finds nothing.
    EXPECT_EQ(Search({"--word", "\xC3\x89L\xC3\x88VE"}).out, "");
}

// A typed word with a character that no log can hold is said and left out,
// never searched for as "?": the other words are searched.
TEST_F(CliFixture, AWordTheLogsCannotHoldIsRefusedAndTheOthersSearched)
{
    const struct {
        std::vector<std::string> words;
        int status;
        std::string err;
        std::string out;
    } cases[] = {
        {{"\xC5\x82", "maths"}, 1,
         "Le mot \xC2\xAB ? \xC2\xBB contient un caract\xC3\xA8re (U+0142) que les logs ne peuvent pas contenir.\n",
         "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n"},
        {{"maths\xE2\x80\x8B"}, 2,
         "Le mot \xC2\xAB maths? \xC2\xBB contient un caract\xC3\xA8re (U+200B) que les logs ne peuvent pas contenir.\n", ""},
        {{"jeu\xF0\x9F\x98\x80"}, 2, // one character outside the plane of most, one "?"
         "Le mot \xC2\xAB jeu? \xC2\xBB contient un caract\xC3\xA8re (U+1F600) que les logs ne peuvent pas contenir.\n", ""},
        {{"r\xC3\xB4le"}, 0, "", "POSTE14:\xC3\xA9l\xC3\xA8ve09: le 05/02/06: \xC3\xA0 14 h 34 min :Jeu de r\xC3\xB4le\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args;
        for (const std::string& word : c.words) {
            args.push_back("--word");
            args.push_back(word);
        }
        const CliRun run = Search(args);
        EXPECT_EQ(run.status, c.status) << c.words[0];
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, c.out);
    }
}

TEST_F(CliFixture, SearchScopeSelectsDayMonthOrAllInAnyLetterCase)
{
    EXPECT_EQ(Search({"--word", "video"}).out, "");
    const std::string month = Search({"--word", "video", "--scope", "mois"}).out;
    EXPECT_EQ(month, "POSTE15:eleve10: le 06/02/06: \xC3\xA0 09 h 00 min :jeux video\n");
    EXPECT_EQ(Search({"--word", "video", "--scope", "TOUT", "--date", "2030-01-01"}).out, month);
}

TEST_F(CliFixture, SearchOutputFileIsWindows1252WithCrLf)
{
    const auto saved = root() / "kiv_log.txt";
    const CliRun run = Search({"--word", "maths", "--output", saved.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(saved), "POSTE13:eleve08: le 05/02/06: \xE0 14 h 33 min :cours de maths\r\n");
}

// On a full disk (here a file-size limit) the results file that was there
// stays as it was, and no temporary file is left beside it.
TEST_F(CliFixture, OutputThatCannotBeWrittenLeavesTheOldFile)
{
    std::string many;
    for (int i = 0; i < 400; ++i)
        many += "POSTE13:eleve08:050206:1433:cours de maths\r\n";
    WriteFile(logs() / "web050206.txt", many);
    const auto saved = root() / "out" / "kiv_log.txt";
    WriteFile(saved, "anciens r\xE9sultats\r\n");
    const CliRun run = RunCli({"search", "--logs", logs().string(), "--date", "2006-02-05", "--word", "maths",
                               "--output", saved.string()},
                              root(), "ulimit -f 8; ");
    // The limit makes the write fail: the program is not ended by the system's signal.
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Erreur \xC3\xA0 l'enregistrement du flux.\n");
    EXPECT_EQ(ReadFile(saved), "anciens r\xE9sultats\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root() / "out"), {}), 1);

    // A device is written to, never replaced by a file.
    EXPECT_EQ(Search({"--word", "maths", "--output", "/dev/null"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

// --output naming a file the command reads, or a list file that the command
// line names (read or not), is refused before anything is written.
TEST_F(CliFixture, OutputOverAnInputIsAUsageError)
{
    WriteFile(root() / "cfg" / "kiv.ini", "maths");
    WriteFile(root() / "cfg" / "kiv_salles.txt", "S514");
    WriteFile(root() / "cfg" / "kiv_heures.txt", "08h00");
    WriteFile(root() / "cfg" / "kivlogs.conf", "# r\xE9glages\r\n");
    WriteFile(root() / "kiv_heures.txt", "09h00"); // the configuration folder is the current one by default
    WriteFile(root() / "mots.txt", "maths");
    std::filesystem::create_symlink(logs() / "web060206.txt", root() / "lien.txt");
    const std::string log = (logs() / "web050206.txt").string();
    const std::vector<std::pair<std::vector<std::string>, std::filesystem::path>> cases{
        {{"search", "--word", "maths", "--output", log}, log},
        {{"search", "--config", "cfg", "--output", "cfg/../cfg/kiv.ini"}, root() / "cfg" / "kiv.ini"},
        {{"search", "--words", "mots.txt", "--output", (root() / "mots.txt").string()}, root() / "mots.txt"},
        {{"occupation", "--output", (logs() / "connexr050206.log").string()}, logs() / "connexr050206.log"},
        {{"occupation", "--format", "cells", "--slots", "slots.txt", "--output", "slots.txt"}, root() / "slots.txt"},
        // named but not read: the text format places nothing in slots, typed words win over the lists
        {{"occupation", "--slots", "slots.txt", "--output", "slots.txt"}, root() / "slots.txt"},
        {{"occupation", "--config", "cfg", "--output", "cfg/kiv_heures.txt"}, root() / "cfg" / "kiv_heures.txt"},
        {{"occupation", "--output", "kiv_heures.txt"}, root() / "kiv_heures.txt"},
        {{"search", "--word", "maths", "--config", "cfg", "--output", "cfg/kiv_salles.txt"},
         root() / "cfg" / "kiv_salles.txt"},
        {{"search", "--word", "maths", "--config", "cfg", "--output", "cfg/kiv.ini"}, root() / "cfg" / "kiv.ini"},
        {{"search", "--word", "maths", "--config", "cfg", "--output", "cfg/kivlogs.conf"}, root() / "cfg" / "kivlogs.conf"},
        // a log of another day than the one searched is still a log
        {{"search", "--word", "maths", "--output", (logs() / "web060206.txt").string()}, logs() / "web060206.txt"},
        {{"search", "--word", "maths", "--output", "lien.txt"}, logs() / "web060206.txt"}, // a link into the folder
    };
    for (const auto& [extra, input] : cases) {
        const std::string before = ReadFile(input);
        std::vector<std::string> args{extra[0], "--logs", logs().string(), "--date", "2006-02-05"};
        args.insert(args.end(), extra.begin() + 1, extra.end());
        const CliRun run = RunCli(args, root());
        EXPECT_EQ(run.status, 2) << input;
        EXPECT_NE(run.err.find("--output"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(input), before);
    }
}

TEST_F(CliFixture, SearchWordListSources)
{
    // A word file is read as a list file; the configuration's kiv.ini next.
    WriteFile(root() / "mots.txt", "maths\r\n");
    EXPECT_EQ(Search({"--words", (root() / "mots.txt").string()}).out,
              "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n");
    WriteFile(root() / "cfg" / "kiv.ini", "video\r\nr\xF4le");
    EXPECT_EQ(Search({"--config", (root() / "cfg").string()}).out,
              "POSTE14:\xC3\xA9l\xC3\xA8ve09: le 05/02/06: \xC3\xA0 14 h 34 min :Jeu de r\xC3\xB4le\n");
    // A configuration without a word list: the seven built-in words apply,
    // and none occurs here.
    std::filesystem::create_directories(root() / "vide");
    const CliRun builtIn = Search({"--config", (root() / "vide").string()});
    EXPECT_EQ(builtIn.status, 0);
    EXPECT_EQ(builtIn.out, "");

    const CliRun missing = Search({"--words", (root() / "absent.txt").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Impossible d'ouvrir le fichier " + (root() / "absent.txt").string() + ".\n");
}

TEST_F(CliFixture, UnreadableLogIsReportedAndTheOthersAreStillScanned)
{
    // A folder whose name matches the mask is found like a file and cannot be read.
    std::filesystem::create_directories(logs() / "bad050206.txt");
    const CliRun run = Search({"--word", "premier", "--word", "maths"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Impossible d'ouvrir le fichier " + (logs() / "bad050206.txt").string() + ".\n");
    EXPECT_EQ(run.out,
              "PC1:u1: le 05/02/06: \xC3\xA0 08 h 00 min :premier jeu\n"
              "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n");
}

// A file name or a log line cannot forge what a terminal shows: control
// characters come out as `cat -v` writes them on a terminal, and always in an
// error, which stays one line; to a pipe or a file results keep their bytes.
TEST_F(CliFixture, ControlCharactersAreShownNotObeyed)
{
    const std::string evil = "evil\nFAKE: tout va bien 050206.txt";
    std::filesystem::create_directories(logs() / evil); // found like a log, cannot be read
    WriteFile(logs() / "web050206.txt", "P1:e1:050206:0800:jeu \x1B]0;titre\x07 \x1B[31mrouge\x7F\x9D\x81\r\n");
    const std::string shownName = (logs() / "evil^JFAKE: tout va bien 050206.txt").string();

    const CliRun piped = Search({"--word", "jeu"});
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, "Impossible d'ouvrir le fichier " + shownName + ".\n");
    EXPECT_EQ(piped.out, "PC1:u1: le 05/02/06: \xC3\xA0 08 h 00 min :premier jeu\n"
                         "P1:e1: le 05/02/06: \xC3\xA0 08 h 00 min :jeu \x1B]0;titre\x07 \x1B[31mrouge\x7F\xC2\x9D\xC2\x81\n");
    const CliRun cp1252 = Search({"--word", "jeu", "--encoding", "cp1252"});
    EXPECT_EQ(cp1252.out, "PC1:u1: le 05/02/06: \xE0 08 h 00 min :premier jeu\n"
                          "P1:e1: le 05/02/06: \xE0 08 h 00 min :jeu \x1B]0;titre\x07 \x1B[31mrouge\x7F\x9D\x81\n");

    const struct {
        std::vector<std::string> args;
        std::string shown;
    } cases[] = {
        {{"--word", "jeu", "--with-word"}, "jeu\tP1:e1: le 05/02/06: \xC3\xA0 08 h 00 min :jeu ^[]0;titre^G ^[[31mrouge^?M-^]M-^A\r\n"},
        {{"--word", "jeu", "--encoding", "cp1252"}, "P1:e1: le 05/02/06: \xE0 08 h 00 min :jeu ^[]0;titre^G ^[[31mrouge^?M-^]M-^A\r\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"search", "--logs", logs().string(), "--date", "2006-02-05"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun terminal = RunCliOnTerminal(args, root());
        EXPECT_EQ(terminal.status, 1);
        EXPECT_NE(terminal.out.find(c.shown), std::string::npos) << terminal.out;
        EXPECT_NE(terminal.out.find("Impossible d'ouvrir le fichier " + shownName + ".\r\n"), std::string::npos)
            << terminal.out;
        EXPECT_EQ(terminal.out.find('\x1B'), std::string::npos);
    }
    // A usage error quotes what was typed on one line too.
    const CliRun usage = RunCli({"search", "--scope", "Jour\x1B[2J\nFAKE"}, root());
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("Jour^[[2J^JFAKE"), std::string::npos) << usage.err;
    EXPECT_EQ(usage.err.find('\x1B'), std::string::npos);
}

// Only regular files are read: a FIFO or a device named like a log is
// reported at once instead of hanging the scan or reading without end.
TEST_F(CliFixture, WhatIsNoRegularFileIsReportedAndSkipped)
{
    ASSERT_EQ(::mkfifo((logs() / "fifo050206.txt").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/null", logs() / "null050206.txt");
    const CliRun run = RunCli({"search", "--logs", logs().string(), "--date", "2006-02-05", "--word", "maths"}, root(),
                              "timeout 20 ");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Impossible d'ouvrir le fichier " + (logs() / "fifo050206.txt").string() + ".\n"
                       "Impossible d'ouvrir le fichier " + (logs() / "null050206.txt").string() + ".\n");
    EXPECT_EQ(run.out, "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n");
}

// A log too large for the memory the program may use is that file's error;
// the other logs of the day are still scanned.
TEST_F(CliFixture, ALogTooLargeForMemoryIsReportedAndTheOthersScanned)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    const auto huge = logs() / "huge050206.txt";
    const auto hugeConnections = logs() / "hugeconnexr050206.log";
    for (const auto& path : {huge, hugeConnections}) {
        WriteFile(path, "");
        std::filesystem::resize_file(path, std::uintmax_t{2} << 30); // sparse: no disk is used
    }
    const std::string limit = "ulimit -v 1000000; "; // 1 GB of address space
    const CliRun search =
        RunCli({"search", "--logs", logs().string(), "--date", "2006-02-05", "--word", "maths"}, root(), limit);
    EXPECT_EQ(search.status, 1);
    EXPECT_EQ(search.err, "Fichier trop volumineux : " + huge.string() + ".\n");
    EXPECT_EQ(search.out, "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n");
    const CliRun occupation =
        RunCli({"occupation", "--logs", logs().string(), "--date", "2006-02-05", "--room", "S514"}, root(), limit);
    EXPECT_EQ(occupation.status, 1);
    EXPECT_EQ(occupation.err, "Fichier trop volumineux : " + hugeConnections.string() + ".\n");
    EXPECT_EQ(occupation.out, "S514  PC03  08h25 - 16h10     eleve12    E\n");
}

// A folder without the day's logs (often the wrong one) is said, unlike a day
// without matches; it is no error.
TEST_F(CliFixture, NoLogForTheDayIsSaidButIsNotAnError)
{
    const std::string folder = logs().string();
    const struct {
        CliRun run;
        std::string err;
    } cases[] = {
        {Search({"--word", "jeu", "--date", "2006-03-01"}), "aucun fichier de log pour le 01/03/2006 dans " + folder + ".\n"},
        {Search({"--word", "jeu", "--date", "2005-03-01", "--scope", "mois"}), "aucun fichier de log pour 03/2005 dans " + folder + ".\n"},
        {Occupation({"--date", "2006-03-01"}), "aucun fichier de connexion pour le 01/03/2006 dans " + folder + ".\n"},
        {Search({"--word", "nulle part"}), ""}, // logs without matches
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.run.status, 0);
        EXPECT_EQ(c.run.out, "");
        EXPECT_EQ(c.run.err, c.err);
    }
}

// A log folder that is missing, and was not typed, is followed by how to choose one.
TEST_F(CliFixture, AMissingLogFolderThatWasNotGivenSaysHowToChooseIt)
{
    WriteFile(root() / "kivlogs.conf", "logs=" + (root() / "ancien").string() + "\n");
    const CliRun run = RunCli({"search", "--date", "2006-02-05"}, root());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Impossible d'ouvrir le dossier " + (root() / "ancien").string() + ".\n"
                       "Choisissez le dossier des logs avec --logs DOSSIER, ou avec --user-config celui que la "
                       "fen\xC3\xAAtre a retenu (\xC2\xAB Dossier des logs... \xC2\xBB)\n");
}

// A log folder is named in messages as the user wrote it, whatever its accents;
// one that is missing or is a file fails every scan instead of finding nothing.
TEST_F(CliFixture, LogFolderWithAccentsIsSearchedAndAMissingOneIsAnError)
{
    const std::string accented = (root() / "\xC3\x89l\xC3\xA8ves").string();
    struct Case {
        std::string command, folder, encoding, err;
    };
    const std::string missingUtf8 = "Impossible d'ouvrir le dossier " + root().string() + "/\xC3\x89l\xC3\xA8ves.\n";
    const std::vector<Case> cases{
        {"search", accented, "utf8", missingUtf8},
        {"occupation", accented, "utf8", missingUtf8},
        {"search", accented, "cp1252", "Impossible d'ouvrir le dossier " + root().string() + "/\xC9l\xE8ves.\n"},
        {"occupation", (logs() / "web050206.txt").string(), "utf8",
         "Impossible d'ouvrir le dossier " + (logs() / "web050206.txt").string() + ".\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli({c.command, "--logs", c.folder, "--date", "2006-02-05", "--encoding", c.encoding}, root());
        EXPECT_EQ(run.status, 1) << c.command;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
    std::filesystem::rename(logs(), accented);
    const CliRun found = RunCli({"search", "--logs", accented, "--date", "2006-02-05", "--word", "maths"}, root());
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n");
}

TEST_F(CliFixture, OccupationTextPairsLoginsWithLogouts)
{
    const CliRun run = Occupation({});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "S514  PC03  08h25 - 16h10     eleve12    E\n"
              "S302  PC01  09h30 - 10h15     eleve123    F\n"
              "SCDI  PC09  17h05 -      eleve30    G\n");
    EXPECT_EQ(Occupation({"--room", "s514"}).out, "S514  PC03  08h25 - 16h10     eleve12    E\n");
    EXPECT_EQ(Occupation({"--room", "toutes"}).out, "");
}

// Accented bytes anywhere in long ASCII runs, and the bytes that differ most
// from Latin-1 (0x80 the euro sign, 0x81 undefined, kept as U+0081).
TEST_F(CliFixture, OccupationUtf8ConvertsEveryHighByteWhereverItStands)
{
    WriteFile(logs() / "connexr050206.log",
              "S514-PC03:\xE9leve12:050206:082533:login:B:C:D:abcdefg\xE9" "abcdefgh\x80" "abcdefghijklmno\x81\xFF\r\n"
              "S514-PC03:x:050206:082533:login:B:C:D:\xE0\r\n");
    const CliRun utf8 = Occupation({});
    EXPECT_EQ(utf8.status, 0) << utf8.err;
    EXPECT_EQ(utf8.out,
              "S514  PC03  08h25 -      \xC3\xA9leve12    abcdefg\xC3\xA9" "abcdefgh\xE2\x82\xAC"
              "abcdefghijklmno\xC2\x81\xC3\xBF\n"
              "S514  PC03  08h25 -      x    \xC3\xA0\n");
    EXPECT_EQ(Occupation({"--encoding", "cp1252"}).out,
              "S514  PC03  08h25 -      \xE9leve12    abcdefg\xE9" "abcdefgh\x80" "abcdefghijklmno\x81\xFF\n"
              "S514  PC03  08h25 -      x    \xE0\n");
}

TEST_F(CliFixture, OccupationCellsFollowTheSlotHeaders)
{
    const CliRun run = Occupation({"--format", "cells", "--slots", (root() / "slots.txt").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "#0\t08h00\nS514PC03 08h25-16h10 eleve12 E\n"
              "#1\t09h00\nS302PC01 09h30-10h15 eleve123 F\n"
              "#2\t10h00\\nM1\n"
              "#3\t11h00\n#4\t12h00\n#5\t14h00\n#6\t15h00\n"
              "#7\t16h00\nSCDIPC09 17h05- eleve30 G\n");
}

TEST_F(CliFixture, OccupationHeadersComeFromTheConfigurationOverTheInitialOnes)
{
    // Three slots loaded over the eight initial headers keep the last five.
    WriteFile(root() / "kiv_heures.txt", "08h00\r\n09h00\r\n09h45\r\n");
    const std::string cells = Occupation({"--format", "cells"}).out;
    EXPECT_EQ(cells,
              "#0\t08h00\nS514PC03 08h25-16h10 eleve12 E\n"
              "#1\t09h00\nS302PC01 09h30-10h15 eleve123 F\n"
              "#2\t09h45\n#3\t11h25\n#4\t12h35\n#5\t14h00\n#6\t15h00\n"
              "#7\t17h00\nSCDIPC09 17h05- eleve30 G\n");
}

TEST_F(CliFixture, OccupationTextReadsNoSlotList)
{
    // A folder given as the slot list cannot be read.
    const std::string slots = logs().string();
    EXPECT_EQ(Occupation({"--slots", slots}).status, 0);
    const CliRun cells = Occupation({"--slots", slots, "--format", "cells"});
    EXPECT_EQ(cells.status, 1);
    EXPECT_EQ(cells.err, "Impossible d'ouvrir le fichier " + slots + ".\n");
}

TEST_F(CliFixture, OccupationCsvQuotesAsRfc4180)
{
    // The second login falls under the two-line header "10h00\nM1", whose
    // line break is a CR: quoted, or a spreadsheet would start a new row there.
    WriteFile(logs() / "connexr050206.log", "S5;1-PC\"2\":el:050206:083000:login:B:C:D:x y\r\n"
                                            "S1-PC1:u2:050206:103000:login:B:C:D:z\r\n");
    const CliRun run = Occupation({"--format", "csv", "--slots", (root() / "slots.txt").string(), "--encoding", "cp1252"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Salle;Poste;Utilisateur;Connexion;D\xE9" "connexion;Fin de ligne;Cr\xE9neaux\r\n"
              "\"S5;1\";\"PC\"\"2\"\"\";el;08h30;;x y;08h00\r\n"
              "S1;PC1;u2;10h30;;z;\"10h00\rM1\"\r\n");
}

// The log folder chosen in the window is read from the --config folder's
// kivlogs.conf; --logs still comes first.
TEST_F(CliFixture, TheLogFolderRememberedByTheWindowIsReadWithConfig)
{
    WriteFile(root() / "cfg" / "kivlogs.conf", "logs=" + logs().string() + "\r\n");
    const std::string found = Search({"--word", "maths"}).out;
    ASSERT_NE(found, "");
    const auto run = [&](std::vector<std::string> args) { return RunCli(args, root()); };
    const std::vector<std::string> dated{"search", "--date", "2006-02-05", "--word", "maths"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = dated;
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args);
    };
    EXPECT_EQ(with({"--config", "cfg"}).out, found);
    const CliRun given = with({"--config", "cfg", "--logs", (root() / "ailleurs").string()});
    EXPECT_EQ(given.status, 1);
    EXPECT_NE(given.err.find("ailleurs"), std::string::npos) << given.err;
}

// One rule for every file of the configuration: the folder of --config, else
// of --user-config, else the current one holds the lists and kivlogs.conf,
// whose relative log folder is its own neighbour, whatever folder the command
// starts in.
TEST_F(CliFixture, EveryConfigurationFileComesFromTheOneConfigurationFolder)
{
    const auto configure = [&](const std::filesystem::path& folder, const std::string& settings) {
        WriteFile(folder / "kivlogs.conf", settings);
        WriteFile(folder / "kiv.ini", "maths");
        std::filesystem::create_directories(folder / "journaux");
        std::filesystem::copy(logs(), folder / "journaux");
    };
    configure(root() / "cfg", "logs=journaux\r\n");
    configure(root() / "xdg" / "kivlogs", "logs=journaux\n");
    configure(root() / "ici", "\xEF\xBB\xBFlogs=journaux\r\n"); // as a Windows editor saves it
    const std::string xdg = "XDG_CONFIG_HOME=" + (root() / "xdg").string() + " ";
    const struct {
        std::vector<std::string> options;
        std::filesystem::path cwd;
    } cases[] = {
        {{"--config", (root() / "cfg").string()}, root() / "ici"},
        {{"--config=cfg"}, root()},
        {{"--user-config"}, root() / "ici"},
        {{}, root() / "ici"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"search", "--date", "2006-02-05"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun run = RunCli(args, c.cwd, xdg);
        EXPECT_EQ(run.status, 0) << c.cwd << run.err;
        EXPECT_EQ(run.out, "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n") << c.cwd;
    }
    // A technician who never opened the window: the folder is made for them.
    const CliRun fresh = RunCli({"search", "--user-config", "--logs", logs().string(), "--date", "2006-02-05"}, root(),
                                "XDG_CONFIG_HOME=" + (root() / "neuf").string() + " ");
    EXPECT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_TRUE(std::filesystem::is_directory(root() / "neuf" / "kivlogs"));
    const CliRun homeless = RunCli({"search", "--user-config"}, root(), "env -u HOME -u XDG_CONFIG_HOME ");
    EXPECT_EQ(homeless.status, 2);
    EXPECT_NE(homeless.err.find("XDG_CONFIG_HOME"), std::string::npos) << homeless.err;
}

// A settings file too large for memory is read no further than its first
// lines, and every file that does not fit in memory says so in French.
TEST_F(CliFixture, AHugeSettingsFileIsReadOnlyAtItsStart)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    WriteFile(root() / "kivlogs.conf", "logs=logs\n");
    std::filesystem::resize_file(root() / "kivlogs.conf", std::uintmax_t{2} << 30); // sparse: no disk is used
    WriteFile(root() / "mots.txt", "");
    std::filesystem::resize_file(root() / "mots.txt", std::uintmax_t{2} << 30);
    const std::string limit = "ulimit -v 1000000; ";
    const CliRun run = RunCli({"search", "--date", "2006-02-05", "--word", "maths"}, root(), limit);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "POSTE13:eleve08: le 05/02/06: \xC3\xA0 14 h 33 min :cours de maths\n");
    const CliRun words = RunCli({"search", "--date", "2006-02-05", "--words", "mots.txt"}, root(), limit);
    EXPECT_EQ(words.status, 1);
    EXPECT_EQ(words.err, "M\xC3\xA9moire insuffisante.\n");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

// ctest lists a case by its name rather than by its bytes.
void PrintTo(const UsageCase& c, std::ostream* out)
{
    *out << c.name;
}

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

// One line that says what is wrong, then where the help is (the command's own
// when one was named), never the whole usage that would push the error away.
TEST_P(CliUsage, IsRefusedWithStatusTwoInOneLineAndAHintToTheHelp)
{
    TempFolder cwd("kiv_cli_usage");
    const std::vector<std::string>& args = GetParam().args;
    const CliRun run = RunCli(args, cwd.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    const auto firstEnd = run.err.find('\n');
    ASSERT_NE(firstEnd, std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("kivlogs-cli : ", 0), 0u) << run.err;
    const bool namesCommand =
        !args.empty() && (args[0] == "search" || args[0] == "occupation" || args[0] == "watch");
    EXPECT_EQ(run.err.substr(firstEnd + 1),
              "Aide : kivlogs-cli " + (namesCommand ? args[0] + " " : std::string()) + "--help\n");
}

INSTANTIATE_TEST_SUITE_P(
    BadCommandLines, CliUsage,
    ::testing::Values(UsageCase{"no_command", {}},
                      UsageCase{"unknown_command", {"purge"}},
                      UsageCase{"help_on_unknown_command", {"help", "purge"}},
                      UsageCase{"unknown_option", {"search", "--bogus"}},
                      UsageCase{"missing_value", {"search", "--date"}},
                      UsageCase{"flag_given_a_value", {"search", "--with-word=oui"}},
                      UsageCase{"impossible_date", {"search", "--date", "2006-02-30"}},
                      UsageCase{"impossible_date_after_equals", {"search", "--date=2006-02-30"}},
                      UsageCase{"not_leap_year", {"occupation", "--date", "2007-02-29"}},
                      UsageCase{"french_date_text", {"search", "--date", "05/02/2006"}},
                      UsageCase{"unknown_scope", {"search", "--scope", "Semaine"}},
                      UsageCase{"unknown_format", {"occupation", "--format=xml"}},
                      UsageCase{"unknown_encoding", {"search", "--encoding", "latin9"}},
                      UsageCase{"scope_is_for_search", {"occupation", "--scope", "Jour"}},
                      UsageCase{"room_is_for_occupation", {"search", "--room", "S514"}},
                      UsageCase{"words_and_word", {"search", "--words", "f", "--word", "x"}},
                      UsageCase{"search_config_missing", {"search", "--config", "nulle_part"}},
                      UsageCase{"occupation_config_missing", {"occupation", "--config=nulle_part"}},
                      UsageCase{"config_and_user_config", {"search", "--config", ".", "--user-config"}},
                      // an unset variable of a script: never the current folder, nor no word
                      UsageCase{"empty_log_folder", {"search", "--logs", ""}},
                      UsageCase{"empty_word", {"search", "--word="}},
                      UsageCase{"empty_output", {"occupation", "--output="}},
                      UsageCase{"version_with_an_argument", {"--version", "extra"}},
                      UsageCase{"watch_interval_zero", {"watch", "--interval", "0"}},
                      UsageCase{"watch_interval_not_a_number", {"watch", "--interval=1s"}},
                      UsageCase{"scope_is_for_search_not_watch", {"watch", "--scope", "Jour"}},
                      UsageCase{"watch_words_and_word", {"watch", "--words", "f", "--word", "x"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HelpCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> shown;     // each somewhere in the help
    std::vector<std::string> notShown;  // options of another command
};

void PrintTo(const HelpCase& c, std::ostream* out)
{
    *out << c.name;
}

class CliHelp : public ::testing::TestWithParam<HelpCase> {};

// Each way of asking for help succeeds on standard output; a command's help
// explains that command's options and no other's.
TEST_P(CliHelp, PrintsTheHelpOfWhatWasAsked)
{
    TempFolder cwd("kiv_cli_help");
    const CliRun run = RunCli(GetParam().args, cwd.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& text : GetParam().shown)
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    for (const std::string& text : GetParam().notShown)
        EXPECT_EQ(run.out.find(text), std::string::npos) << text << "\n" << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    HelpRequests, CliHelp,
    ::testing::Values(
        // The folders a scheduled task falls back on, named as the window names them.
        HelpCase{"all", {"--help"}, {"kivlogs-cli search", "kivlogs-cli occupation", "kivlogs-cli help", "--logs DOSSIER",
                                     "/mnt/Torvel/Services/logs/", "le dossier courant"}, {}},
        HelpCase{"help_alone", {"help"}, {"kivlogs-cli search", "kivlogs-cli occupation"}, {}},
        HelpCase{"search", {"search", "--help"}, {"--scope Jour|Mois|Tout  logs lus", "--with-word ", "CR LF"}, {"--room"}},
        HelpCase{"help_search", {"help", "search"}, {"--words FICHIER ", "--logs DOSSIER "}, {"--format"}},
        HelpCase{"after_options", {"occupation", "--date", "2006-02-05", "-h"}, {"--format text|cells|csv|summary  text", "--from AAAA-MM-JJ "}, {"--scope"}},
        HelpCase{"help_occupation", {"help", "occupation"}, {"--room TEXTE ", "--slots FICHIER "}, {"--word"}},
        HelpCase{"watch", {"watch", "--help"}, {"--interval MS ", "--catch-up ", "SIGTERM"}, {"--scope", "--output"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliInfo, HelpOfACommandIsTheSameAskedEitherWayAndVersionSucceeds)
{
    TempFolder cwd("kiv_cli_info");
    for (const std::string command : {"search", "occupation"})
        EXPECT_EQ(RunCli({"help", command}, cwd.path()).out, RunCli({command, "--help"}, cwd.path()).out);
    EXPECT_EQ(RunCli({"help"}, cwd.path()).out, RunCli({"--help"}, cwd.path()).out);
    const CliRun version = RunCli({"--version"}, cwd.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kivlogs-cli ", 0), 0u);
}

// A run that hangs fails its test and lets the others run: the helper kills
// what the shell started (here a sleep before the program) at the deadline.
TEST(CliRunHelper, ARunPastItsDeadlineIsKilledAndFailsTheTest)
{
    TempFolder cwd("kiv_cli_deadline");
    const auto start = std::chrono::steady_clock::now();
    CliRun run;
    EXPECT_NONFATAL_FAILURE(run = RunCli({"--version"}, cwd.path(), "sleep 30; ", std::chrono::milliseconds(200)),
                            "did not end within 200 ms");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.status, -1);
    EXPECT_EQ(run.out, "");
}

// "--option=value" means what "--option value" means; only the first "="
// separates, so a value may hold one.
TEST_F(CliFixture, OptionValuesMayFollowAnEqualsSign)
{
    std::filesystem::create_directories(root() / "a=b");
    std::filesystem::copy(logs(), root() / "a=b", std::filesystem::copy_options::recursive);
    const std::string spaced = Search({"--word", "jeu", "--scope", "Mois"}).out;
    ASSERT_NE(spaced, "");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"search", "--logs=" + (root() / "a=b").string(), "--date=2006-02-05", "--word=jeu", "--scope=Mois"}, spaced},
        {{"occupation", "--logs=" + logs().string(), "--date=2006-02-05", "--format=cells", "--slots=slots.txt"},
         Occupation({"--format", "cells", "--slots", "slots.txt"}).out},
    };
    for (const auto& [args, expected] : cases) {
        const CliRun run = RunCli(args, root());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, expected) << args.back();
    }
}

} // namespace
