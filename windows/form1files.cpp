// The equation window's File menu: new systems, system files opened and
// saved, the recent files, the solution saved, and the recovery history that
// keeps the systems between runs. Reading a file is systemfiledrop's, the
// atomic write savedfile's, the recovery files' timing and names
// RecoveryFile's, the recent list RecentFiles'; the handlers here only ask
// for names and route.
#include <algorithm>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTimer>

#include "core/numberformat.h"
#include "core/polar.h"
#include "core/solutionfile.h"
#include "core/tabletext.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/qfiledialogs.h"
#include "platform/qsavequestion.h"
#include "platform/savedfile.h"
#include "platform/statusbar.h"
#include "windows/form1.h"
#include "windows/systemparameters.h"
#include "windows/recentfiles.h"
#include "windows/recoveryfile.h"
#include "windows/systemfiledrop.h"

namespace kalvor {

namespace {

const QString systemFilter = QStringLiteral("Systems (*.tsv *.csv *.txt);;All files (*)");
const QString solutionFilter = QStringLiteral("Tab-separated text (*.tsv *.txt);;All files (*)");

// "3 unknowns, 2026-12-08 06:40:12": a system of the recovery history.
QString historyCaption(const RecoveryFile::Entry& entry)
{
    const QDateTime when = entry.written.toLocalTime();
    return QStringLiteral("%1 %2, %3 %4")
        .arg(entry.unknowns)
        .arg(entry.unknowns == 1 ? QStringLiteral("unknown") : QStringLiteral("unknowns"), StatusBar::dateText(when),
             StatusBar::timeText(when));
}

// A file name as a menu item shows it: no access key taken from it.
QString menuText(const QString& text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

void Form1::createFileMenu()
{
    file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("file"));
    const auto item = [this](QAction*& action, const char* name, const QString& caption, const QKeySequence& keys,
                             void (Form1::*handler)()) {
        action = file->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
    };
    item(newSystem, "newSystem", QStringLiteral("&New system\u2026"), QKeySequence(Qt::CTRL | Qt::Key_N),
         &Form1::newSystem_Click);
    item(openSystem, "openSystem", QStringLiteral("&Open system\u2026"), QKeySequence(Qt::CTRL | Qt::Key_O),
         &Form1::openSystem_Click);
    openRecent = file->addMenu(QStringLiteral("Open &recent"));
    openRecent->setObjectName(QStringLiteral("openRecent"));
    item(saveSystem, "saveSystem", QStringLiteral("&Save system"), QKeySequence(Qt::CTRL | Qt::Key_S),
         &Form1::saveSystem_Click);
    item(saveSystemAs, "saveSystemAs", QStringLiteral("Save system &as\u2026"),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &Form1::saveSystemAs_Click);
    item(saveSolutionAs, "saveSolutionAs", QStringLiteral("Save so&lution as\u2026"), {}, &Form1::saveSolutionAs_Click);
    recoverSystem = file->addMenu(QStringLiteral("Re&cover"));
    recoverSystem->setObjectName(QStringLiteral("recoverSystem"));
    file->addSeparator();
    exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("exit"));

    ownFileDialogs_ = std::make_unique<QtFileDialogs>();
    fileDialogs_ = ownFileDialogs_.get();
    ownSaveQuestion_ = std::make_unique<QtSaveQuestion>();
    saveQuestion_ = ownSaveQuestion_.get();
    folder_ = QDir::homePath();
    systemName_ = QStringLiteral("system.tsv");
}

void Form1::connectFileMenu()
{
    // Enabled exactly while the solution is shown, as Back is: after Back
    // the tables may change, and the solution would no longer be theirs.
    saveSolutionAs->setEnabled(false);
    connect(back, &QAction::changed, this, [this] { saveSolutionAs->setEnabled(back->isEnabled()); });

    recovery_ = new RecoveryFile([this] { return currentSystemText(); }, this);
    recent_ = std::make_unique<RecentFiles>(RecoveryFile::folder() + QStringLiteral("/recent-files.txt"));
    // Both lists may change under other windows too: made afresh each time
    // the File menu opens, and not before (reading the history takes a
    // moment when its systems are large).
    connect(file, &QMenu::aboutToShow, this, &Form1::refreshFileMenu);
    openRecent->setEnabled(false);
    recoverSystem->setEnabled(false);
    for (Grid* table : {Grid1, Grid2})
        connect(table->model(), &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                    // Texts only: a cell's colour is no part of the system.
                    if (roles.contains(Qt::DisplayRole))
                        recovery_->changed();
                });
    connect(recovery_, &RecoveryFile::writeFailed, this, [this](const QString& reason) {
        // Told once, without a modal message at every change; the next
        // change tries again.
        const QString notice = QStringLiteral("The recovery file cannot be written: ") + reason;
        showRecoveryNotice(notice);
        qWarning("%s: %s", qPrintable(notice), qPrintable(RecoveryFile::folder()));
    });
}

