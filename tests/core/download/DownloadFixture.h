#pragma once

// A fake LOFTER blog listed into a GleanerState and a RecordingWindow, ready for a download
// run: the list run has filled the album list and the grid, the save folder is a temporary
// folder, the download parameters are quick (retry pause 0).

#include "FakeLofter.h"
#include "QtPrint.h"
#include "RecordingWindow.h"
#include "download/DownloadRun.h"
#include "listing/ListRun.h"
#include "model/GleanerState.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

class DownloadFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        save = dir.path() + QStringLiteral("/save/");
        state = std::make_unique<GleanerState>(dir.path() + QStringLiteral("/prog"));
        DownParams params;
        params.threadCount = 3;
        params.timeoutSec = 10;
        state->settings.SetDownParams(SITE_KIND_LOFTER, params);
        state->settings.SetOptionBits(SITE_KIND_LOFTER, 0);
        options.retryWaitSeconds = 0;
        options.singleWorkerPauseMs = 0;
    }

    // Serves `blog` under "/b/" and lists it (the grid then holds one row per post).
    void ListBlog(testsupport::FakeBlog blog)
    {
        blog.address = QStringLiteral("/b/");
        if (blog.title.isEmpty())
            blog.title = QStringLiteral("Blog");
        // Replacing a stored blog would copy-assign Qt texts out of line, where the thread
        // sanitizer cannot see the server threads' reference counts: remove it first.
        lofter.RemoveBlog(blog.address);
        lofter.AddBlog(blog);
        window.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/b/")));
        ListRun list(*state, window);
        ASSERT_EQ(list.Start(), ListRun::StartResult::Started);
        list.Wait();
        ASSERT_EQ(list.Result(), ListEnd::Completed);
        ASSERT_EQ(state->albumList.Count(), int(blog.posts.size()));
        window.SetControlText(IDC_SAVE_PATH, save);
        window.ClearCalls();
    }

    // Selects the list rows of the albums with these indices (row = index + 1 here).
    void SelectAlbums(std::initializer_list<int> indices)
    {
        window.Grid().ClearSelection();
        for (int index : indices)
            window.Grid().SetCellSelected(index + 1, 0, true);
    }

    DownEnd RunDownload()
    {
        DownloadRun run(*state, window);
        run.SetOptions(options);
        EXPECT_EQ(run.Start(), DownloadRun::StartResult::Started);
        run.Wait();
        saved = run.PicturesSaved();
        failed = run.PicturesFailed();
        return run.Result();
    }

    // The folder of the blog's albums.
    QString BlogRoot() const { return save + state->BlogFolder(); }

    static QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<unreadable>");
        return file.readAll();
    }

    QTemporaryDir dir;
    QString save;
    testsupport::FakeLofter lofter;
    RecordingWindow window;
    std::unique_ptr<GleanerState> state;
    DownRunOptions options;
    int saved = 0;
    int failed = 0;
};
