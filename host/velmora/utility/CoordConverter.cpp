#include "velmora/utility/CoordConverter.h"

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

namespace velmora::utility {

namespace {

using GeographicLib::UTMUPS;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// MGRS latitude bands from 80S upwards, 8 degrees each; I and O are left out
// so they cannot be mistaken for digits.
constexpr char utmBands[] = "CDEFGHJKLMNPQRSTUVWX";
constexpr int bandCount = sizeof(utmBands) - 1;

// The UTM false northing of the southern hemisphere: the same point has
// northing n in the southern convention and n - 10,000 km in the northern.
constexpr double southernFalseNorthing = 10'000'000.0;

// UPS false easting: the 0/180 meridian line, which splits A from B and Y
// from Z.
constexpr double upsFalseEasting = 2'000'000.0;

constexpr unsigned int maxMgrsPrecision = 11;

enum class Hemisphere { none, north, south };

char toUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isUtmBand(char band)
{
    band = toUpper(band);
    return band != '\0' && std::strchr(utmBands, band) != nullptr;
}

bool isUpsBand(char band)
{
    band = toUpper(band);
    return band == 'A' || band == 'B' || band == 'Y' || band == 'Z';
}

// The hemisphere a zone/band pair stands for, or none when the band is no
// letter of that zone's kind (UTM bands for zones 1..60, polar ones for 0).
Hemisphere hemisphereOf(unsigned int zone, char band)
{
    band = toUpper(band);
    if (zone == UTMUPS::UPS) {
        if (!isUpsBand(band))
            return Hemisphere::none;
        return (band == 'Y' || band == 'Z') ? Hemisphere::north : Hemisphere::south;
    }
    if (zone > static_cast<unsigned int>(UTMUPS::MAXZONE) || !isUtmBand(band))
        return Hemisphere::none;
    return band >= 'N' ? Hemisphere::north : Hemisphere::south;
}

// Callers pass only latitudes in UTM's range [-80, 84); the clamp keeps X
// for 80..84 and guards the boundaries against rounding. The band must name
// the hemisphere the northing was computed in: a latitude a hair south of
// the equator rounds to 80 when added to it, and band N with a southern
// northing of 10,000 km would read back as a point near the north pole.
char utmBandFor(double latitude, bool northp)
{
    const int firstNorthern = bandCount / 2;
    const int index = static_cast<int>(std::floor((latitude + 80.0) / 8.0));
    return utmBands[northp ? std::clamp(index, firstNorthern, bandCount - 1) : std::clamp(index, 0, firstNorthern - 1)];
}

// The latitude whose band the MGRS letter shows. The point's own latitude,
// except on a band edge: a latitude of exactly 8 gets band P from
// convertGdcToUtm, but recomputed from easting and northing it may come out a
// hair below 8, in band N; and a northing typed as shown, rounded to the
// metre, may too. Within a hair of the caller's band, the caller's band is
// kept, so both forms of one place show the same letter. MGRS readers accept
// either letter that close to an edge.
double bandLatitude(unsigned int zone, bool northp, double easting, double northing, char band)
{
    double latitude = nan;
    double longitude = nan;
    UTMUPS::Reverse(static_cast<int>(zone), northp, easting, northing, latitude, longitude);
    if (!isUtmBand(band))
        return latitude;
    const char* const letter = std::strchr(utmBands, toUpper(band));
    // About a metre, the resolution of the UTM and MGRS texts: a northing
    // typed as shown lands within it.
    constexpr double hair = 1e-5;
    const double south = -80.0 + 8.0 * static_cast<double>(letter - utmBands);
    const double north = toUpper(band) == 'X' ? 84.0 : south + 8.0;
    if (latitude < south - hair || latitude >= north + hair)
        return latitude;
    return std::clamp(latitude, south, std::nextafter(north, south));
}

bool fail(std::string& error, const std::string& reason)
{
    error = reason;
    return false;
}

// A reference with its whitespace squeezed out, upper case, split into its
// groups: zone digits, letters (band and/or 100 km square), digits.
struct MgrsText
{
    std::string text;
    std::vector<std::size_t> gaps; // where whitespace stood in text
    std::size_t zoneDigits = 0;
    std::string letters;
    std::size_t digitsStart = 0;
    std::size_t digitCount = 0;
};

// Whitespace may only separate groups, so its places are remembered: "33TWN
// 84683 12345" is read, but "33TWN 8468 312345" (which looks like an easting
// of 8468) is refused later rather than silently re-split.
bool squeeze(const std::string& mgrs, MgrsText& out, std::string& error)
{
    bool gapPending = false;
    for (const char c : mgrs) {
        if (isSpace(c)) {
            gapPending = !out.text.empty();
            continue;
        }
        if (!isLetter(c) && !isDigit(c))
            return fail(error, "An MGRS reference has only letters, digits and spaces");
        if (gapPending) {
            out.gaps.push_back(out.text.size());
            gapPending = false;
        }
        out.text += toUpper(c);
    }
    if (out.text.empty())
        return fail(error, "Enter an MGRS reference");
    return true;
}

bool splitGroups(MgrsText& m, std::string& error)
{
    std::size_t pos = 0;
    while (pos < m.text.size() && isDigit(m.text[pos]))
        ++pos;
    m.zoneDigits = pos;
    while (pos < m.text.size() && isLetter(m.text[pos]))
        ++pos;
    m.letters = m.text.substr(m.zoneDigits, pos - m.zoneDigits);
    m.digitsStart = pos;
    for (; pos < m.text.size(); ++pos) {
        if (!isDigit(m.text[pos]))
            return fail(error, "Letters must come before the easting and northing digits");
    }
    m.digitCount = m.text.size() - m.digitsStart;
    if (m.letters.find_first_of("IO") != std::string::npos)
        return fail(error, "MGRS does not use the letters I and O");
    return true;
}

// The full reference handed to GeographicLib, completed with the incoming
// zone and band when it has no grid zone designation, and the places in the
// squeezed text where whitespace may stand.
bool completeReference(unsigned int zone, char band, const MgrsText& m, std::string& full,
                       std::vector<std::size_t>& groupBreaks, std::string& error)
{
    const std::size_t letterCount = m.letters.size();
    if (m.zoneDigits > 0) {
        const int referenceZone = m.zoneDigits <= 2 ? std::stoi(m.text.substr(0, m.zoneDigits)) : 0;
        if (referenceZone < UTMUPS::MINUTMZONE || referenceZone > UTMUPS::MAXUTMZONE)
            return fail(error, "The zone number must be from 1 to 60");
        if (letterCount == 0)
            return fail(error, "A latitude band letter must follow the zone number");
        if (!isUtmBand(m.letters[0]))
            return fail(error, std::string(1, m.letters[0]) + " is not a latitude band letter (C to X)");
        if (letterCount == 1)
            return fail(error, "Add the two letters of the 100 km square after the band letter");
        if (letterCount != 3)
            return fail(error, "After the zone number come a band letter and the two letters of the 100 km square");
        groupBreaks = {m.zoneDigits, m.zoneDigits + 1, m.zoneDigits + 3};
        full = m.text;
    } else if (letterCount == 3) {
        if (isUtmBand(m.letters[0]))
            return fail(error, "Add the zone number before the band letter");
        if (!isUpsBand(m.letters[0]))
            return fail(error, std::string(1, m.letters[0]) + " is not a band letter");
        groupBreaks = {1, 3};
        full = m.text;
    } else if (letterCount == 2) {
        if (zone < static_cast<unsigned int>(UTMUPS::MINUTMZONE) ||
            zone > static_cast<unsigned int>(UTMUPS::MAXUTMZONE) || !isUtmBand(band))
            return fail(error, "The reference has no zone; add the zone number and band, e.g. 33T");
        groupBreaks = {2};
        full = std::to_string(zone) + toUpper(band) + m.text;
    } else if (letterCount == 1 && isUpsBand(m.letters[0])) {
        return fail(error, "Add the two letters of the 100 km square after the band letter");
    } else if (letterCount < 3) {
        return fail(error, "The 100 km square needs exactly two letters");
    } else {
        return fail(error, "Too many letters in the reference");
    }
    return true;
}

bool checkDigits(const MgrsText& m, std::vector<std::size_t> groupBreaks, std::string& error)
{
    if (m.digitCount % 2 != 0)
        return fail(error, "The easting and northing need the same number of digits");
    if (m.digitCount > 2 * maxMgrsPrecision)
        return fail(error, "Too many digits: at most 11 each for easting and northing");
    groupBreaks.push_back(m.digitsStart + m.digitCount / 2);
    for (const std::size_t gap : m.gaps) {
        if (std::find(groupBreaks.begin(), groupBreaks.end(), gap) == groupBreaks.end())
            return fail(error, "Spaces may only separate the zone, the 100 km square, the easting and the northing");
    }
    return true;
}

bool readMgrs(unsigned int zone, char band, const std::string& mgrs, unsigned int& zoneOut, double& easting,
              double& northing, std::string& error)
{
    MgrsText m;
    std::string full;
    std::vector<std::size_t> groupBreaks;
    if (!squeeze(mgrs, m, error) || !splitGroups(m, error) ||
        !completeReference(zone, band, m, full, groupBreaks, error) || !checkDigits(m, groupBreaks, error))
        return false;

    int referenceZone = 0;
    bool northp = false;
    double x = nan;
    double y = nan;
    int precision = 0;
    try {
        // centerp = false: the south-west corner of the cell is the point as
        // written, which is what a panel echoing the user's input must show.
        GeographicLib::MGRS::Reverse(full, referenceZone, northp, x, y, precision, false);
    } catch (const GeographicLib::GeographicErr&) {
        // Everything syntactic is checked above, so what GeographicLib still
        // refuses is a square letter pair that does not exist in the zone.
        const std::size_t squareStart = full.size() - m.digitCount - 2;
        return fail(error, "The 100 km square " + full.substr(squareStart, 2) + " is not in grid zone " +
                               full.substr(0, squareStart));
    }

    if (referenceZone != UTMUPS::UPS && isUtmBand(band)) {
        const bool callerNorth = toUpper(band) >= 'N';
        if (callerNorth && !northp)
            y -= southernFalseNorthing;
        else if (!callerNorth && northp)
            y += southernFalseNorthing;
    }

    zoneOut = static_cast<unsigned int>(referenceZone);
    easting = x;
    northing = y;
    error.clear();
    return true;
}

} // namespace

void CoordConverter::convertGccToGdc(double x, double y, double z, double& latitude, double& longitude,
                                     double& elevation)
{
    latitude = longitude = elevation = nan;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
        return;
    try {
        double lat = nan;
        double lon = nan;
        double h = nan;
        GeographicLib::Geocentric::WGS84().Reverse(x, y, z, lat, lon, h);
        // Far beyond any double's reach the height overflows; that is no place either.
        if (!std::isfinite(lat) || !std::isfinite(lon) || !std::isfinite(h))
            return;
        latitude = lat;
        longitude = lon;
        elevation = h;
    } catch (...) {
        // The outputs still hold NaN: they are written only on success.
    }
}

void CoordConverter::convertGdcToUtm(double latitude, double longitude, unsigned int& zone, char& band,
                                     double& easting, double& northing)
{
    zone = 0;
    band = '\0';
    easting = northing = nan;
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90.0)
        return;
    try {
        int z = UTMUPS::INVALID;
        bool northp = false;
        double x = nan;
        double y = nan;
        UTMUPS::Forward(latitude, longitude, z, northp, x, y);
        char letter = '\0';
        if (z == UTMUPS::UPS) {
            const bool west = x < upsFalseEasting;
            letter = northp ? (west ? 'Y' : 'Z') : (west ? 'A' : 'B');
        } else if (z >= UTMUPS::MINUTMZONE && z <= UTMUPS::MAXUTMZONE) {
            letter = utmBandFor(latitude, northp);
        } else {
            return;
        }
        zone = static_cast<unsigned int>(z);
        band = letter;
        easting = x;
        northing = y;
    } catch (...) {
        // The outputs still hold "no value": they are written only on success.
    }
}