void Form1::setCountQuestion(std::function<bool()> askCount)
{
    askCount_ = std::move(askCount);
}

void Form1::setFileDialogs(FileDialogs& dialogs)
{
    fileDialogs_ = &dialogs;
}

void Form1::setSaveQuestion(SaveQuestion& question)
{
    saveQuestion_ = &question;
}

void Form1::refreshFileMenu()
{
    openRecent->clear();
    const QStringList recent = recent_->paths();
    for (int k = 0; k < recent.size(); ++k) {
        const QString path = recent[k];
        QAction* action
            = openRecent->addAction(QStringLiteral("&%1 %2").arg(k + 1).arg(menuText(QDir::toNativeSeparators(path))));
        action->setObjectName(QStringLiteral("openRecent%1").arg(k + 1));
        connect(action, &QAction::triggered, this, [this, path] { openRecent_Click(path); });
    }
    openRecent->setEnabled(!recent.isEmpty());

    recoverSystem->clear();
    const std::vector<RecoveryFile::Entry> history = recovery_->history();
    for (std::size_t k = 0; k < history.size(); ++k) {
        const QString path = history[k].path;
        QAction* action = recoverSystem->addAction(historyCaption(history[k]));
        action->setObjectName(QStringLiteral("recover%1").arg(k + 1));
        connect(action, &QAction::triggered, this, [this, path] { recoverSystem_Click(path); });
    }
    recoverSystem->setEnabled(!history.empty());
}

bool Form1::mayReplaceSystem()
{
    const BlockPaste::Rows rows = exchange_->systemRows();
    // Before the first save or open, only an empty system (no cell, no
    // parameter) is unchanged.
    const bool unchanged = !keptSystem_
        ? systemParameters_->parameters().empty()
            && std::all_of(rows.begin(), rows.end(),
                           [](const auto& row) {
                               return std::all_of(row.begin(), row.end(), [](const auto& cell) { return cell.empty(); });
                           })
        : currentSystemText() == *keptSystem_;
    if (unchanged)
        return true;
    switch (saveQuestion_->ask(this)) {
    case SaveQuestion::Answer::Save:
        return saveSystemNow();
    case SaveQuestion::Answer::Discard:
        return true;
    case SaveQuestion::Answer::Cancel:
        break;
    }
    return false;
}

void Form1::replaceSystem(const std::function<void()>& replace)
{
    // The system so far stays in its recovery file, whatever was answered.
    recovery_->flush();
    replace();
    recovery_->startNewFile();
    keptSystem_ = currentSystemText();
}

std::string Form1::currentSystemText() const
{
    return writeSystemFile(systemParameters_->parameters(), exchange_->systemRows(), '\t');
}

void Form1::startAgain()
{
    if (!editing())
        back_Click();
    // Down to the corner cell and back to the design size: every data cell
    // is made afresh, empty, in its design colour and width.
    Grid1->setRows(1);
    Grid1->setCols(1);
    Grid1->setCols(2);
    Grid1->setRows(2);
    for (Grid* table : {Grid2, Grid3}) {
        table->setRows(1);
        table->setRows(2);
    }
    for (Grid* table : {Grid1, Grid2, Grid3}) {
        table->setRow(1);
        table->setCol(1);
    }
    for (QLineEdit* previousRow : {Txt7, Text7})
        previousRow->setText(QStringLiteral("Text7"));
    for (QLineEdit* previousCol : {Txt8, Text8})
        previousCol->setText(QStringLiteral("Text8"));
    {
        // Its cell is gone; the set-up only empties the coefficient editor.
        const QSignalBlocker quiet(Text4);
        Text4->setText(QString());
    }
    curRow.reset();
    for (int panel = 1; panel <= 4; ++panel)
        StatusBar1->setPanelText(panel, QString());
    exchange_->forgetPastes();
    solutionRe_.clear();
    solutionIm_.clear();
    systemPath_.clear();
    systemName_ = QStringLiteral("system.tsv");
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::newSystem_Click()
{
    if (!askCount_ || !mayReplaceSystem() || !askCount_())
        return;
    replaceSystem([this] {
        startAgain();
        Form_Load();
        systemParameters_->set({});
    });
}

void Form1::takeSystem(const BlockPaste::Rows& rows)
{
    if (!editing())
        back_Click();
    if (static_cast<int>(rows.size()) == N) {
        exchange_->pasteRows(Grid1, rows, 1, 1);
        return;
    }
    startAgain();
    setUpTables(static_cast<int>(rows.size()));
    exchange_->pasteRows(Grid1, rows, 1, 1);
    // A new window's tables, not a paste into the old ones.
    exchange_->forgetPastes();
}

void Form1::openSystem_Click()
{
    if (!mayReplaceSystem())
        return;
    const QString path = fileDialogs_->openFileName(this, QStringLiteral("Open system"), systemFilter);
    if (!path.isEmpty())
        openSystemFile(path);
}

void Form1::openRecent_Click(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        // Off the list; the menu shows it so the next time it opens.
        recent_->remove(path);
        messages_.show(MessageBox::Style::Stop,
                       QStringLiteral("The file \"%1\" is no longer there; it is taken off the list of recent files.")
                           .arg(QDir::toNativeSeparators(path)),
                       QStringLiteral("KALVOR1"));
        return;
    }
    if (mayReplaceSystem())
        openSystemFile(path);
}

