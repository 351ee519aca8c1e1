#pragma once

#include <QString>

namespace velmora::viewer {

// The message shown when the elevation model at path cannot be loaded, for
// reason (one sentence from the reader). The file is named once: a reason
// that already names it (by its path or its file name) is the whole message;
// any other gets "Cannot load <path>: " in front. An empty reason still
// names the file.
QString demLoadErrorText(const QString& path, const QString& reason);

} // namespace velmora::viewer
