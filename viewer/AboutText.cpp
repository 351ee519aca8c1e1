#include "AboutText.h"

#include <GeographicLib/Config.h>
#include <gdal.h>
#include <osg/Version>

namespace velmora::viewer {

QString aboutText()
{
    struct Library
    {
        const char* name;
        QString version;
        const char* licence;
    };
    // Run-time versions where the library reports one: a system update may change it after the build.
    const Library libraries[] = {
        {"Qt", QString::fromLatin1(qVersion()), "GNU LGPL version 3"},
        {"OpenSceneGraph", QString::fromLatin1(osgGetVersion()),
         "OpenSceneGraph Public License (GNU LGPL 2.1 with exceptions)"},
        {"GeographicLib", QStringLiteral(GEOGRAPHICLIB_VERSION_STRING), "MIT License"},
        {"GDAL", QString::fromLatin1(GDALVersionInfo("RELEASE_NAME")), "MIT License"},
        {"PROJ", QStringLiteral("as GDAL uses it"), "MIT License"},
    };
    QString text = QStringLiteral("<h3>Velmora Viewer %1</h3>"
                                  "<p>A 3D terrain viewer with the Velmora Compass plugin.</p>"
                                  "<p>It uses these libraries:</p><table cellspacing=4>")
                       .arg(QStringLiteral(VELMORA_VERSION));
    for (const Library& library : libraries)
        text += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td><td>%3</td></tr>")
                    .arg(QString::fromLatin1(library.name), library.version.toHtmlEscaped(),
                         QString::fromLatin1(library.licence));
    return text + QStringLiteral("</table>");
}

} // namespace velmora::viewer
