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
    // The demo's address (and list start) apply once start-up has ended and the window is
    // ready for commands.
    const QString address = qEnvironmentVariable("GLEANER_ADDRESS");
    const bool startList = qEnvironmentVariable("GLEANER_DEMO_LIST") == QLatin1String("1");
    if (!address.isEmpty() || startList) {
        auto *waitReady = new QTimer(&dialog);
        waitReady->setInterval(50);
        QObject::connect(waitReady, &QTimer::timeout, &dialog,
                         [&dialog, waitReady, address, startList] {
                             if (!dialog.IsReady())
                                 return;
                             waitReady->stop();
                             if (!address.isEmpty())
                                 dialog.SetControlText(1001, address);
                             if (startList)
                                 dialog.OnGetList();
                         });
        waitReady->start();
    }
    return app.exec();
}
