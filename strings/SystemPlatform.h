#pragma once

#include <string>

// The few operating-system services that the start-up checks and the string manager need.

// Ends the calling thread at once, without returning to the caller.
[[noreturn]] void EndCurrentThread();

// Reads the running system's major and minor version. Returns false on systems whose versions
// are not numbered that way (everything but Windows).
bool QuerySystemVersion(int& major, int& minor);

// "de" when the language of the given locale (for example "de_AT") is German, else "en".
std::string LanguageCodeForLocale(const std::string& localeName);
// The same for the system's default locale.
std::string SystemLanguageCode();
