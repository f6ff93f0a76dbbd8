#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/qmessagebox.h"

using kalvor::MessageBox;
using kalvor::QtMessageBox;

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void showsModalBoxAsAskedAndReturnsOnOk_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("stop with title") << int(MessageBox::Style::Stop)
                                         << "Try to write '(imaginary)i in form '0+(imaginary)i"
                                         << "Check your data" << int(QMessageBox::Critical) << "Check your data";
        QTest::newRow("plain, program title") << int(MessageBox::Style::Plain) << "Some  text  with  blanks "
                                              << "" << int(QMessageBox::NoIcon) << "KALVOR1";
        QTest::newRow("stop, program title") << int(MessageBox::Style::Stop) << "x"
                                             << "" << int(QMessageBox::Critical) << "KALVOR1";
    }

    void showsModalBoxAsAskedAndReturnsOnOk()
    {
        QFETCH(int, style);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QString, shownTitle);

        bool seen = false;
        QString seenText, seenTitle;
        int seenIcon = -1;
        qsizetype buttons = -1;
        bool modal = false;
        // Looks at the box while it is open, then presses its OK button.
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || seen)
                return;
            seen = true;
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = int(box->icon());
            buttons = box->buttons().size();
            modal = box->isModal();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            if (ok)
                QTest::mouseClick(ok, Qt::LeftButton);
            else
                box->close();
        });
        poll.start();
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, this, [] {
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        giveUp.start(5000);

        QtMessageBox().show(MessageBox::Style(style), message, title);

        QVERIFY(seen);
        QCOMPARE(seenText, message);
        QCOMPARE(seenTitle, shownTitle);
        QCOMPARE(seenIcon, icon);
        QCOMPARE(buttons, qsizetype(1));
        QVERIFY(modal);
        QVERIFY(giveUp.isActive());  // dismissed by OK, not by the safety net
    }
};

QTEST_MAIN(MessageBoxTest)
#include "messagebox_test.moc"
