#include "jobs/OccupationJob.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

namespace kiv {
namespace {

std::vector<std::string> Users(const std::vector<std::vector<SessionEntry>>& batches)
{
    std::vector<std::string> users;
    for (const auto& batch : batches) {
        EXPECT_FALSE(batch.empty());
        for (const SessionEntry& session : batch)
            users.push_back(session.User + " " + session.LoginTime + "-" + session.LogoutTime);
    }
    return users;
}

struct Seen {
    ScanOutcome outcome;
    std::vector<std::vector<SessionEntry>> batches;
};

Seen Scan(const std::filesystem::path& folder, const std::string& room, std::atomic<bool>* cancel = nullptr)
{
    Seen seen;
    OccupationEvents events;
    events.onSessions = [&](std::vector<SessionEntry>&& batch) {
        seen.batches.push_back(std::move(batch));
        if (cancel)
            cancel->store(true);
    };
    seen.outcome = RunOccupationJob({folder, {2006, 2, 5}, room}, events, cancel);
    return seen;
}

TEST(OccupationJob, SessionsOfTheDayComeInFileAndLineOrder)
{
    test::TempTree tree;
    tree.File("bconnexr050206.log", "S514-PC03:eleve12:050206:082533:login:B:C:D:E\r\n"
                                    "S302-PC01:eleve30:050206:093000:login:B:C:D:F\r\n"
                                    "S514-PC03:eleve12:050206:161047:logout:B:C:D:E\r\n");
    tree.File("Aconnexr050206.txt", "S514-PC04:eleve40:050206:080000:login:B:C:D:E\r\n");
    tree.File("connexr060206.log", "S514-PC05:eleve50:060206:080000:login:B:C:D:E\r\n");

    const Seen all = Scan(tree.Root(), "Toutes");
    EXPECT_EQ(Users(all.batches), (std::vector<std::string>{"eleve40 08h00-", "eleve12 08h25-16h10", "eleve30 09h30-"}));
    EXPECT_GE(all.batches.size(), 2u);
    EXPECT_EQ(all.outcome.filesFound, 2u);
    EXPECT_TRUE(all.outcome.allRead);

    // One file found is scanned too.
    std::filesystem::remove(tree.Root() / "Aconnexr050206.txt");
    EXPECT_EQ(Users(Scan(tree.Root(), "s3").batches), (std::vector<std::string>{"eleve30 09h30-"}));
}

TEST(OccupationJob, AMissingFolderIsAnErrorNotAnEmptyDay)
{
    test::TempTree tree;
    const Seen seen = Scan(tree.Root() / "absent", "Toutes");
    EXPECT_TRUE(seen.batches.empty());
    EXPECT_FALSE(seen.outcome.allRead);
    EXPECT_EQ(seen.outcome.errors,
              std::vector<std::string>{"Impossible d'ouvrir le dossier " + (tree.Root() / "absent").string()});
}

TEST(OccupationJob, NothingIsDeliveredOnceCancelled)
{
    test::TempTree tree;
    for (int i = 0; i < 20; ++i) {
        // Appended piece by piece: GCC 12 misreads "c" + std::string&& as an
        // overlapping copy (-Wrestrict) in optimised builds.
        std::string name = "c";
        name += std::to_string(i);
        name += "r050206.log";
        tree.File(name, "S514-PC03:eleve12:050206:082533:login:B:C:D:E\r\n");
    }
    std::atomic<bool> cancel{false};
    const Seen seen = Scan(tree.Root(), "Toutes", &cancel);
    EXPECT_EQ(seen.batches.size(), 1u);
    EXPECT_TRUE(seen.outcome.cancelled);
}

} // namespace
} // namespace kiv
