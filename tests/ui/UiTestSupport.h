#pragma once

#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"

#include <QDialog>
#include <QTimer>

#include <functional>

// Loads the three string tables as the program does at start-up and sets `language`.
inline void LoadStringTables(const char* language) {
    CTevnoTools::Initialize(0);
    StringManager& strings = StringManager::Instance();
    strings.LoadStringTable(136);
    strings.AddStringTable(2055);
    strings.AddStringTable(2056);
    strings.SetLanguage(language);
}

// Runs `act` once `dialog`'s modal loop runs (call it right before exec() or a function that
// calls it). Should `act` leave the dialog open, it is rejected after ten seconds, so a test
// cannot hang on it.
inline void WhenModal(QDialog& dialog, std::function<void()> act) {
    QTimer::singleShot(0, &dialog, std::move(act));
    QTimer::singleShot(10000, &dialog, [&dialog] { dialog.reject(); });
}
