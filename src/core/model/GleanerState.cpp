#include "model/GleanerState.h"

namespace {

QString WithSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

} // namespace

// The setters copy-construct and move-assign instead of copy-assigning: those QString
// operations are inline, so every reference-count change is compiled into this program, where
// the thread sanitizer can see it (Qt's out-of-line copy assignment is not instrumented).

GleanerState::GleanerState(const QString &programFolder, const QString &cookieFile)
    : settings(SettingsBlock::PathInFolder(WithSeparator(programFolder))), cookies(cookieFile),
      programFolder_(WithSeparator(programFolder))
{
}

QString GleanerState::BlogFolder() const
{
    std::lock_guard lock(mutex_);
    return blogFolder_;
}

void GleanerState::SetBlogFolder(const QString &text)
{
    std::lock_guard lock(mutex_);
    blogFolder_ = QString(text);
}

QString GleanerState::SubFolder() const
{
    std::lock_guard lock(mutex_);
    return subFolder_;
}

void GleanerState::SetSubFolder(const QString &text)
{
    std::lock_guard lock(mutex_);
    subFolder_ = QString(text);
}

QString GleanerState::BlogId() const
{
    std::lock_guard lock(mutex_);
    return blogId_;
}

void GleanerState::SetBlogId(const QString &text)
{
    std::lock_guard lock(mutex_);
    blogId_ = QString(text);
}

AlbumViewState GleanerState::View() const
{
    std::lock_guard lock(mutex_);
    return view_;
}

void GleanerState::SetView(const AlbumViewState &view)
{
    AlbumViewState copy = view;
    std::lock_guard lock(mutex_);
    view_ = std::move(copy);
}
