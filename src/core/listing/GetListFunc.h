#pragma once

#include "listing/ListEnd.h"
#include "model/GleanerState.h"
#include "window/WindowPort.h"

// The list run: from the text of the address box (IDC_ADDRESS) to the album list of a LOFTER
// blog, with the window's controls put into the listing state for the run and back to idle
// at its end, and the address remembered in the address history when albums were listed.
//
// All three run on the list thread (ListRun starts it), or on a test's thread; never on the
// thread that serves `window`'s calls. `state` and `window` must outlive the call.

// The list thread's body. Sets the site kind to LOFTER and empties the folder pieces; an
// empty address shows M1 and leaves the controls as they are (listState back to LIST_IDLE);
// otherwise EnterListState, the address check (M2), normalisation and ListLofterBlog, then
// the folder pieces are made usable (a non-empty piece ends with exactly one "/"), the grid's
// rows are fitted, the group box and status line report the album count, LeaveListState,
// and, with at least one album, the trimmed address goes to the address history (settings,
// soft.dat and the box's drop-down list). Answers why the run ended.
ListEnd GetListFunc(GleanerState &state, WindowPort &window);

// Controls at the start of a run: listState LIST_RUNNING (a stop requested already is kept),
// site combo, Download, address box and thumbnail box disabled, "全选" cleared, the button
// reads "终止获取", the group box "相册列表", the status line "正在获取相册列表，请稍等...", the
// picture status line empty, the notice line hidden, the find, filter and export links disabled.
void EnterListState(GleanerState &state, WindowPort &window);

// Controls at the end of a run: listState LIST_IDLE, site combo enabled, Download enabled when
// the album list holds an album, the button reads "获取相册", address box, thumbnail box and
// the three links enabled.
void LeaveListState(GleanerState &state, WindowPort &window);
