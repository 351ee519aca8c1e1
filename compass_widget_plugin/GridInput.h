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

// Checks the UTM fields and reads them into utm. Returns the empty text when
// they hold a position, else the message for the first fault found, in this
// order: "There is a blank field" (any of the four empty), "Zone needs to
// from 1 to 60", "UTM Band cannot be an I or an O". The band is read upper
// case; easting and northing are read as the panel reads every number and
// not range-checked (that is the conversion's business). utm is only
// written when the texts hold a position.
QString validateUtmTexts(const UtmTexts& texts, UtmLocation& utm);

// The latitude band letter of an MGRS reference's grid zone designation, upper
// case ("33TWN..." gives 'T', the polar "zgc12" gives 'Z'), or '\0' when the
// reference starts with its 100 km square and so has no band of its own.
// Blanks are skipped; nothing else is checked here.
char mgrsBandLetter(const std::string& reference);

} // namespace velmora::plugin::compass_widget
