#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include <QLineEdit>
#include <QString>

#include "core/formula/formula.h"
#include "core/partcell.h"
#include "core/readingreport.h"
#include "windows/readingnotes.h"

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
    template <typename Reading> void read(Reading&& reading)
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
        const std::string& utf8 = toUtf8(last_);
        CellParts parts = splitCell(utf8, lastReading_.dropsText);
        lastReading_.unitFirst = unitBeforeNumber(utf8);
        lastReading_.formula = isFormula(utf8) ? std::string_view(utf8) : std::string_view();
        return parts;
    }

    // What the reading of the last cell passed did: whether its split drops
    // typed text, whether it is a plain cell with a unit written directly
    // before a number ("j5", "3+j4"), its text if it is a formula (valid
    // until the next cell is passed).
    const ReadingNotes::Reading& lastReading() const { return lastReading_; }

private:
    // The text in UTF-8, in a buffer kept from cell to cell: typed numbers
    // are ASCII, copied byte for byte without the general conversion.
    const std::string& toUtf8(const QString& text)
    {
        utf8_.resize(static_cast<std::size_t>(text.size()));
        const QChar* units = text.constData();
        for (std::size_t i = 0; i < utf8_.size(); ++i) {
            if (units[i].unicode() >= 0x80) {
                utf8_ = text.toStdString();
                break;
            }
            utf8_[i] = static_cast<char>(units[i].unicode());
        }
        return utf8_;
    }

    void leaveLastText()
    {
        if (passed_)
            box_->setText(last_);
    }

    QLineEdit* box_;
    QString last_;
    bool passed_ = false;
    ReadingNotes::Reading lastReading_;
    std::string utf8_;
};

}  // namespace kalvor
