#pragma once

// Cells of a million characters, and how long an action on them keeps the
// event loop from running: shared by the long-cell test (a hang guard) and
// the window benchmark (the figure itself).
#include <algorithm>
#include <ctime>
#include <functional>

#include <QElapsedTimer>
#include <QString>
#include <QTest>
#include <QTimer>

namespace kalvor {

inline constexpr int kMillion = 1000000;

// Processor time of this thread in milliseconds. The freeze is measured in
// it rather than on the wall clock: on a user's idle machine the two agree,
// while on a loaded machine the wall clock also counts the time other
// processes took the processor.
inline qint64 threadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

struct Block {
    qint64 threadMs = 0;  // longest gap between heartbeats, in this thread's time
    qint64 wallMs = 0;    // the same gap on the wall clock, for the log
    bool ended = false;   // the action ran and the loop beat again after it
};

// Runs `action` from inside the event loop and returns the longest time that
// the loop went without serving a 10 ms heartbeat while the action ran and
// the window repainted after it. Gives up after `timeoutMs` on the wall
// clock (`ended` is then false).
inline Block longestBlock(const std::function<void()>& action, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 lastWall = 0, lastThread = threadMs();
    Block worst;
    bool done = false;
    qint64 doneAt = 0;
    int beatsAfter = 0;
    const auto beatNow = [&] {
        const qint64 wall = clock.elapsed(), thread = threadMs();
        worst.wallMs = std::max(worst.wallMs, wall - lastWall);
        worst.threadMs = std::max(worst.threadMs, thread - lastThread);
        lastWall = wall;
        lastThread = thread;
        if (done)
            ++beatsAfter;
    };
    QTimer beat;
    beat.setInterval(10);
    QObject::connect(&beat, &QTimer::timeout, beatNow);
    beat.start();
    QTimer::singleShot(20, [&] {
        action();
        doneAt = clock.elapsed();
        done = true;
    });
    // Watched for 300 ms after the action and until a beat came after it:
    // the repaint it caused has run by then (in a slow build a repaint of
    // the long text may take longer than a beat, so beats are not counted).
    worst.ended
        = QTest::qWaitFor([&] { return done && beatsAfter >= 1 && clock.elapsed() - doneAt >= 300; }, timeoutMs);
    beatNow();
    return worst;
}

// The million characters of a long cell: 0 a number, 1 not a number, 2 a
// unit far beyond the search window after non-ASCII text.
inline QString longCellContent(int kind)
{
    switch (kind) {
    case 0:  // a number: no unit within the first 100 characters
        return QString(kMillion, QLatin1Char('1'));
    case 1:  // not a number
        return QString(kMillion, QLatin1Char('x'));
    default:  // a unit far beyond the search window, and non-ASCII text
        return QString(kMillion / 2, QChar(0x00e9)) + QString(kMillion / 2 - 1, QLatin1Char('2')) + QStringLiteral("i");
    }
}

}  // namespace kalvor
