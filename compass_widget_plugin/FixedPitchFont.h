#pragma once

#include <QFont>

namespace velmora::plugin::compass_widget {

// A fixed-pitch font for the status-bar text, so that its right-aligned
// numbers stay in their columns while they change. Tries the family
// "monospace", then the Monospace and TypeWriter style hints, and falls back
// to "courier" when the font system reports no fixed pitch for any of them.
// Needs a QGuiApplication.
QFont fixedPitchFont();

} // namespace velmora::plugin::compass_widget
