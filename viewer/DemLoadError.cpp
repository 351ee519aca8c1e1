#include "DemLoadError.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace velmora::viewer {

QString demLoadErrorText(const QString& path, const QString& reason)
{
    const QString name = QFileInfo(path).fileName();
    // The name as a word of its own, so "a.tif" is not found inside "data.tif".
    const QRegularExpression namedAlone(QStringLiteral("(^|[\\s/:'\"(])%1($|[\\s:;,.'\")])")
                                            .arg(QRegularExpression::escape(name)));
    if (!name.isEmpty() && (reason.contains(path) || namedAlone.match(reason).hasMatch()))
        return reason;
    if (reason.isEmpty())
        return QStringLiteral("Cannot load %1").arg(path);
    return QStringLiteral("Cannot load %1: %2").arg(path, reason);
}

} // namespace velmora::viewer
