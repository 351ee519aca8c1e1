// The panel's number texts: any text a user may type or paste reads as a
// finite number, and a finite number's text never says "nan" or "inf" and
// reads back within the 8 significant digits it shows.
//
// Input: the text (UTF-8); its first 8 bytes also as a raw double.

#include "FuzzCheck.h"
#include "NumberText.h"

#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

using velmora::plugin::compass_widget::formatDouble;
using velmora::plugin::compass_widget::textToDouble;

namespace {

void checkFormat(double value)
{
    if (!std::isfinite(value))
        return;
    const QString text = formatDouble(value);
    const QByteArray shown = text.toUtf8();
    FUZZ_CHECK(!text.contains(QLatin1String("nan"), Qt::CaseInsensitive) &&
                   !text.contains(QLatin1String("inf"), Qt::CaseInsensitive),
               "%.17g shown as '%s'", value, shown.constData());
    const double back = textToDouble(text);
    // Rounding to 8 significant digits moves a value by at most half a unit
    // of the 8th digit, 5e-8 of it; subnormals add their own spacing.
    const double tolerance = 5e-8 * std::fabs(value) + std::numeric_limits<double>::denorm_min();
    FUZZ_CHECK(std::fabs(back - value) <= tolerance, "%.17g shown as '%s' reads back as %.17g", value,
               shown.constData(), back);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const double typed = textToDouble(text);
    FUZZ_CHECK(std::isfinite(typed), "'%s' reads as %.17g", text.toUtf8().constData(), typed);
    checkFormat(typed);

    if (size >= sizeof(double)) {
        double raw = 0.0;
        std::memcpy(&raw, data, sizeof raw);
        checkFormat(raw);
    }
    return 0;
}
