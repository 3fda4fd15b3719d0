#pragma once

// What a list-run test needs: an application state with its soft.dat in a temporary folder,
// a recording window, and a way to run the list run to its end as the window would (grid
// rebuilt, list cleared, thread started and joined). Plus the checks every album name and
// folder piece must pass.

#include "FakeLofter.h"
#include "QtPrint.h"
#include "RecordingWindow.h"
#include "listing/ListRun.h"
#include "model/GleanerState.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace listtest {

inline const QString kArchiveCallTail =
    QStringLiteral("dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr");

struct ListHarness {
    ListHarness() : state(std::make_unique<GleanerState>(folder.path()))
    {
        state->settings.LoadSettings();
    }

    // Types `address` into the address box and runs one list run to its end.
    ListEnd Run(const QString &address)
    {
        window.SetControlText(IDC_ADDRESS, address);
        ListRun run(*state, window);
        EXPECT_EQ(run.Start(), ListRun::StartResult::Started);
        run.Wait();
        return run.Result();
    }

    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < state->albumList.Count(); ++i)
            names.append(state->albumList.At(i).name);
        return names;
    }

    QStringList PostUrls() const
    {
        QStringList urls;
        for (int i = 0; i < state->albumList.Count(); ++i)
            urls.append(state->albumList.At(i).postUrl);
        return urls;
    }

    QTemporaryDir folder;
    std::unique_ptr<GleanerState> state;
    RecordingWindow window;
};

// A name usable as one file-name component: not empty, no "/", no NUL, not "." or "..".
inline ::testing::AssertionResult IsSafeName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0')))
        return ::testing::AssertionFailure() << "unsafe name " << ::testing::PrintToString(name);
    return ::testing::AssertionSuccess();
}

// A folder piece: empty, or one safe name followed by exactly one "/".
inline ::testing::AssertionResult IsFolderPiece(const QString &piece)
{
    if (piece.isEmpty())
        return ::testing::AssertionSuccess();
    if (!piece.endsWith(QLatin1Char('/')))
        return ::testing::AssertionFailure()
               << "no final separator: " << ::testing::PrintToString(piece);
    return IsSafeName(piece.chopped(1));
}

// A blog at `path` with `count` posts titled "Post <i>", newest first.
inline testsupport::FakeBlog PlainBlog(const QString &path, const QString &title, int count,
                                       std::int64_t blogId = 77)
{
    testsupport::FakeBlog blog;
    blog.address = path;
    blog.title = title;
    blog.blogId = blogId;
    blog.posts = testsupport::FakeLofter::GeneratePosts({.count = count});
    return blog;
}

} // namespace listtest
