#include "ui/VersionInfo.h"

QString FormatFileVersion(unsigned major, unsigned minor, unsigned patch, unsigned /*build*/) {
    return QStringLiteral("%1.%2%3").arg(major).arg(minor).arg(patch);
}

QString ProductName() {
    return QStringLiteral(ZELTA_PRODUCT_NAME);
}

QString ProductVersion() {
    return FormatFileVersion(ZELTA_VERSION_MAJOR, ZELTA_VERSION_MINOR, ZELTA_VERSION_PATCH);
}

QString ProductVersionLine() {
    return ProductName() + QStringLiteral(" Version ") + ProductVersion();
}

QString ProductWindowTitle() {
    return ProductName() + QStringLiteral(" V") + ProductVersion();
}