void CoordConverter::convertUtmToGdc(unsigned int zone, char band, double easting, double northing,
                                     double& latitude, double& longitude)
{
    latitude = longitude = nan;
    const Hemisphere hemisphere = hemisphereOf(zone, band);
    if (hemisphere == Hemisphere::none || !std::isfinite(easting) || !std::isfinite(northing))
        return;
    try {
        double lat = nan;
        double lon = nan;
        UTMUPS::Reverse(static_cast<int>(zone), hemisphere == Hemisphere::north, easting, northing, lat, lon);
        latitude = lat;
        longitude = lon;
    } catch (...) {
        // The outputs still hold NaN: they are written only on success.
    }
}

std::string CoordConverter::convertUtmToMgrs(double easting, double northing, unsigned int zone, char band,
                                             unsigned int precision)
{
    const Hemisphere hemisphere = hemisphereOf(zone, band);
    if (hemisphere == Hemisphere::none || !std::isfinite(easting) || !std::isfinite(northing))
        return {};
    // Below a nanometre, far under the finest digit (a micrometre), a
    // coordinate is zero; GeographicLib writes a NUL into the reference for a
    // negative subnormal northing.
    if (std::fabs(easting) < 1e-9)
        easting = 0.0;
    if (std::fabs(northing) < 1e-9)
        northing = 0.0;
    try {
        const bool northp = hemisphere == Hemisphere::north;
        const int digits = static_cast<int>(std::min(precision, maxMgrsPrecision));
        std::string mgrs;
        if (zone == UTMUPS::UPS)
            GeographicLib::MGRS::Forward(static_cast<int>(zone), northp, easting, northing, digits, mgrs);
        else
            GeographicLib::MGRS::Forward(static_cast<int>(zone), northp, easting, northing,
                                         bandLatitude(zone, northp, easting, northing, band), digits, mgrs);
        // GeographicLib's marker for an invalid input, not a reference.
        if (mgrs.compare(0, 3, "INV") == 0)
            return {};
        // A reference is letters and digits only; anything else is no reference.
        if (!std::all_of(mgrs.begin(), mgrs.end(), [](char c) { return isLetter(c) || isDigit(c); }))
            return {};
        return mgrs;
    } catch (...) {
        return {};
    }
}

bool CoordConverter::convertMgrsToUtm(unsigned int zone, char band, const std::string& mgrs, unsigned int& zoneOut,
                                      double& easting, double& northing, std::string& error)
{
    try {
        return readMgrs(zone, band, mgrs, zoneOut, easting, northing, error);
    } catch (...) {
        // Only allocation failures get here; the message may fail too.
        try {
            error = "Could not read the MGRS reference";
        } catch (...) {
        }
        return false;
    }
}

} // namespace velmora::utility
