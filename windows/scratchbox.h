#pragma once

#include <utility>

#include <QLineEdit>
#include <QString>

#include "core/partcell.h"

namespace kalvor {

// The scratch box Text9 while parted or partedb reads the cells. The box
// gives back every text unchanged and nothing listens to it, so passing each
// cell through it leaves one trace only: the text it holds afterwards, the
// last cell read. That text is set once when the reading ends, also when it
// ends early by a failure, instead of a widget update per cell.
class ScratchBox {
public:
    explicit ScratchBox(QLineEdit* box) : box_(box) {}

    // Runs the reading loop `reading`, then leaves the box as it would be.
    template <typename Reading>
    void read(Reading&& reading)
    {
        try {
            reading();
        } catch (...) {
            leaveLastText();
            throw;
        }
        leaveLastText();
    }

    // One cell text as the box would give it back, split.
    CellParts pass(QString cellText)
    {
        last_ = std::move(cellText);
        passed_ = true;
        return partcell(last_.toStdString());
    }

private:
    void leaveLastText()
    {
        if (passed_)
            box_->setText(last_);
    }

    QLineEdit* box_;
    QString last_;
    bool passed_ = false;
};

} // namespace kalvor
