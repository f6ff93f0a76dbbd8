// The equation window's File menu: new systems, system files opened and
// saved, the solution saved, and the recovery file that keeps the system
// between runs. Reading a file is systemfiledrop's, the atomic write
// savedfile's, the recovery file's timing RecoveryFile's; the handlers here
// only ask for names and route.
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
#include "core/tabletext.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/qfiledialogs.h"
#include "platform/savedfile.h"
#include "platform/statusbar.h"
#include "windows/form1.h"
#include "windows/systemparameters.h"
#include "windows/recoveryfile.h"
#include "windows/systemfiledrop.h"

namespace kalvor {

namespace {

const QString systemFilter = QStringLiteral("Systems (*.tsv *.csv *.txt);;All files (*)");
const QString solutionFilter = QStringLiteral("Tab-separated text (*.tsv *.txt);;All files (*)");

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
    item(saveSystem, "saveSystem", QStringLiteral("&Save system"), QKeySequence(Qt::CTRL | Qt::Key_S),
         &Form1::saveSystem_Click);
    item(saveSystemAs, "saveSystemAs", QStringLiteral("Save system &as\u2026"),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &Form1::saveSystemAs_Click);
    item(saveSolutionAs, "saveSolutionAs", QStringLiteral("Save so&lution as\u2026"), {}, &Form1::saveSolutionAs_Click);
    item(recoverSystem, "recoverSystem", QStringLiteral("&Recover last system"), {}, &Form1::recoverSystem_Click);
    file->addSeparator();
    exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("exit"));

    ownFileDialogs_ = std::make_unique<QtFileDialogs>();
    fileDialogs_ = ownFileDialogs_.get();
    folder_ = QDir::homePath();
    systemName_ = QStringLiteral("system.tsv");
}

void Form1::connectFileMenu()
{
    // Enabled exactly while the solution is shown, as Back is: after Back
    // the tables may change, and the solution would no longer be theirs.
    saveSolutionAs->setEnabled(false);
    connect(back, &QAction::changed, this, [this] { saveSolutionAs->setEnabled(back->isEnabled()); });

    recovery_ = new RecoveryFile(
        [this] { return writeSystemFile(systemParameters_->parameters(), exchange_->systemRows(), '\t'); }, this);
    recoverSystem->setEnabled(!recovery_->recovered().empty());
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
        StatusBar1->setPanelText(4, notice);
        qWarning("%s: %s", qPrintable(notice), qPrintable(RecoveryFile::location()));
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
    if (!askCount_ || !askCount_())
        return;
    startAgain();
    Form_Load();
    systemParameters_->set({});
    recovery_->changed();
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
    recovery_->changed();
}

void Form1::openSystem_Click()
{
    const QString path = fileDialogs_->openFileName(this, QStringLiteral("Open system"), systemFilter);
    if (path.isEmpty())
        return;
    DroppedSystem system = readSystemFileAt(path);
    if (!system.refusal.isEmpty()) {
        messages_.show(MessageBox::Style::Stop, system.refusal, QStringLiteral("KALVOR1"));
        return;
    }
    // As a dropped file; the recovery file (Recover) holds the cells' own
    // texts and is taken as it is.
    convertPolarFields(system.rows);
    takeSystem(system.rows);
    // The file's system is the window's now, its parameters too.
    systemParameters_->set(std::move(system.parameters));
    const QFileInfo info(path);
    folder_ = info.absolutePath();
    // Save writes tabs: it may write over a tab-separated file, but a comma
    // or semicolon file is never turned into tabs under its own name; Save
    // asks, proposing the name with a .tsv ending.
    systemPath_ = system.separator == '\t' ? path : QString();
    systemName_ = info.completeBaseName() + QStringLiteral(".tsv");
}

void Form1::recoverSystem_Click()
{
    if (recovery_->recovered().empty())
        return;
    takeSystem(recovery_->recovered());
    systemParameters_->set(recovery_->recoveredParameters());
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
    if (systemPath_.isEmpty())
        saveSystemAs_Click();
    else
        saveSystemTo(systemPath_);
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
    if (!writeFile(path, writeSystemFile(systemParameters_->parameters(), exchange_->systemRows(), '\t')))
        return false;
    systemPath_ = path;
    folder_ = QFileInfo(path).absolutePath();
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
    BlockPaste::Rows rows;
    for (std::size_t k = 0; k < solutionRe_.size(); ++k) {
        const int row = static_cast<int>(k) + 1;
        rows.push_back({Grid3->TextMatrix(row, 0).toStdString(), Grid3->TextMatrix(row, 1).toStdString(),
                        shortestText(solutionRe_[k]), shortestText(solutionIm_[k])});
    }
    if (writeFile(path, writeTableText(rows, '\t')))
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
