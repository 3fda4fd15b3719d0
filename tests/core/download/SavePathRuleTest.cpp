// The save folder proposed at start-up: remembered path first, the documents sub-folder for a
// temporary or local program folder, the program folder otherwise.

#include "model/SavePathRule.h"
#include "QtPrint.h"

#include <gtest/gtest.h>

TEST(SavePathRule, ProposalTable)
{
    struct Case {
        const char *program;
        const char *remembered;
        const char *expected;
    };
    const Case cases[] = {
        {"/home/a/apps/gleaner/", "", "/home/a/apps/gleaner/"},
        {"/home/a/apps/gleaner", "", "/home/a/apps/gleaner/"},
        {"/tmp/x", "", "/docs/图集拾取器/"},
        {"/tmp", "", "/docs/图集拾取器/"},
        {"/var/TEMP/x/", "", "/docs/图集拾取器/"},
        {"/home/a/locals/x", "", "/docs/图集拾取器/"},
        {"/home/a/temperature/", "", "/home/a/temperature/"},
        {"/home/a/mytmp/", "", "/home/a/mytmp/"},
        {"/tmp/x", "  /saved  ", "/saved/"},
        {"/home/a/", "/saved/", "/saved/"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(ProposeSavePath(QString::fromUtf8(c.program), QStringLiteral("/docs"),
                                  QString::fromUtf8(c.remembered)),
                  QString::fromUtf8(c.expected));
    }
}
