#pragma once

#include "platform/savequestion.h"

namespace kalvor {

// The real question: a modal QMessageBox with Save (the default), Discard
// and Cancel (also Esc and the close box).
class QtSaveQuestion final : public SaveQuestion {
public:
    Answer ask(QWidget* parent) override;
};

}  // namespace kalvor
