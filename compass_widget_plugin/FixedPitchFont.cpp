#include "FixedPitchFont.h"

#include <QFontInfo>

namespace velmora::plugin::compass_widget {

QFont fixedPitchFont()
{
    QFont font(QStringLiteral("monospace"));
    if (QFontInfo(font).fixedPitch())
        return font;
    // Font configurations differ in whether they map the generic family name.
    font.setStyleHint(QFont::Monospace, QFont::PreferDefault);
    if (QFontInfo(font).fixedPitch())
        return font;
    font.setStyleHint(QFont::TypeWriter, QFont::PreferDefault);
    if (QFontInfo(font).fixedPitch())
        return font;
    font.setFamily(QStringLiteral("courier"));
    return font;
}

} // namespace velmora::plugin::compass_widget
