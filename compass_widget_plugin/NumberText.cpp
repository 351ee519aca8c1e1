#include "NumberText.h"

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

} // namespace velmora::plugin::compass_widget
