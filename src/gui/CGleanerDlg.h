#pragma once

#include <QDialog>

// The main window. Lives on the GUI thread for the whole run of the program and owns the
// program's state (album list, settings block, run states). For now a placeholder with the
// caption only; the controls come with the runs they drive.
class CGleanerDlg : public QDialog {
    Q_OBJECT

public:
    explicit CGleanerDlg(QWidget *parent = nullptr);
};
