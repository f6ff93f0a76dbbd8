#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace kalvor {

// The order in which the undoable changes of the system were made, across
// the kinds of change that keep their own histories (pastes into the tables,
// parameter tables): Ctrl+Z takes back the last change not yet undone,
// whichever kind it is. Each kind's own history stays the record of what a
// change was; this only remembers which kind came when.
class ChangeOrder {
public:
    enum class Kind { Paste, Parameters };

    // `kind` now has `depth` changes not yet undone. Changes beyond the ones
    // known are the newest of all; changes gone (undone or forgotten by
    // their history) are taken from the latest of that kind.
    void follow(Kind kind, std::size_t depth);
    // The kind of the last change not yet undone; none when nothing is left.
    std::optional<Kind> last() const;

private:
    std::vector<Kind> order_;
};

}  // namespace kalvor
