#include "GuiMain.h"

#include "CGleanerDlg.h"

#include <QApplication>

int RunGui(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gleaner"));
    QApplication::setApplicationVersion(QStringLiteral(GLEANER_VERSION));
    CGleanerDlg dialog;
    dialog.show();
    return app.exec();
}
