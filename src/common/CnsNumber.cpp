#include "common/CnsNumber.h"

#include <QString>

namespace tavro {

namespace {

int weightedSum(QStringView digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += digits[i].digitValue() * int(15 - i);
    return sum;
}

// The number a definitive card with this PIS has.
QString definitiveCard(QStringView pis)
{
    int digit = 11 - weightedSum(pis) % 11;
    if (digit == 11)
        digit = 0;
    if (digit == 10) {
        // The filler "001" adds 2 (its 1 weighs 2) and leaves the sum a multiple of 11 again.
        digit = 11 - (weightedSum(pis) + 2) % 11;
        return pis.toString() + QStringLiteral("001") + QString::number(digit == 11 ? 0 : digit);
    }
    return pis.toString() + QStringLiteral("000") + QString::number(digit);
}

} // namespace

bool cnsCheckDigitValid(QStringView cns)
{
    if (cns.size() != 15)
        return false;
    for (const QChar c : cns) {
        if (c < u'0' || c > u'9')
            return false;
    }
    switch (cns[0].unicode()) {
    case u'1':
    case u'2':
        return definitiveCard(cns.left(11)) == cns;
    case u'7':
    case u'8':
    case u'9':
        return weightedSum(cns) % 11 == 0;
    default:
        return false;
    }
}

} // namespace tavro
