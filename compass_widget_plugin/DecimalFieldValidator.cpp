#include "DecimalFieldValidator.h"

namespace velmora::plugin::compass_widget {

DecimalFieldValidator::DecimalFieldValidator(QObject* parent) : QDoubleValidator(parent) {}

QValidator::State DecimalFieldValidator::validate(QString& input, int& pos) const
{
    // The user's locale, not the validator's own (which is C, like the readers).
    if (QLocale().decimalPoint() == QLatin1Char(','))
        input.replace(QLatin1Char(','), QLatin1Char('.'));
    return QDoubleValidator::validate(input, pos);
}

} // namespace velmora::plugin::compass_widget
