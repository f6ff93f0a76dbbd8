#pragma once

#include <functional>
#include <vector>

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "platform/messagebox.h"

namespace kalvor {

// A MessageBox for window tests: records every message instead of showing
// it, as if the user had pressed OK at once. `onShow` runs while the message
// is "open", to look at the window at that moment.
class MessageRecorder final : public MessageBox {
public:
    struct Message {
        Style style;
        QString message;
        QString title;
    };

    void show(Style style, const QString& message, const QString& title) override
    {
        messages.push_back({style, message, title});
        if (onShow)
            onShow();
    }

    std::vector<Message> messages;
    std::function<void()> onShow;
};

// Fails a window test that opens a modal window nobody expected: it closes
// any such window (so the test cannot hang) and remembers its title.
class ModalWatchdog {
public:
    ModalWatchdog()
    {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && !allowed_ && !expected_.contains(modal)) {
                seen_ << modal->windowTitle();
                modal->close();
            }
        });
        timer_.start();
    }

    // While true, modal windows are expected (a test showing a real one).
    void allow(bool allowed) { allowed_ = allowed; }
    // The window under test may itself be modal.
    void expect(QWidget* window) { expected_ << window; }
    const QStringList& unexpected() const { return seen_; }

private:
    QTimer timer_;
    QStringList seen_;
    QList<QWidget*> expected_;
    bool allowed_ = false;
};

}  // namespace kalvor
