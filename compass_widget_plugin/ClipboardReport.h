#pragma once

#include <string>

namespace velmora::plugin::compass_widget {

// The panel's texts that go into the clipboard report, each as the widget
// shows it (8-bit, as QString::toStdString gives it). Labels carry the words
// and blanks between a name and its value.
struct ClipboardReportTexts
{
    std::string orientation;
    std::string latitudeLabel;
    std::string latitude;
    std::string latitudeDegrees;
    std::string latitudeMinutes;
    std::string latitudeSeconds;
    std::string longitudeLabel;
    std::string longitude;
    std::string longitudeDegrees;
    std::string longitudeMinutes;
    std::string longitudeSeconds;
    std::string elevationLabel;
    std::string elevation;
    std::string gccXLabel;
    std::string gccX;
    std::string gccYLabel;
    std::string gccY;
    std::string gccZLabel;
    std::string gccZ;
    std::string localXLabel;
    std::string localX;
    std::string localYLabel;
    std::string localY;
    std::string localZLabel;
    std::string localZ;
    std::string mgrs;
    std::string utmZone;
    std::string utmBand;
    std::string utmEasting;
    std::string utmNorthing;
};

// The fourteen-line plain-text report of the shown location: orientation,
// the geodetic lines (decimal and deg/min/sec together), the GCC and Local
// blocks, then MGRS and UTM. Every line ends with a single '\n' and none
// carries a '\r'. Texts are copied as they are, empty ones included; nothing
// is parsed or checked.
std::string clipboardReport(const ClipboardReportTexts& texts);

} // namespace velmora::plugin::compass_widget
