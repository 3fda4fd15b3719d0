#pragma once

// A main window for tests: its program folder and documents folder in a temporary folder,
// message boxes recorded instead of shown, "open folder" recorded instead of asking the shell.
// Plus mouse clicks on the grid and a gate with which a fake page answers only when the test
// lets it.

#include "CGleanerDlg.h"
#include "CMyGridCtrl.h"
#include "FakeLofter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace guitest {

struct GuiHarness {
    // `clipboard`: the clipboard text at start-up.
    explicit GuiHarness(const QString &clipboard = QString())
    {
        programFolder = dir.path() + QStringLiteral("/prog/");
        documentsFolder = dir.path() + QStringLiteral("/docs");
        QDir().mkpath(programFolder);
        QDir().mkpath(documentsFolder);
        QGuiApplication::clipboard()->setText(clipboard);
        window = std::make_unique<CGleanerDlg>(programFolder);
        window->SetRecordMessages(true);
        window->SetDocumentsFolder(documentsFolder);
        window->SetFolderOpener([this](const QString &path) { opened.append(path); });
    }

    void Init() { window->OnInitDialog(); }

    QString Text(int id) { return window->ControlText(id); }
    bool Enabled(int id) { return window->IsControlEnabled(id); }

    QTemporaryDir dir;
    QString programFolder;
    QString documentsFolder;
    QStringList opened;
    std::unique_ptr<CGleanerDlg> window;
};

// A left click at the centre of grid cell (row, col), as the mouse sends it.
inline void ClickCell(CMyGridCtrl &grid, int row, int col)
{
    const QPoint at = grid.CellRect(row, col).center();
    QWidget *target = grid.viewport();
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// A reply that waits until the test opens the gate (or a 30 s watchdog passes).
struct Gate {
    std::shared_ptr<std::atomic<bool>> open = std::make_shared<std::atomic<bool>>(false);

    testsupport::Handler Hold(testsupport::Reply reply) const
    {
        return [open = open, reply](const testsupport::RecordedRequest &) {
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!open->load() && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return reply;
        };
    }
    void Open() const { open->store(true); }
};

} // namespace guitest
