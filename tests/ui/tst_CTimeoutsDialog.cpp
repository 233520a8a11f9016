#include "ui/CTimeoutsDialog.h"
#include "ui/UiMessageBox.h"

#include "base/TCP_ConnectionParams.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kRange = QStringLiteral("Timeout value must be between 0 and 60000");
const QString kInvalid = QStringLiteral("Invalid value");

QLineEdit* Edit(const CTimeoutsDialog& dialog, int id) {
    return qobject_cast<QLineEdit*>(dialog.Item(id));
}

QAbstractButton* Button(const CTimeoutsDialog& dialog, int id) {
    return qobject_cast<QAbstractButton*>(dialog.Item(id));
}

} // namespace

class TestTimeoutsDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LoadStringTables("en"); }

    void edit_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QList<uint>>("record");
        QTest::addColumn<QStringList>("messages");

        const QList<uint> old{1111, 2222, 3333};
        QTest::newRow("accepted and written back")
            << QStringList{"5000", "3000", "3000"} << true << true << QList<uint>{5000, 3000, 3000}
            << QStringList{};
        QTest::newRow("bounds 60000 and 0 accepted")
            << QStringList{"60000", "0", "60000"} << true << true << QList<uint>{60000, 0, 60000}
            << QStringList{};
        QTest::newRow("blanks around a number")
            << QStringList{" 700 ", "800", "900 "} << true << true << QList<uint>{700, 800, 900}
            << QStringList{};
        // Read and send are invalid too: examining them would add messages.
        QTest::newRow("empty connect stops the check")
            << QStringList{"", "abc", ""} << true << false << old << QStringList{kRange};
        QTest::newRow("60001 refused")
            << QStringList{"1000", "60001", "1000"} << true << false << old << QStringList{kRange};
        QTest::newRow("negative refused")
            << QStringList{"1000", "1000", "-5"} << true << false << old << QStringList{kRange};
        QTest::newRow("pasted letters: conversion notice, then range")
            << QStringList{"12a", "1000", "1000"} << true << false << old
            << QStringList{kInvalid, kRange};
        QTest::newRow("beyond 32 bits: conversion notice, then range")
            << QStringList{"99999999999", "1000", "1000"} << true << false << old
            << QStringList{kInvalid, kRange};
        QTest::newRow("cancel after editing")
            << QStringList{"5000", "3000", "3000"} << false << false << old << QStringList{};
    }

    void edit() {
        QFETCH(QStringList, fields);
        QFETCH(bool, pressOk);
        QFETCH(bool, accepted);
        QFETCH(QList<uint>, record);
        QFETCH(QStringList, messages);

        UiMessageBox::Recorder boxes;
        Timeouts timeouts{1111, 2222, 3333};
        CTimeoutsDialog dialog;
        bool openAfterOk = false;
        WhenModal(dialog, [&] {
            Edit(dialog, CTimeoutsDialog::kConnectEdit)->setText(fields[0]);
            Edit(dialog, CTimeoutsDialog::kReadEdit)->setText(fields[1]);
            Edit(dialog, CTimeoutsDialog::kSendEdit)->setText(fields[2]);
            if (pressOk) {
                Button(dialog, CTimeoutsDialog::kOkButton)->click();
                openAfterOk = dialog.isVisible();
            }
            if (dialog.isVisible()) {
                Button(dialog, CTimeoutsDialog::kCancelButton)->click();
            }
        });
        const bool result = dialog.Edit(timeouts, QStringLiteral("TCP Timeouts"));

        QCOMPARE(result, accepted);
        QCOMPARE(openAfterOk, pressOk && !accepted);
        QCOMPARE((QList<uint>{timeouts.connect, timeouts.read, timeouts.send}), record);
        QCOMPARE(boxes.Texts(), messages);
    }

    void titleLabelsAndShownValues() {
        Timeouts timeouts{5000, 3000, 2500};
        CTimeoutsDialog dialog;
        QString title;
        QStringList labels;
        QStringList values;
        WhenModal(dialog, [&] {
            title = dialog.windowTitle();
            for (int id : {CTimeoutsDialog::kConnectLabel, CTimeoutsDialog::kReadLabel,
                           CTimeoutsDialog::kSendLabel, CTimeoutsDialog::kOkButton,
                           CTimeoutsDialog::kCancelButton}) {
                labels << dialog.ItemText(id);
            }
            for (int id : {CTimeoutsDialog::kConnectEdit, CTimeoutsDialog::kReadEdit,
                           CTimeoutsDialog::kSendEdit}) {
                values << dialog.ItemText(id);
            }
            dialog.reject();
        });
        const QString given = QString::fromStdString(
            StringManager::Instance().GetString("IDS_TCP_TIMEOUT_SETTINGS", "OrbelDialogs"));
        QVERIFY(!dialog.Edit(timeouts, given));

        QCOMPARE(title, QStringLiteral("TCP Timeouts"));
        QCOMPARE(labels, (QStringList{"Connect", "Receive", "Send", "&OK", "&Cancel"}));
        QCOMPARE(values, (QStringList{"5000", "3000", "2500"}));
    }

    void editsTheTimeoutsOfConnectionParams() {
        TCP_ConnectionParams params("10.0.0.9", 7000);
        CTimeoutsDialog dialog;
        QStringList shown;
        WhenModal(dialog, [&] {
            for (int id : {CTimeoutsDialog::kConnectEdit, CTimeoutsDialog::kReadEdit,
                           CTimeoutsDialog::kSendEdit}) {
                shown << dialog.ItemText(id);
            }
            Edit(dialog, CTimeoutsDialog::kReadEdit)->setText(QStringLiteral("1500"));
            Button(dialog, CTimeoutsDialog::kOkButton)->click();
        });
        QVERIFY(dialog.Edit(params, QString()));
        QCOMPARE(shown, (QStringList{"5000", "3000", "3000"}));
        QCOMPARE((QList<uint>{params.connectTimeout, params.readTimeout, params.sendTimeout}),
                 (QList<uint>{5000, 1500, 3000}));
        QCOMPARE(QString::fromLatin1(params.host), QStringLiteral("10.0.0.9"));
        QCOMPARE(params.port, 7000);
    }

    void fieldsTakeDigitsOnly() {
        Timeouts timeouts{10, 10, 10};
        CTimeoutsDialog dialog;
        WhenModal(dialog, [&] {
            QLineEdit* connect = Edit(dialog, CTimeoutsDialog::kConnectEdit);
            connect->selectAll();
            QTest::keyClicks(connect, QStringLiteral("4x 2"));
            Button(dialog, CTimeoutsDialog::kOkButton)->click();
        });
        QVERIFY(dialog.Edit(timeouts, QString()));
        QCOMPARE(timeouts.connect, 42u);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestTimeoutsDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CTimeoutsDialog.moc"