void Form1::openSystemFile(const QString& path)
{
    DroppedSystem system = readSystemFileAt(path);
    if (!system.refusal.isEmpty()) {
        messages_.show(MessageBox::Style::Stop, system.refusal, QStringLiteral("KALVOR1"));
        return;
    }
    // As a dropped file; a recovery file (Recover) holds the cells' own
    // texts and is taken as it is.
    convertPolarFields(system.rows);
    replaceSystem([this, &system] {
        takeSystem(system.rows);
        // The file's system is the window's now, its parameters too.
        systemParameters_->set(std::move(system.parameters));
    });
    recent_->add(path);
    const QFileInfo info(path);
    folder_ = info.absolutePath();
    // Save writes tabs: it may write over a tab-separated file, but a comma
    // or semicolon file is never turned into tabs under its own name; Save
    // asks, proposing the name with a .tsv ending.
    systemPath_ = system.separator == '\t' ? path : QString();
    systemName_ = info.completeBaseName() + QStringLiteral(".tsv");
}

void Form1::recoverSystem_Click(const QString& path)
{
    DroppedSystem system = readSystemFileAt(path);
    if (!system.refusal.isEmpty()) {
        messages_.show(MessageBox::Style::Stop, system.refusal, QStringLiteral("KALVOR1"));
        return;
    }
    if (!mayReplaceSystem())
        return;
    replaceSystem([this, &system] {
        takeSystem(system.rows);
        systemParameters_->set(std::move(system.parameters));
    });
    // The recovery file is the program's, not a file of the user's.
    systemPath_.clear();
    systemName_ = QStringLiteral("system.tsv");
}

QString Form1::proposedName(const QString& name) const
{
    return QDir(folder_).filePath(name);
}

void Form1::saveSystem_Click()
{
    saveSystemNow();
}

bool Form1::saveSystemNow()
{
    if (systemPath_.isEmpty()) {
        const QString path = fileDialogs_->saveFileName(this, QStringLiteral("Save system as"),
                                                        proposedName(systemName_), systemFilter, QStringLiteral("tsv"));
        return !path.isEmpty() && saveSystemTo(path);
    }
    return saveSystemTo(systemPath_);
}

void Form1::saveSystemAs_Click()
{
    const QString proposed = systemPath_.isEmpty() ? proposedName(systemName_) : systemPath_;
    const QString path = fileDialogs_->saveFileName(this, QStringLiteral("Save system as"), proposed, systemFilter,
                                                    QStringLiteral("tsv"));
    if (!path.isEmpty())
        saveSystemTo(path);
}

bool Form1::saveSystemTo(const QString& path)
{
    std::string text = currentSystemText();
    if (!writeFile(path, text))
        return false;
    keptSystem_ = std::move(text);
    systemPath_ = path;
    folder_ = QFileInfo(path).absolutePath();
    recent_->add(path);
    return true;
}

void Form1::saveSolutionAs_Click()
{
    if (!back->isEnabled())
        return;
    const QString path = fileDialogs_->saveFileName(this, QStringLiteral("Save solution as"),
                                                    proposedName(QStringLiteral("solution.tsv")), solutionFilter,
                                                    QStringLiteral("tsv"));
    if (path.isEmpty())
        return;
    std::vector<std::string> labels, texts;
    for (std::size_t k = 0; k < solutionRe_.size(); ++k) {
        const int row = static_cast<int>(k) + 1;
        labels.push_back(Grid3->TextMatrix(row, 0).toStdString());
        texts.push_back(Grid3->TextMatrix(row, 1).toStdString());
    }
    // The further columns shown beside the defined one, each one entry.
    std::vector<SolutionColumn> extra;
    if (showPolar_)
        extra.push_back({"Polar", polarTexts()});
    // Empty while the check runs or when it vouches for no digit: then the
    // column would say nothing.
    if (accurateValuesShown() && !accurateTexts().empty())
        extra.push_back({"Accurate", accurateTexts()});
    if (writeFile(path, writeSolutionFile(labels, texts, solutionRe_, solutionIm_, extra)))
        folder_ = QFileInfo(path).absolutePath();
}

bool Form1::writeFile(const QString& path, const std::string& text)
{
    const QString reason = saveAtomically(path, QByteArray::fromStdString(text));
    if (reason.isEmpty())
        return true;
    messages_.show(MessageBox::Style::Stop,
                   QStringLiteral("The file \"%1\" cannot be written: %2. The tables, and any file already there, "
                                  "are as they were.")
                       .arg(QDir::toNativeSeparators(path), reason),
                   QStringLiteral("KALVOR1"));
    return false;
}

}  // namespace kalvor
