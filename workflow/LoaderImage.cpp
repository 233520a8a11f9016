#include "workflow/LoaderImage.h"

#include <QFile>
#include <QString>

namespace {

constexpr int kFirstLoaderResource = 141;

} // namespace

UpdateResult LoadLoaderImage(int which, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (which != kLoaderImageIntermediate && which != kLoaderImageV2) {
        return kUpdateLoaderImageError;
    }
    QFile image(QStringLiteral(":/bios/%1.bin").arg(kFirstLoaderResource + which));
    if (!image.open(QIODevice::ReadOnly)) {
        return kUpdateLoaderImageError;
    }
    const QByteArray data = image.readAll();
    if (data.size() != image.size()) {
        return kUpdateLoaderImageError;
    }
    bytes.assign(data.begin(), data.end());
    return kUpdateOk;
}
