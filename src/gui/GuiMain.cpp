#include "GuiMain.h"

#include "CGleanerDlg.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

int RunGui(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gleaner"));
    QApplication::setApplicationVersion(QStringLiteral(GLEANER_VERSION));
    CGleanerDlg dialog(QDir::currentPath());
    QApplication::setWindowIcon(dialog.windowIcon());
    // Esc ends the dialog without a close event; either way the program ends with it.
    QObject::connect(&dialog, &QDialog::finished, &app, &QCoreApplication::quit);
    dialog.SetStartupHook([](CGleanerDlg &window) { window.RunStartup(true); });
    dialog.OnInitDialog();
    const QString address = qEnvironmentVariable("GLEANER_ADDRESS");
    if (!address.isEmpty())
        dialog.SetControlText(1001, address);
    if (qEnvironmentVariable("GLEANER_DEMO_LIST") == QLatin1String("1"))
        QTimer::singleShot(0, &dialog, &CGleanerDlg::OnGetList);
    return app.exec();
}
