#pragma once

#include <QDoubleValidator>

namespace velmora::plugin::compass_widget {

// A double validator for fields that are written and read with '.' as the
// decimal point. Users whose locale writes a decimal comma type one out of
// habit; dropping it would silently turn "12,5" into 125, so for them a
// typed ',' becomes '.'. Everyone else gets ',' refused, as the readers
// would stop at it.
class DecimalFieldValidator : public QDoubleValidator
{
    Q_OBJECT

public:
    explicit DecimalFieldValidator(QObject* parent);

    State validate(QString& input, int& pos) const override;
};

} // namespace velmora::plugin::compass_widget
