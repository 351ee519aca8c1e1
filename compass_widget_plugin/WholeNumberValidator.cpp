#include "WholeNumberValidator.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace velmora::plugin::compass_widget {

WholeNumberValidator::WholeNumberValidator(int bottom, int top, QObject* parent) : QIntValidator(bottom, top, parent)
{
}

QValidator::State WholeNumberValidator::validate(QString& input, int& pos) const
{
    const State state = QIntValidator::validate(input, pos);
    if (state != Invalid)
        return state;
    // A sign and no more digits than the range's widest number: shown, and refused when finished.
    const int digits = static_cast<int>(QString::number(std::max(std::abs(bottom()), std::abs(top()))).size());
    const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]{0,%1}$").arg(digits));
    return wholeNumber.match(input).hasMatch() ? Intermediate : Invalid;
}

} // namespace velmora::plugin::compass_widget
