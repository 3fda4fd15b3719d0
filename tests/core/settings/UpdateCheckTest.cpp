// The update check: the unit-by-unit comparison of the newest version with ours, the remark after
// "#", and the verdict drawn from the configuration list (skipped without entries).
#include "settings/UpdateCheck.h"

#include "settings/CSrvInfo.h"

#include "QtPrint.h"

#include <gtest/gtest.h>

namespace {

TEST(UpdateCheckVersion, OwnVersionAndVersionText)
{
    EXPECT_EQ(UpdateCheck::OwnVersion(), "15.04.08.01");
    EXPECT_EQ(UpdateCheck::VersionText("15.04.08.01"), "版本号：15.04.08.01");
    EXPECT_EQ(UpdateCheck::VersionText("15.04.08.02#beta#2"), "版本号：15.04.08.02");
    EXPECT_EQ(UpdateCheck::VersionText("#"), "版本号：");
}

struct CompareCase {
    const char *name;
    QString newest;
    bool newer;
};

class UpdateCompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(UpdateCompareTest, AgainstOurVersion)
{
    EXPECT_EQ(UpdateCheck::IsNewer(GetParam().newest), GetParam().newer)
        << GetParam().newest.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Versions, UpdateCompareTest,
    ::testing::Values(CompareCase{"Same", "15.04.08.01", false},
                      CompareCase{"SameWithRemark", "15.04.08.01#anything at all", false},
                      CompareCase{"SameWithEmptyRemark", "15.04.08.01#", false},
                      CompareCase{"NextBuild", "15.04.08.02", true},
                      CompareCase{"NextBuildWithRemark", "15.04.08.02#fixes", true},
                      // By characters, not numbers: '4' > '0' at the fourth unit.
                      CompareCase{"ShortNumbersAreNewer", "15.4.8.1", true},
                      CompareCase{"OlderBuild", "15.04.08.00", false},
                      CompareCase{"OlderYear", "14.12.31.99", false},
                      CompareCase{"NewerYear", "16.01.01.01", true},
                      // A proper prefix is the smaller, a longer text with our prefix the greater.
                      CompareCase{"PrefixOfOurs", "15.04.08", false},
                      CompareCase{"OursIsPrefix", "15.04.08.01.1", true},
                      CompareCase{"RemarkMakesPrefix", "15.04#08.09", false},
                      CompareCase{"Empty", "", false}, CompareCase{"OnlyRemark", "#99", false},
                      // Case and letters compare by their UTF-16 units too.
                      CompareCase{"LetterAfterDigits", "15.04.08.0a", true},
                      CompareCase{"SpaceBeforeDigit", "15.04.08.0 ", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UpdateCompare, OtherOwnVersion)
{
    EXPECT_TRUE(UpdateCheck::IsNewer("2.0", "1.9"));
    EXPECT_FALSE(UpdateCheck::IsNewer("10.0", "9.0")); // '1' < '9'
    EXPECT_FALSE(UpdateCheck::IsNewer("1.0#x", "1.0#y"));
}

struct DecideCase {
    const char *name;
    QString newest;
    QString page;
    UpdateVerdict::Kind kind;
    QString version;
};

class UpdateDecideTest : public ::testing::TestWithParam<DecideCase> {};

TEST_P(UpdateDecideTest, Verdict)
{
    const DecideCase &c = GetParam();
    const UpdateVerdict verdict = UpdateCheck::Decide(c.newest, c.page);
    EXPECT_EQ(verdict.kind, c.kind);
    if (c.kind == UpdateVerdict::Newer) {
        EXPECT_EQ(verdict.version, c.version);
        EXPECT_EQ(verdict.updatePage, c.page);
        EXPECT_TRUE(UpdateCheck::NewerMessage(verdict).contains(c.version));
    } else {
        EXPECT_EQ(verdict, UpdateVerdict());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, UpdateDecideTest,
    ::testing::Values(
        DecideCase{"Newer", "15.04.08.02", "http://127.0.0.1/update", UpdateVerdict::Newer,
                   "15.04.08.02"},
        DecideCase{"NewerRemarkDropped", "15.05#now", "https://127.0.0.1/u", UpdateVerdict::Newer,
                   "15.05"},
        DecideCase{"Same", "15.04.08.01#x", "http://127.0.0.1/u", UpdateVerdict::None, ""},
        // A page we would not open gives no verdict: the program does not end for nothing.
        DecideCase{"NoPage", "15.04.08.02", "", UpdateVerdict::None, ""},
        DecideCase{"NotHttp", "15.04.08.02", "file:///bin/sh", UpdateVerdict::None, ""},
        DecideCase{"RelativePage", "15.04.08.02", "update.html", UpdateVerdict::None, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UpdateDecide, NothingAcceptedSkipsTheCheck)
{
    CSrvInfo nothing{QStringList()};
    QStringList names{"keep"};
    EXPECT_FALSE(nothing.Fetch(names));
    EXPECT_EQ(UpdateCheck::Decide(nothing), UpdateVerdict());
    EXPECT_EQ(names, QStringList{"keep"});
}

TEST(UpdateStatus, StatusLineEndsWithTheServiceStatus)
{
    EXPECT_TRUE(UpdateCheck::StatusLine(true, "\tSrv Info:1_2").endsWith("\tSrv Info:1_2"));
    EXPECT_TRUE(UpdateCheck::StatusLine(false, "\tSrv Info:0_0").endsWith("\tSrv Info:0_0"));
    EXPECT_NE(UpdateCheck::StatusLine(true, ""), UpdateCheck::StatusLine(false, ""));
}

} // namespace
