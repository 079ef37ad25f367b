#pragma once

#include <QStringView>

namespace tavro {

// Does the health card number pass its public check? It has 15 digits; a definitive card
// (first digit 1 or 2) carries its holder's 11-digit PIS, a filler ("000", or "001" when the
// PIS's check digit would be 10) and the check digit, so that the weighted sum of its digits
// (by 15 down to 1) is a multiple of 11; a provisional card (7, 8 or 9) has only that sum to
// meet. Any other first digit is no card. The service takes a number that fails this, but
// is likely to flag it.
bool cnsCheckDigitValid(QStringView cns);

} // namespace tavro
