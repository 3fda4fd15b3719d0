#pragma once

// The save folder the window proposes at start-up (and the command line uses without --save):
// the save path remembered last when there is one; otherwise the program folder, unless that
// lies in a temporary or per-user local folder, where downloads would be lost: its lower-case
// path holds "/temp/", "/tmp/" or "/locals"; then the sub-folder "图集拾取器" of the user's
// documents folder. Pure functions; any thread.

#include <QString>

// The sub-folder of the documents folder proposed for temporary program folders.
inline constexpr char16_t kDocumentsSubFolder[] = u"图集拾取器";

// True when the program folder is a temporary or local one (see above). `programFolder` may
// end in "/" or not.
bool IsTemporaryProgramFolder(const QString &programFolder);

// The proposal, ending in "/": `rememberedPath` (history entry 0, trimmed) when it is not
// empty; otherwise `documentsFolder` + "/图集拾取器/" for a temporary program folder, else
// `programFolder`.
QString ProposeSavePath(const QString &programFolder, const QString &documentsFolder,
                        const QString &rememberedPath);

// ProposeSavePath with the user's documents folder (QStandardPaths::DocumentsLocation); when
// the documents sub-folder is proposed it is created (one level, errors ignored), as the
// window does at start-up.
QString ProposeSavePath(const QString &programFolder, const QString &rememberedPath);
