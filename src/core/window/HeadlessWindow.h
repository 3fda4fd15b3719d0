#pragma once

#include "window/MemoryGrid.h"
#include "window/WindowPort.h"

#include <QHash>

#include <mutex>

// A main window without a screen: every control's state kept in memory, with the initial
// texts and states of the real window (1004 "获取相册", 1005 "下载" disabled, 1030 hidden, ...)
// and a MemoryGrid as the album grid. Base of the command line's window and of the tests'
// recording window; they add what a message box or a status text does for them through the
// two hooks.
//
// Owned by the front end that runs the runs. Thread-safe: one mutex guards the control states;
// the grid has its own. A control never seen before reads as empty, enabled, shown and
// unchecked.
class HeadlessWindow : public WindowPort {
public:
    HeadlessWindow();
    HeadlessWindow(const HeadlessWindow &) = delete;
    HeadlessWindow &operator=(const HeadlessWindow &) = delete;

    QString ControlText(int id) override;
    void SetControlText(int id, const QString &text) override;
    bool IsControlEnabled(int id) override;
    void EnableControl(int id, bool enabled) override;
    bool IsControlShown(int id) override;
    void ShowControl(int id, bool shown) override;
    bool IsChecked(int id) override;
    void SetChecked(int id, bool checked) override;
    void AppendHistory(int id, const QString &text) override;
    QStringList History(int id) override;
    void MessageBox(const QString &text) override;
    MemoryGrid &Grid() override;
    // Record "open-folder <path>" and "pics-done <seconds> <jobCount>"; nothing else happens.
    void OpenFolder(const QString &path) override;
    void PicturesDone(int seconds, int jobCount) override;

    // Every message box text shown so far, oldest first.
    QStringList Messages() const;

protected:
    // Called for every call of the interface, reads included, with a one-line description:
    //   "text 1009 <text>", "enable 1005 0", "show 1013 1", "check 1012 0",
    //   "history 1001 <text>", "message <text>",
    //   "open-folder <path>", "pics-done <seconds> <jobCount>",
    //   "get-text 1001", "get-enable 1005", "get-show 1013", "get-check 1012", "get-history 1001".
    // Runs with the window's state lock held, in the order in which the calls took effect; it
    // must not call back into the window. Grid calls are not reported.
    virtual void OnCall(const QString &line);
    // Called for a message box after it has been recorded, without the lock held. The box is
    // answered when this returns.
    virtual void OnMessage(const QString &text);

private:
    struct Control {
        QString text;
        bool enabled = true;
        bool shown = true;
        bool checked = false;
        QStringList history;
    };

    // The flag `member` of control `id`, read or set under the lock and reported as `verb`.
    bool ReadFlag(int id, bool Control::*member, const char *verb);
    void WriteFlag(int id, bool Control::*member, bool value, const char *verb);

    mutable std::mutex mutex_;
    QHash<int, Control> controls_;
    QStringList messages_;
    MemoryGrid grid_;
};
