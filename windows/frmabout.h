#pragma once

#include <cstdint>
#include <string>

#include <QDialog>

#include "windows/sysinfo/sysinfolauncher.h"

class QFrame;
class QLabel;
class QPushButton;

namespace kalvor {

class Launcher;
class MessageBox;
class Registry;

// The about window: the program's name and version, its authors, a contact
// line and an acknowledgements paragraph, with OK to close it and a button
// that starts the operating system's System Information program. It keeps
// no state between openings: the About command makes a fresh one each time,
// runs it with exec() and destroys it afterwards.
class frmAbout final : public QDialog {
    Q_OBJECT

public:
    // registry and launcher find and start the System Information program;
    // messages says when it is unavailable. All three must outlive the
    // window. Builds every control with its design values.
    frmAbout(Registry& registry, Launcher& launcher, MessageBox& messages, QWidget* parent = nullptr);

    // The About command: makes a fresh about window owned by `owner` (the
    // equation window), so that it stays above it, runs it modally and
    // destroys it once it has been closed.
    static void showOver(QWidget* owner, Registry& registry, Launcher& launcher, MessageBox& messages);

    // Handlers and procedures, public so that tests can run one on its own.
    // cmdOK_Click closes the window, as Enter, Esc and the close box do.
    void cmdOK_Click();
    void cmdSysInfo_Click();
    // Starts the System Information program, or shows "System Information Is
    // Unavailable At This Time" in a plain box with the program's title.
    void StartSysInfo();
    // Reads one registry value; true when it was read into KeyVal, false with
    // KeyVal emptied when it is absent.
    bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal);

    // Controls, for tests. Every control is also found by its design name as
    // object name ("lblTitle(1)", "Line1(0)", "Label3(1)").
    QPushButton* okButton() const { return cmdOK; }
    QPushButton* sysInfoButton() const { return cmdSysInfo; }

protected:
    // A window manager may still minimise the window (by a key or a menu of
    // its own): it is put back at once, as a minimised modal window would
    // leave the equation window ignoring every click with nothing to show why.
    void changeEvent(QEvent* event) override;

private:
    void setUpWindow();
    void setUpTitle();
    void setUpAuthors();
    void setUpRule();
    void setUpButtons();
    QFrame* addLine(const QString& name, const QColor& colour, int left, int right, int top, int thickness);

    MessageBox& messages_;
    SysInfoLauncher sysInfo_;

    QLabel* lblTitle[2] = {nullptr, nullptr};
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3[2] = {nullptr, nullptr};
    QLabel* Label4 = nullptr;
    QFrame* Line1[2] = {nullptr, nullptr};
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};

}  // namespace kalvor
