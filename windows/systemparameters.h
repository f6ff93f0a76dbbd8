#pragma once

#include <vector>

#include <QObject>
#include <QString>

#include "core/core.h"

namespace kalvor {

// The parameters of the equation window's system: an ordered table of
// "name = formula" rows with their values, which formula cells use. Every
// change is one step that undo() takes back, last first, and raises
// changed(); the owner treats it as a change of the system (the recovery
// file, the tooltips of formula cells).
class SystemParameters final : public QObject {
    Q_OBJECT

public:
    explicit SystemParameters(QObject* parent = nullptr);

    const std::vector<Parameter>& parameters() const { return parameters_; }
    // The values of parameters(), evaluated at each change.
    const ParameterValues& values() const { return values_; }

    // Replaces the whole table as one undoable change; nothing happens when
    // it is the same table.
    void set(std::vector<Parameter> parameters);
    // The reason `name` cannot be the name of row `row` (0-based; the row
    // count for a new row): a bad name (parameterNameProblem) or one that
    // another row already has. Empty when it can.
    QString nameProblem(const QString& name, std::size_t row) const;

    bool canUndo() const { return !history_.empty(); }
    // Changes not yet undone.
    std::size_t depth() const { return history_.size(); }
    // The table as it was before the last change not yet undone; false when
    // there is none.
    bool undo();
    // Forgets every change: the table as it stands is where undo stops.
    void forgetChanges() { history_.clear(); }

signals:
    void changed();

private:
    void take(std::vector<Parameter> parameters);

    std::vector<Parameter> parameters_;
    ParameterValues values_;
    std::vector<std::vector<Parameter>> history_;
};

}  // namespace kalvor
