#include "widgets/ui/CBitmapResources.h"

#include <QString>

namespace harkwell {

QImage LoadBitmapResource(int id)
{
    QImage image(QStringLiteral(":/bitmaps/%1.png").arg(id));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace harkwell
