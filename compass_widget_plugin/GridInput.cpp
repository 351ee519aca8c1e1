#include "GridInput.h"

#include "NumberText.h"

#include <QRegularExpression>

#include <cctype>
#include <utility>

namespace velmora::plugin::compass_widget {

QString validateUtmTexts(const UtmTexts& texts, UtmLocation& utm, UtmField& faulty)
{
    const std::pair<const QString&, UtmField> fields[] = {{texts.zone, UtmField::Zone},
                                                          {texts.band, UtmField::Band},
                                                          {texts.easting, UtmField::Easting},
                                                          {texts.northing, UtmField::Northing}};
    for (const auto& [text, field] : fields) {
        if (text.isEmpty()) {
            faulty = field;
            return QStringLiteral("There is a blank field");
        }
    }

    // Signed, so "-5" is refused rather than read as zone 5.
    bool whole = false;
    const int zone = texts.zone.trimmed().toInt(&whole);
    if (!whole || zone < 1 || zone > 60) {
        faulty = UtmField::Zone;
        return QStringLiteral("The zone number must be from 1 to 60");
    }

    const char band = texts.band.at(0).toUpper().toLatin1();
    if (band == 'I' || band == 'O') {
        faulty = UtmField::Band;
        return QStringLiteral("UTM Band cannot be an I or an O");
    }

    utm.zone = static_cast<unsigned int>(zone);
    utm.band = band;
    utm.easting = textToDouble(texts.easting);
    utm.northing = textToDouble(texts.northing);
    return {};
}

QString placeBandNote(char used, char placed)
{
    if (used == placed)
        return {};
    return QStringLiteral("This place lies in band %1, not %2").arg(QLatin1Char(placed)).arg(QLatin1Char(used));
}

QString mgrsRefusal(const std::string& reference, const std::string& hostError)
{
    QString text = QString::fromStdString(reference).toUpper();
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    // A zone and band, a polar band and square, or a square alone; then up to
    // 11 digits for each of easting and northing.
    static const QRegularExpression shape(
        QStringLiteral("^([0-9]{1,2}[A-Z]([A-Z]{2})?|[A-Z]{2,3})([0-9]{2}){0,11}$"));
    const bool hasDigits = text.contains(QRegularExpression(QStringLiteral("[0-9]")));
    if (hasDigits && shape.match(text).hasMatch())
        return QString::fromStdString(hostError);
    return QStringLiteral("This is not an MGRS reference such as 10TES9450789496");
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
