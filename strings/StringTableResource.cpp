#include "strings/StringTableResource.h"

#include <QFile>
#include <QString>

bool ReadStringTableResource(int resourceId, std::string& bytes) {
    QFile file(QStringLiteral(":/strings/%1.xml").arg(resourceId));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return false;
    }
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}
