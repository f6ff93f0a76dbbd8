#include <memory>

#include <QApplication>

#include "platform/os/freshregistry.h"
#include "platform/os/systemadapters.h"
#include "platform/qmessagebox.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/frmsplash.h"

// Starts the splash window and nothing else; every later window is opened,
// modally, from a handler of the one before it. The program reads no command
// line of its own (the arguments are the toolkit's) and no settings; the
// files it reads and writes are the ones the equation window's File menu
// names, a dropped system file, and its recovery file.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program ends only when the equation window closes. Without this the
    // splash closing before the dialog appears would end it early, and the
    // dialog, which stays hidden for the whole run, would not matter anyway.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(kalvor::frmSplash::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("kalvor1"));

    kalvor::QtMessageBox messages;
    // Searched when System Information is asked for, not at start-up.
    kalvor::FreshRegistry registry(&kalvor::makeSystemRegistry);
    const std::unique_ptr<kalvor::Launcher> launcher = kalvor::makeSystemLauncher();

    kalvor::Form2 countDialog(messages, [&](kalvor::Form2& dialog) {
        // The equation window reads the confirmed count straight from the
        // dialog, which stays in existence, hidden, for the rest of the run.
        kalvor::Form1 equations([&dialog] { return dialog.countText(); }, messages);
        equations.setAboutCommand([&] { kalvor::frmAbout::showOver(&equations, registry, *launcher, messages); });
        equations.setCountQuestion([&dialog] { return dialog.askForNewCount(); });
        equations.showModal();
    });

    kalvor::frmSplash splash(countDialog);
    splash.show();
    return app.exec();
}
