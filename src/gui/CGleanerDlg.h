#pragma once

#include "settings/CSrvInfo.h"
#include "settings/StartupTask.h"

#include "model/GleanerState.h"
#include "window/WindowPort.h"

#include "GuiCallRouter.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class CComboBox2;
class CMyGridCtrl;
class DownloadRun;
class ListRun;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenuBar;
class QPushButton;

// The program's main window: the blog address box, the save folder box, the album grid, the
// buttons that start and stop the list run and the download run, the status lines and the
// links, laid out in dialog units (DialogUnits) at a fixed size. It owns the program's state
// (GleanerState: album list, settings, cookies, run states) and the runs, and it is the
// WindowPort through which the runs change its controls.
//
// Lives on the GUI thread for the whole program. The runs call the WindowPort functions from
// their own threads; each call is carried out on the GUI thread while the caller waits
// (GuiCallRouter). The GUI thread never waits for a run, except when the window closes:
// closing first puts the port into its closing state (calls from run threads return at once;
// getters answer the last known values, kept in a snapshot), asks both runs to stop and then
// joins them.
class CSplashScreenEx;

class CGleanerDlg : public QDialog, public WindowPort {
    Q_OBJECT

public:
    // `programFolder`: the folder of soft.dat and of the cookie file, normally the working
    // folder. Builds every control in its initial state; OnInitDialog does the rest.
    explicit CGleanerDlg(const QString &programFolder, QWidget *parent = nullptr);
    ~CGleanerDlg() override;

    // Start-up steps of the window, in order: caption, notice, grid, the address from the
    // clipboard, the proposed save folder, the settings and histories. Then StartupHook runs
    // (the splash window and the start-up thread plug in there); without one the window is
    // ready at once (OnStartupDone). The window stays hidden.
    void OnInitDialog();
    // The end of start-up: the window is shown and accepts commands.
    void OnStartupDone();
    bool IsReady() const { return ready_.load(); }
    void MarkReady() { ready_.store(true); }
    // Set before OnInitDialog to take start-up over (splash, start-up thread, update check);
    // it must end with OnStartupDone on the GUI thread.
    void SetStartupHook(std::function<void(CGleanerDlg &)> hook) { startupHook_ = std::move(hook); }
    // The program's start-up hook: fetches the configuration list on the start-up thread and
    // ends start-up when it is done (OnStartupResult); with `withSplash` the splash window shows
    // meanwhile, and Esc on it ends the program.
    void RunStartup(bool withSplash);
    // What the start-up thread's WM_STARTUP_DONE does, on the GUI thread: the splash goes, the
    // site combo is filled and LOFTER selected, the window shows, and a newer version shows
    // the update link, a message, opens the update page and ends the program a second later.
    void OnStartupResult(const StartupResult &result);
    // Site recognition: a new selection of the site combo, an edit of the address box, a pick
    // from its drop-down list.
    void OnSiteChange();
    void OnAddressChange();
    void OnAddressSelect(int pickedIndex);

    // Commands.
    void OnGetList();
    void OnDownload();
    void OnSetPath();
    void OnOpenPath();
    void OnSelectAll(bool checked);
    // The save folder chosen by a drop of `path` (a file or a folder); empty for nothing.
    static QString SavePathFromDrop(const QString &path);
    // Makes `path` the save folder: box text, history, settings.
    void AcceptSavePath(const QString &path);
    // AddHistory(kind, text) of the settings block; true when the text was added (and saved).
    bool AddHistory(int kind, const QString &text);

    // Closes the port and joins the runs; idempotent. GUI thread.
    void Shutdown();

    GleanerState &State() { return state_; }
    CMyGridCtrl &GridWidget() { return *grid_; }
    QWidget *Control(int id) const { return controls_.value(id); }
    CComboBox2 &AddressBox() { return *address_; }
    CComboBox2 &SavePathBox() { return *savePath_; }
    ListRun &List() { return *listRun_; }
    DownloadRun &Download() { return *downloadRun_; }
    bool IsListFinished() const;
    bool IsDownloadFinished() const;

    // Tests: message boxes are recorded and answered at once instead of shown.
    void SetRecordMessages(bool on) { recordMessages_ = on; }
    QStringList Messages() const { return messages_; }
    // Tests and the demo: the documents folder of the save-path proposal.
    void SetDocumentsFolder(const QString &folder) { documentsFolder_ = folder; }
    // Replaces the shell's "open this folder" (tests).
    void SetFolderOpener(std::function<void(const QString &)> opener)
    {
        folderOpener_ = std::move(opener);
    }
    // Replaces the shell's "open this web page" (tests).
    void SetPageOpener(std::function<void(const QUrl &)> opener)
    {
        pageOpener_ = std::move(opener);
    }

    // WindowPort. Any thread.
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
    GridOps &Grid() override;
    void OpenFolder(const QString &path) override;
    void PicturesDone(int seconds, int jobCount) override;

public:
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Last known state of a control, answered while closing.
    struct Snapshot {
        QString text;
        bool enabled = true;
        bool shown = true;
        bool checked = false;
        QStringList history;
    };

    void BuildControls();
    void BuildMenu();
    void ShowAbout();
    void OpenPage(const QUrl &page);
    // GUI thread.
    QString TextOf(int id) const;
    void SetTextOf(int id, const QString &text);
    Snapshot SnapshotOf(int id) const;
    Snapshot Snap(int id) const;
    template <typename F> void UpdateSnap(int id, F change);
    // The port's way to the widgets: `work` on the GUI thread, or nothing once closing (the
    // caller then uses the snapshot).
    template <typename R> std::optional<R> Port(std::function<R()> work);
    bool PortRun(std::function<void()> work);

    GuiCallRouter router_;
    GleanerState state_;
    QString documentsFolder_;
    QIcon icon_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> shutDown_{false};
    bool recordMessages_ = false;
    QStringList messages_;
    std::function<void(CGleanerDlg &)> startupHook_;
    std::function<void(const QString &)> folderOpener_;
    std::function<void(const QUrl &)> pageOpener_;

    QMenuBar *menuBar_ = nullptr;
    QWidget *client_ = nullptr;
    QLabel *albumStatus_ = nullptr;
    QLabel *picStatus_ = nullptr;
    QLabel *notice_ = nullptr;
    QComboBox *site_ = nullptr;
    QComboBox *subKind_ = nullptr;
    CComboBox2 *address_ = nullptr;
    QPushButton *getList_ = nullptr;
    QPushButton *download_ = nullptr;
    CComboBox2 *savePath_ = nullptr;
    QPushButton *setPath_ = nullptr;
    QPushButton *openPath_ = nullptr;
    QGroupBox *frame_ = nullptr;
    QCheckBox *thumbs_ = nullptr;
    QCheckBox *selectAll_ = nullptr;
    CMyGridCtrl *grid_ = nullptr;
    QLabel *updateLink_ = nullptr;
    QHash<int, QWidget *> controls_;

    CSrvInfo srvInfo_;
    std::unique_ptr<StartupTask> startupTask_;
    QPointer<CSplashScreenEx> splash_;

    mutable std::mutex snapMutex_;
    QHash<int, Snapshot> snapshots_; // filled when closing begins

    // The runs; declared last so that they go first (each joins its thread).
    std::unique_ptr<ListRun> listRun_;
    std::unique_ptr<DownloadRun> downloadRun_;
};
