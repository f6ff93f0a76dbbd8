#pragma once

class QWidget;

namespace kalvor {

// The question asked before a changed system is replaced (New, Open,
// Recover): "Save changes to the system?" with Save, Discard and Cancel.
// Windows receive one by reference, so that tests answer it instead of
// showing a modal dialog.
class SaveQuestion {
public:
    enum class Answer { Save, Discard, Cancel };

    virtual ~SaveQuestion() = default;

    // Modal; the user's answer. Closing the dialog is Cancel.
    virtual Answer ask(QWidget* parent) = 0;
};

}  // namespace kalvor
