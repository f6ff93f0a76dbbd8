#pragma once

#include <cstddef>

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace kalvor {

class SystemParameters;

// The Parameters window: one row per parameter, its name and its formula
// (both editable) and its value as a result is shown and in polar form, and
// an empty last row to add one. A bad name is refused with a message saying
// why, leaving the row as it was; an unknown name or a cycle is shown in
// the row's value, and the first such problem under the table. Ctrl+Z (or
// Undo) takes the last change back. Not modal: it stays open beside the
// equation window while cells are typed.
class ParametersWindow final : public QDialog {
    Q_OBJECT

public:
    // The columns of the table.
    enum Column { NameColumn, FormulaColumn, ValueColumn, PolarColumn };

    // `parameters` must outlive the window.
    explicit ParametersWindow(SystemParameters& parameters, QWidget* parent = nullptr);

    // While not editable (the solution is shown) nothing can be changed.
    void setEditable(bool editable);

private:
    void setUpTable();
    void setUpButtons();
    // The rows as the table stands, with the first problem under them.
    void showTable();
    void cellEdited(QTableWidgetItem* item);
    // A name or formula typed into row `row`; false, after the message,
    // when it cannot be taken.
    bool takeEdit(std::size_t row, int column, const QString& text);
    void removeCurrent();
    void undo();
    void showProblem(const QString& text);

    SystemParameters& parameters_;
    QTableWidget* rows_ = nullptr;
    QLabel* problem_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* undo_ = nullptr;
    bool editable_ = true;
    bool filling_ = false;
};

}  // namespace kalvor
