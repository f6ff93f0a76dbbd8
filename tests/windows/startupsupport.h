#pragma once

#include <functional>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QTimerEvent>
#include <QWidget>

namespace kalvor {

// Watches for modal windows while a start-up test runs. Any modal window the
// test did not announce with expect() is recorded and closed, so that the
// test ends instead of hanging, and unexpected() names it for the test to
// fail on.
class StartupWatchdog {
public:
    StartupWatchdog()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start();
    }

    void expect(QWidget* window) { expected_.append(window); }

    // The windows that appeared modally without being expected, by object
    // name (or class name where they have none).
    QStringList unexpected() const { return unexpected_; }

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || expected_.contains(modal))
            return;
        const QString name = modal->objectName();
        unexpected_.append(name.isEmpty() ? QString::fromLatin1(modal->metaObject()->className()) : name);
        modal->close();
        // A window that refuses to close is hidden, which still ends a
        // dialog's exec().
        if (modal->isVisible())
            modal->hide();
    }

    QTimer timer_;
    QList<QPointer<QWidget>> expected_;
    QStringList unexpected_;
};

// Counts the times a window is shown and, if given, runs a step from the
// event loop each time it has just been shown: the way to act inside a
// window's own modal wait, which does not return until the window goes.
class ShowWatcher final : public QObject {
public:
    explicit ShowWatcher(QWidget* window, std::function<void()> whenShown = {}) : whenShown_(std::move(whenShown))
    {
        window->installEventFilter(this);
    }

    int shows() const { return shows_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            ++shows_;
            if (whenShown_)
                QTimer::singleShot(0, this, whenShown_);
        }
        return false;
    }

private:
    std::function<void()> whenShown_;
    int shows_ = 0;
};

// Delivers one tick of timer at once, as if its interval had just run out.
inline void tick(QTimer* timer)
{
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

// Where a test saves a screenshot called name: in $KALVOR_ARTIFACTS, made if
// missing. Empty when that variable is not set.
inline QString artifactPath(const QString& name)
{
    const QString dir = qEnvironmentVariable("KALVOR_ARTIFACTS");
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return {};
    return dir + QLatin1Char('/') + name;
}

}  // namespace kalvor
