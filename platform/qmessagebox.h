#pragma once

#include "platform/messagebox.h"

namespace kalvor {

// The real message box: a modal QMessageBox with the icon of the style, a
// single OK button, and the message and title exactly as given.
class QtMessageBox final : public MessageBox {
public:
    // Shows the box and waits in a nested event loop until it is dismissed.
    void show(Style style, const QString& message, const QString& title) override;
};

}  // namespace kalvor
