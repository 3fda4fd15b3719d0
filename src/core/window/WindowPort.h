#pragma once

#include "window/GridOps.h"

#include <QString>
#include <QStringList>

// The main window as the runs see it. The list run and the download run are given a
// WindowPort and reach the window's controls only through it: texts, enabled and shown
// states, check boxes, the two history boxes, message boxes and the album grid. Controls are
// named by the ids of ControlIds.h.
//
// Implementations: the GUI's main window, the headless window of the command line and the
// recording window of the tests (both on HeadlessWindow). The application state owns the
// implementation; a run borrows it for its whole length, so it must outlive every run.
//
// Threading contract:
// - Every member function may be called from any thread, typically a run's own thread.
// - The GUI implementation carries each call out on the GUI thread and returns only when it
//   is done (a blocking queued call); a call made on the GUI thread itself runs directly.
//   Getters therefore answer the state as it is at that moment on the GUI thread.
// - Each call is atomic; a sequence of calls is not: between two calls of a run the user may
//   act. Runs that exclude each other (list run, download run) do so by disabling each
//   other's start button, not through this interface.
// - MessageBox blocks the calling run until the user dismisses the box. The GUI thread never
//   waits for a run, so these blocking calls cannot deadlock.
class WindowPort {
public:
    virtual ~WindowPort() = default;

    virtual QString ControlText(int id) = 0;
    virtual void SetControlText(int id, const QString &text) = 0;

    virtual bool IsControlEnabled(int id) = 0;
    virtual void EnableControl(int id, bool enabled) = 0;

    virtual bool IsControlShown(int id) = 0;
    virtual void ShowControl(int id, bool shown) = 0;

    // Check boxes (IDC_SELECT_ALL, IDC_THUMBNAILS). Setting the state does not run the box's
    // command: clearing "全选" here does not clear the grid's selection.
    virtual bool IsChecked(int id) = 0;
    virtual void SetChecked(int id, bool checked) = 0;

    // The drop-down list of a history box (IDC_ADDRESS, IDC_SAVE_PATH): texts are appended
    // at its end and never removed while the window lives.
    virtual void AppendHistory(int id, const QString &text) = 0;
    virtual QStringList History(int id) = 0;

    // A message box with an OK button and `text`; returns when it has been dismissed.
    virtual void MessageBox(const QString &text) = 0;

    // The album grid (control IDC_GRID). The reference stays valid as long as the window.
    virtual GridOps &Grid() = 0;

    // Shows the folder `path` in the system's file browser (the download run's last step when
    // "open the save folder" is on). Does not wait for the browser.
    virtual void OpenFolder(const QString &path) = 0;
    // The picture manager has finished an album (also after a stop): `seconds` whole seconds
    // after it started, with `jobCount` picture jobs. A notice only; nothing is expected back.
    virtual void PicturesDone(int seconds, int jobCount) = 0;

protected:
    WindowPort() = default;
    WindowPort(const WindowPort &) = default;
    WindowPort &operator=(const WindowPort &) = default;
};
