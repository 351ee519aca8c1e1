#include "NumberText.h"

#include <algorithm>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

namespace velmora::plugin::compass_widget {

QString formatDouble(double value)
{
    return QString::number(value, 'g', 8);
}

double textToDouble(const QString& text)
{
    std::istringstream stream(text.toStdString());
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
