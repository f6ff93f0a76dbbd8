#pragma once

#include <QString>

namespace kalvor {

// A modal message with a single OK button. Windows receive one by reference so
// that tests can record messages instead of showing them.
class MessageBox {
public:
    enum class Style {
        Stop,        // stop icon, OK only
        Plain,       // no icon, OK only
        Information  // information icon, OK only
    };

    virtual ~MessageBox() = default;

    // Modal; returns when dismissed. An empty title means the program's own
    // title ("KALVOR1").
    virtual void show(Style style, const QString& message, const QString& title) = 0;
};

}  // namespace kalvor
