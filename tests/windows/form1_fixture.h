#pragma once

#include <memory>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "messagerecorder.h"
#include "platform/grid.h"
#include "platform/savequestion.h"
#include "windows/form1.h"

namespace kalvor {

// Points XDG_STATE_HOME at a fresh temporary folder, so that the recovery
// file of every equation window made from now on goes there and never into
// the real home. The folder is removed with this object.
struct ScratchStateHome {
    QTemporaryDir folder;
    ScratchStateHome() { qputenv("XDG_STATE_HOME", folder.path().toLocal8Bit()); }
    // The recovery files there, newest name first.
    QStringList recoveryFiles() const
    {
        const QDir kept(folder.filePath(QStringLiteral("kalvor1")));
        QStringList files;
        for (const QString& name :
             kept.entryList({QStringLiteral("recovered-*.tsv")}, QDir::Files, QDir::Name | QDir::Reversed))
            files << kept.filePath(name);
        return files;
    }
};

// Answers "Save changes to the system?" with `answer` (Discard unless a
// test says otherwise) and counts the times it was asked.
struct AnsweringSaveQuestion final : SaveQuestion {
    Answer answer = Answer::Discard;
    int asked = 0;
    Answer ask(QWidget*) override
    {
        ++asked;
        return answer;
    }
};

// A fresh equation window with recorders in place of the message box, the
// about command and the program end, plus the user's gestures on it.
struct Form1Harness {
    ScratchStateHome state;
    MessageRecorder messages;
    AnsweringSaveQuestion saveQuestion;
    ModalWatchdog watchdog;
    QString count;
    int programEnds = 0;
    int aboutShown = 0;
    std::unique_ptr<Form1> form;

    Form1Harness() { makeForm(); }

    // A new window in place of the old one, as at the next start of the
    // program: same recorders, same recovery folder.
    void makeForm()
    {
        form = std::make_unique<Form1>([this] { return count; }, messages);
        form->setProgramEnd([this] { ++programEnds; });
        form->setAboutCommand([this] { ++aboutShown; });
        form->setSaveQuestion(saveQuestion);
        watchdog.expect(form.get());
    }

    // Sets the window up for `countText` and shows it as the user sees it.
    bool open(const QString& countText)
    {
        count = countText;
        form->Form_Load();
        form->show();
        form->activateWindow();
        form->findChild<QLineEdit*>("Text1")->setFocus();
        return QTest::qWaitForWindowActive(form.get());
    }
    bool open(int n) { return open(QString::number(n)); }

    static QPoint cellCentre(Grid* grid, int row, int col)
    {
        const QModelIndex index = grid->model()->index(row - 1, col - 1);
        grid->scrollTo(index);
        return grid->visualRect(index).center();
    }

    static void clickCell(Grid* grid, int row, int col)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, col));
    }

    // Clicks the cell, then replaces the editor's text by typing `text`.
    static void typeIntoCell(Grid* grid, QLineEdit* editor, int row, int col, const QString& text)
    {
        clickCell(grid, row, col);
        editor->selectAll();
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            QTest::keyClicks(editor, text);
    }

    void typeCoefficient(int row, int col, const QString& text)
    {
        typeIntoCell(form->findChild<Grid*>("Grid1"), form->findChild<QLineEdit*>("Text1"), row, col, text);
    }

    void typeConstant(int row, const QString& text)
    {
        typeIntoCell(form->findChild<Grid*>("Grid2"), form->findChild<QLineEdit*>("Text4"), row, 1, text);
    }

    // Saves the window as a picture in the artifacts folder, if one is set.
    void screenshot(const QString& name) const
    {
        const QString folder = qEnvironmentVariable("KALVOR_ARTIFACTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        form->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
};

}  // namespace kalvor
