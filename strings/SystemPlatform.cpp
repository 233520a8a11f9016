#include "strings/SystemPlatform.h"

#include <QLocale>
#include <QString>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

void EndCurrentThread() {
#ifdef _WIN32
    ExitThread(0);
#else
    pthread_exit(nullptr);
#endif
}

bool QuerySystemVersion(int& major, int& minor) {
#ifdef _WIN32
    // RtlGetVersion reports the real version, unaffected by compatibility shims.
    using RtlGetVersionFn = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) {
        return false;
    }
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(GetProcAddress(ntdll, "RtlGetVersion"));
    if (!rtlGetVersion) {
        return false;
    }
    RTL_OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion(&info) != 0) {
        return false;
    }
    major = static_cast<int>(info.dwMajorVersion);
    minor = static_cast<int>(info.dwMinorVersion);
    return true;
#else
    (void)major;
    (void)minor;
    return false;
#endif
}

std::string LanguageCodeForLocale(const std::string& localeName) {
    return QLocale(QString::fromStdString(localeName)).language() == QLocale::German ? "de" : "en";
}

std::string SystemLanguageCode() {
    return QLocale::system().language() == QLocale::German ? "de" : "en";
}
