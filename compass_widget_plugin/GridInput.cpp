#include "GridInput.h"

#include "NumberText.h"

#include <cctype>

namespace velmora::plugin::compass_widget {

QString validateUtmTexts(const UtmTexts& texts, UtmLocation& utm)
{
    if (texts.zone.isEmpty() || texts.band.isEmpty() || texts.easting.isEmpty() || texts.northing.isEmpty())
        return QStringLiteral("There is a blank field");

    const unsigned int zone = textToUnsigned(texts.zone);
    if (zone < 1 || zone > 60)
        return QStringLiteral("Zone needs to from 1 to 60");

    const char band = texts.band.at(0).toUpper().toLatin1();
    if (band == 'I' || band == 'O')
        return QStringLiteral("UTM Band cannot be an I or an O");

    utm.zone = zone;
    utm.band = band;
    utm.easting = textToDouble(texts.easting);
    utm.northing = textToDouble(texts.northing);
    return {};
}

char mgrsBandLetter(const std::string& reference)
{
    std::string text;
    for (const char c : reference) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::size_t letters = 0;
    std::size_t pos = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    const bool hasZone = pos > 0;
    while (pos + letters < text.size() && std::isalpha(static_cast<unsigned char>(text[pos + letters])))
        ++letters;
    // A zone number is followed by the band; a polar reference is its band and
    // two square letters; two letters alone are a square without designation.
    if ((hasZone && letters >= 1) || (!hasZone && letters == 3))
        return text[pos];
    return '\0';
}

} // namespace velmora::plugin::compass_widget
