#pragma once

#include <vector>

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace kalvor {

// The "Number forms" page: every way a cell may be written, one example
// each, with what the example is read as. A plain window over the equation
// window, shown while the user types (not modal); the Tools menu and F1
// bring it up, Close or Esc put it away.
class NumberFormsWindow final : public QDialog {
    Q_OBJECT

public:
    // One line of the page: the kind of cell it belongs to, the form in
    // words, an example cell text and the number that example is read as,
    // written as a plain cell would be typed.
    struct Form {
        QString kind;
        QString form;
        QString example;
        QString readAs;
    };
    // The page's lines, in the order shown. Examples that use parameters
    // use these: R = 10, w = 100, L = 0.2.
    static const std::vector<Form>& forms();

    explicit NumberFormsWindow(QWidget* parent = nullptr);

private:
    void setUpTable();
    void setUpButtons();

    QTextBrowser* page_ = nullptr;
};

}  // namespace kalvor
