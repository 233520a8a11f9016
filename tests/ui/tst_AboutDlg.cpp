#include "ui/AboutDlg.h"
#include "ui/CTransparentImage.h"
#include "ui/VersionInfo.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

class TestAboutDlg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LoadStringTables("en"); }
    void cleanup() { StringManager::Instance().SetLanguage("en"); }

    void titleInTheCurrentLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("de") << "de" << QStringLiteral("Über ZeltaUpdater");
        QTest::newRow("en") << "en" << QStringLiteral("About ZeltaUpdater");
    }

    void titleInTheCurrentLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, title);
        StringManager::Instance().SetLanguage(language.toStdString());
        AboutDlg dialog;
        QCOMPARE(dialog.windowTitle(), title);
        QVERIFY(!dialog.AuthorLabel()->text().isEmpty());
        QVERIFY(dialog.AuthorLabel()->text() != QStringLiteral("IDS_AUTHOR"));
    }

    void titleFromShortMenuTexts() {
        QCOMPARE(AboutDlg::TitleFromMenuText(QString()), QString());
        QCOMPARE(AboutDlg::TitleFromMenuText(QStringLiteral("&...")), QString());
        QCOMPARE(AboutDlg::TitleFromMenuText(QStringLiteral("&X...")), QStringLiteral("X"));
    }

    void fileVersion_data() {
        QTest::addColumn<QList<uint>>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.0.2.0") << QList<uint>{3, 0, 2, 0} << "3.02";
        QTest::newRow("10.1.12.0") << QList<uint>{10, 1, 12, 0} << "10.112";
        QTest::newRow("build number not shown") << QList<uint>{1, 2, 3, 99} << "1.23";
    }

    void fileVersion() {
        QFETCH(QList<uint>, version);
        QFETCH(QString, text);
        QCOMPARE(FormatFileVersion(version[0], version[1], version[2], version[3]), text);
    }

    void versionLineAndLogo() {
        AboutDlg dialog;
        QCOMPARE(dialog.VersionLabel()->text(),
                 QStringLiteral("ZeltaUpdater Version ") + FormatFileVersion(ZELTA_VERSION_MAJOR,
                                                                             ZELTA_VERSION_MINOR,
                                                                             ZELTA_VERSION_PATCH));
        const QImage logo = dialog.Logo()->Bitmap().toImage();
        QVERIFY(!logo.isNull());
        QCOMPARE(qAlpha(logo.pixel(0, 0)), 0); // magenta corner
        QCOMPARE(qAlpha(logo.pixel(logo.width() / 2, logo.height() / 2)), 255);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestAboutDlg test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AboutDlg.moc"
