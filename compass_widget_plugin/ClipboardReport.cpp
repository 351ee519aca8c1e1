#include "ClipboardReport.h"

#include <sstream>

namespace velmora::plugin::compass_widget {

std::string clipboardReport(const ClipboardReportTexts& t)
{
    const char* const indent = "    ";
    std::ostringstream out;
    out << t.orientation << '\n';
    out << indent << t.latitudeLabel << t.latitude << " (" << t.latitudeDegrees << " " << t.latitudeMinutes << "' "
        << t.latitudeSeconds << "\")" << '\n';
    out << indent << t.longitudeLabel << t.longitude << " (" << t.longitudeDegrees << " " << t.longitudeMinutes
        << "' " << t.longitudeSeconds << "\")" << '\n';
    out << indent << t.elevationLabel << t.elevation << '\n';
    out << "GCC:" << '\n';
    out << indent << t.gccXLabel << t.gccX << '\n';
    out << indent << t.gccYLabel << t.gccY << '\n';
    out << indent << t.gccZLabel << t.gccZ << '\n';
    out << "Local:" << '\n';
    out << indent << t.localXLabel << t.localX << '\n';
    out << indent << t.localYLabel << t.localY << '\n';
    out << indent << t.localZLabel << t.localZ << '\n';
    out << indent << "MGRS:" << t.mgrs << '\n';
    out << indent << "UTM:" << t.utmZone << t.utmBand << " " << t.utmEasting << " " << t.utmNorthing << '\n';
    return out.str();
}

} // namespace velmora::plugin::compass_widget
