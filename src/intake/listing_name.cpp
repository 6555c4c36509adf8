#include "intake/listing_name.h"

#include <QDir>

namespace quillon {

QString ListingFileName(const QString& pictureName)
{
    // Left to right, non-overlapping, all occurrences, not only the extension.
    QString name = pictureName;
    return name.replace(QStringLiteral(".bmp"), QStringLiteral(".txt"), Qt::CaseInsensitive);
}

QString ListingPath(const QString& folder, const QString& pictureName)
{
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QDir::toNativeSeparators(path + QStringLiteral("lcd_") + ListingFileName(pictureName));
}

}  // namespace quillon
