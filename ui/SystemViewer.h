#pragma once

#include <QString>

#include <functional>

// Opens a file with the program the system associates with it. A hook, when set, is called
// instead (tests, where no viewer may start).
bool OpenWithSystemViewer(const QString& path);

using SystemViewerHook = std::function<bool(const QString& path)>;
// Installs hook (an empty one restores the system's viewer); returns the previous one.
SystemViewerHook SetSystemViewerHook(SystemViewerHook hook);
