#pragma once

#include "UtmLocation.h"

#include <QString>

#include <string>

namespace velmora::plugin::compass_widget {

// The texts of the four UTM fields as the user left them.
struct UtmTexts
{
    QString zone;
    QString band;
    QString easting;
    QString northing;
};

// One of the four UTM fields.
enum class UtmField
{
    Zone,
    Band,
    Easting,
    Northing
};

// Checks the UTM fields and reads them into utm. Returns the empty text when
// they hold a position, else the message for the first fault found, in this
// order: "There is a blank field" (any of the four empty), "The zone number
// must be from 1 to 60" (a zone that is not a whole number from 1 to 60:
// "0", "-5", "61"), "UTM Band cannot be an I or an O"; faulty then names the
// field at fault. The band is read upper case; easting and northing are read
// as the panel reads every number and not range-checked (that is the
// conversion's business). utm and faulty are only written when their answer
// is known.
QString validateUtmTexts(const UtmTexts& texts, UtmLocation& utm, UtmField& faulty);

// The note for a grid position read in band `used` (upper case) whose place
// lies in band `placed`: "This place lies in band U, not T", or the empty
// text when they agree.
QString placeBandNote(char used, char placed);

// The message for an MGRS reference the host refused with hostError: that
// error, which names the fault, when the text is shaped like a reference
// (grid zone designation, 100 km square and digit pairs, or a part of
// that, blanks anywhere, either case); otherwise "This is not an MGRS
// reference such as 10TES9450789496". A text of letters alone counts as
// a reference only when the host reads it, so "abc" is not taken for grid
// zone A's square BC.
QString mgrsRefusal(const std::string& reference, const std::string& hostError);

// The latitude band letter of an MGRS reference's grid zone designation, upper
// case ("33TWN..." gives 'T', the polar "zgc12" gives 'Z'), or '\0' when the
// reference starts with its 100 km square and so has no band of its own.
// Blanks are skipped; nothing else is checked here.
char mgrsBandLetter(const std::string& reference);

} // namespace velmora::plugin::compass_widget
