#include <memory>
#include <stdexcept>

#include <QDateTime>
#include <QLabel>
#include <QTest>

#include "platform/statusbar.h"

using kalvor::StatusBar;

class StatusBarTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<StatusBar> bar;

private slots:
    void init()
    {
        bar = std::make_unique<StatusBar>();
        bar->resize(700, 24);
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
    }

    void cleanup() { bar.reset(); }

    void hasSixPanelsInOrder()
    {
        const QList<QLabel*> labels = bar->findChildren<QLabel*>();
        QCOMPARE(labels.size(), StatusBar::panelCount);
        // Panels lie left to right in their numbering.
        for (int i = 1; i < StatusBar::panelCount; ++i) {
            auto* left = bar->findChild<QLabel*>(QStringLiteral("Panel%1").arg(i));
            auto* right = bar->findChild<QLabel*>(QStringLiteral("Panel%1").arg(i + 1));
            QVERIFY(left && right);
            QVERIFY2(left->geometry().right() < right->geometry().left(), qPrintable(QString::number(i)));
        }
    }

    void textPanelsShowWhatIsWritten_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "X3";
        QTest::newRow("2") << 2 << "EQ.2";
        QTest::newRow("3") << 3 << "C3";
        QTest::newRow("4") << 4 << "";
    }

    void textPanelsShowWhatIsWritten()
    {
        QFETCH(int, panel);
        QFETCH(QString, text);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(bar->panelText(i), QString());
        bar->setPanelText(panel, text);
        QCOMPARE(bar->panelText(panel), text);
        // The others are untouched.
        for (int i = 1; i <= 4; ++i)
            if (i != panel)
                QCOMPARE(bar->panelText(i), QString());
    }

    void noSuchPanel_data()
    {
        QTest::addColumn<int>("panel");
        QTest::newRow("0") << 0;
        QTest::newRow("7") << 7;
        QTest::newRow("-1") << -1;
    }

    void noSuchPanel()
    {
        QFETCH(int, panel);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, bar->panelText(panel));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, bar->setPanelText(panel, "x"));
    }

    void dateAndTimeAreCurrent()
    {
        const QDateTime before = QDateTime::currentDateTime();
        const QDate shownDate = QDate::fromString(bar->panelText(5), QStringLiteral("yyyy-MM-dd"));
        const QTime shownTime = QTime::fromString(bar->panelText(6), QStringLiteral("HH:mm:ss"));
        QVERIFY2(shownDate.isValid(), qPrintable(bar->panelText(5)));
        QVERIFY2(shownTime.isValid(), qPrintable(bar->panelText(6)));
        const QDateTime shown(shownDate, shownTime);
        // The bar was made moments ago and shows whole seconds.
        QVERIFY(qAbs(shown.secsTo(before)) <= 2);
    }

    void dateAndTimeKeepThemselvesCurrent()
    {
        bar->setPanelText(5, QStringLiteral("stale"));
        bar->setPanelText(6, QStringLiteral("stale"));
        QTRY_VERIFY_WITH_TIMEOUT(bar->panelText(6) != QStringLiteral("stale"), 1500);
        QVERIFY(bar->panelText(5) != QStringLiteral("stale"));
        const QTime shown = QTime::fromString(bar->panelText(6), QStringLiteral("HH:mm:ss"));
        QVERIFY(shown.isValid());
        QVERIFY(qAbs(shown.secsTo(QTime::currentTime())) <= 2
                || qAbs(shown.secsTo(QTime::currentTime())) >= 86398);  // around midnight
    }
};

QTEST_MAIN(StatusBarTest)
#include "statusbar_test.moc"
