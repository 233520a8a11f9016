#pragma once

// Drives a wizard of WizardRig through a whole run as an operator would.

#include "ui/CMaskEdit.h"
#include "ui/UpdaterConnectPropertyPage.h"

#include "WizardTestSupport.h"

#include <QAbstractButton>
#include <QtTest>

// Shows the sheet and waits until it has chosen its firmware file.
inline bool OpenSheet(UpdaterPropertySheet& sheet) {
    sheet.show();
    return QTest::qWaitFor([&] { return !sheet.FirmwareVersion().empty(); },
                           WizardRig::kRunTimeoutMs);
}

// Fills in the simulator's address and presses Next whenever it can, until the page `last`
// (3, the update page, for a whole run) is current and idle. False on a time-out.
inline bool RunToPage(WizardRig& rig, UpdaterPropertySheet& sheet, int last = 3) {
    if (!sheet.isVisible() && !OpenSheet(sheet)) {
        return false;
    }
    sheet.ConnectPage()->HostEdit()->setText(QStringLiteral("127.0.0.1"));
    sheet.ConnectPage()->PortEdit()->setText(QString::number(rig.Port()));
    QAbstractButton* next = sheet.button(QWizard::NextButton);
    const auto idle = [&] { return !sheet.WorkerRunning(); };
    for (int page = 1; page <= last; ++page) {
        if (!QTest::qWaitFor(
                [&] { return sheet.currentId() >= page || (idle() && next->isEnabled()); },
                WizardRig::kRunTimeoutMs)) {
            return false;
        }
        if (sheet.currentId() < page) {
            next->click();
        }
    }
    return QTest::qWaitFor([&] { return idle() && sheet.currentId() == last; },
                           WizardRig::kRunTimeoutMs);
}
