#include "FieldValidators.h"

#include "DecimalFieldValidator.h"
#include "WholeNumberValidator.h"

#include <QDoubleValidator>
#include <cmath>
#include <QIntValidator>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace velmora::plugin::compass_widget {

QLocale fieldLocale()
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

QDoubleValidator* createDoubleValidator(QObject* parent)
{
    auto* validator = new DecimalFieldValidator(parent);
    validator->setLocale(fieldLocale());
    return validator;
}

QDoubleValidator* createSecondsValidator(QObject* parent)
{
    QDoubleValidator* validator = createDoubleValidator(parent);
    validator->setNotation(QDoubleValidator::StandardNotation);
    // 60 itself is a whole minute; the largest double below it is the top.
    validator->setBottom(0.0);
    validator->setTop(std::nextafter(60.0, 0.0));
    return validator;
}

QIntValidator* createIntValidator(int bottom, int top, QObject* parent)
{
    auto* validator = new WholeNumberValidator(bottom, top, parent);
    validator->setLocale(fieldLocale());
    return validator;
}

QRegularExpressionValidator* createBandValidator(QObject* parent)
{
    auto* validator = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[C-X]"), QRegularExpression::CaseInsensitiveOption), parent);
    // Letters are not numbers, but one locale for all fields keeps the panel uniform.
    validator->setLocale(fieldLocale());
    return validator;
}

} // namespace velmora::plugin::compass_widget
