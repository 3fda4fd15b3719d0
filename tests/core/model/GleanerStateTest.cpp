// The application state: where its settings file lives, its initial states, and texts that
// one thread writes while another reads (the thread sanitizer watches this test).

#include "model/GleanerState.h"
#include "QtPrint.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <thread>

TEST(GleanerState, SettingsLiveInTheProgramFolder)
{
    QTemporaryDir dir;
    for (const QString &folder : {dir.path(), dir.path() + QStringLiteral("/")}) {
        GleanerState state(folder);
        EXPECT_EQ(state.ProgramFolder(), dir.path() + QStringLiteral("/"));
        EXPECT_EQ(state.settings.FilePath(), dir.path() + QStringLiteral("/soft.dat"));
        EXPECT_EQ(state.listState.load(), LIST_IDLE);
        EXPECT_EQ(state.downState.load(), DOWN_IDLE);
        EXPECT_EQ(state.stopFlag.load(), 0);
        EXPECT_EQ(state.siteKind.load(), 0);
        EXPECT_EQ(state.albumList.Count(), 0);
        EXPECT_EQ(state.BlogFolder(), QString());
        EXPECT_FALSE(state.View().thumbMode);
    }
}

TEST(GleanerState, TextsReadWhileWrittenAreNeverTorn)
{
    QTemporaryDir dir;
    GleanerState state(dir.path());
    const QString a = QString(1000, QChar(u'a')) + QStringLiteral("/");
    const QString b = QString(10, QChar(u'b')) + QStringLiteral("/");
    state.SetBlogFolder(a);
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            state.SetBlogFolder(i % 2 ? a : b);
            state.SetBlogId(QString::number(i));
            AlbumViewState view;
            view.filterText = QString::number(i);
            state.SetView(view);
        }
    });
    int torn = 0;
    for (int i = 0; i < 2000; ++i) {
        const QString folder = state.BlogFolder();
        torn += folder != a && folder != b;
        const QString filter = state.View().filterText;
        bool ok = false;
        filter.toInt(&ok);
        torn += !ok && !filter.isEmpty();
    }
    writer.join();
    EXPECT_EQ(state.BlogFolder(), a);
    EXPECT_EQ(state.BlogId(), QStringLiteral("1999"));
    EXPECT_EQ(torn, 0);
}
