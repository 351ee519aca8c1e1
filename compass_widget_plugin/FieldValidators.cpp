#include "FieldValidators.h"

#include "DecimalFieldValidator.h"

#include <QDoubleValidator>
#include <QIntValidator>
#include <QRegExp>
#include <QRegExpValidator>

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

QIntValidator* createIntValidator(int bottom, int top, QObject* parent)
{
    auto* validator = new QIntValidator(bottom, top, parent);
    validator->setLocale(fieldLocale());
    return validator;
}

QRegExpValidator* createBandValidator(QObject* parent)
{
    auto* validator =
        new QRegExpValidator(QRegExp(QStringLiteral("[C-X]"), Qt::CaseInsensitive, QRegExp::RegExp), parent);
    // Letters are not numbers, but one locale for all fields keeps the panel uniform.
    validator->setLocale(fieldLocale());
    return validator;
}

} // namespace velmora::plugin::compass_widget
