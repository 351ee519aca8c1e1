#include "NumberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

namespace velmora::plugin::compass_widget {

namespace {

std::size_t skipDigits(const std::string& text, std::size_t& pos)
{
    const std::size_t start = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    return pos - start;
}

// The longest leading part of text that is a decimal number, with an
// exponent only when it has digits: the stream reader would fail on "12e"
// as a whole and give 0 instead of 12.
std::string leadingNumber(const std::string& text)
{
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    const std::size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    std::size_t digits = skipDigits(text, pos);
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        digits += skipDigits(text, pos);
    }
    if (digits == 0)
        return {};
    std::size_t end = pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        if (skipDigits(text, pos) > 0)
            end = pos;
    }
    return text.substr(start, end - start);
}

} // namespace

QString formatDouble(double value, int maxDecimals)
{
    if (!std::isfinite(value))
        return QString::number(value, 'g', 8);
    // Eight significant digits first, then no digit finer than the field's resolution.
    const double significant = QString::number(value, 'g', 8).toDouble();
    QString text = QString::number(significant, 'f', maxDecimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

double textToDouble(const QString& text)
{
    std::istringstream stream(leadingNumber(text.toStdString()));
    // The program's global C++ locale may have been changed; the fields never are.
    stream.imbue(std::locale::classic());
    double value = 0.0;
    stream >> value;
    return value;
}

unsigned int textToUnsigned(const QString& text)
{
    std::istringstream stream(text.toStdString());
    stream.imbue(std::locale::classic());
    // Read signed and wider, so "-5" is recognised rather than wrapped around.
    long long value = 0;
    stream >> value;
    constexpr long long largest = std::numeric_limits<unsigned int>::max();
    return static_cast<unsigned int>(std::clamp(value, 0LL, largest));
}

} // namespace velmora::plugin::compass_widget
