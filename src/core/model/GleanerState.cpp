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
    return Read(blogFolder_);
}
void GleanerState::SetBlogFolder(const QString &text)
{
    Write(blogFolder_, text);
}
QString GleanerState::SubFolder() const
{
    return Read(subFolder_);
}
void GleanerState::SetSubFolder(const QString &text)
{
    Write(subFolder_, text);
}
QString GleanerState::BlogId() const
{
    return Read(blogId_);
}
void GleanerState::SetBlogId(const QString &text)
{
    Write(blogId_, text);
}
AlbumViewState GleanerState::View() const
{
    return Read(view_);
}
void GleanerState::SetView(const AlbumViewState &view)
{
    Write(view_, view);
}
