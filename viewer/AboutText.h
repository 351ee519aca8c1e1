#pragma once

#include <QString>

namespace velmora::viewer {

// The text of Help > About, as rich text: the program and its version,
// then each library it uses with the version it runs with (as the library
// reports it at run time, where it can) and the licence it is used under.
QString aboutText();

} // namespace velmora::viewer
