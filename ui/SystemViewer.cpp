#include "ui/SystemViewer.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

SystemViewerHook& Hook() {
    static SystemViewerHook hook;
    return hook;
}

} // namespace

bool OpenWithSystemViewer(const QString& path) {
    if (Hook()) {
        return Hook()(path);
    }
    if (path.isEmpty()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

SystemViewerHook SetSystemViewerHook(SystemViewerHook hook) {
    SystemViewerHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
