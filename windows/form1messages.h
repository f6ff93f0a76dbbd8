#pragma once

#include <QString>

namespace kalvor {

// The texts of the two message boxes Solve can bring, word for word as the
// user reads them: one copy for the window and its tests.
inline const QString noSolutionMessage
    = QStringLiteral("This equations have no solution OR This equation have infinite number of solutions "
                     "The unknowns is dependent variables , Please...Use 'Kalvor2'");
inline const QString dataErrorMessage = QStringLiteral("Try to write '(imaginary)i in form '0+(imaginary)i");

}  // namespace kalvor
