#include "CGleanerDlg.h"

CGleanerDlg::CGleanerDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("晴岚LOFTER插画收集器"));
    setAccessibleName(windowTitle());
}
