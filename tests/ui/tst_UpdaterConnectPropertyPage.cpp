#include "app/AppSettings.h"
#include "ui/CMaskEdit.h"
#include "ui/CTimeoutsDialog.h"
#include "ui/UpdaterConnectPropertyPage.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

using Values = QMap<QString, QVariant>;

const Values kDefaultTimeouts{
    {"ConnectTimeout", 5000}, {"ReadTimeout", 3000}, {"SendTimeout", 3000}};

Values Merged(Values base, const Values& more) {
    for (auto it = more.begin(); it != more.end(); ++it) {
        base[it.key()] = it.value();
    }
    return base;
}

} // namespace

class TestUpdaterConnectPropertyPage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<UpdaterConnectPropertyPage> page_;

    QString SettingsPath() const { return dir_.filePath(QStringLiteral("settings.ini")); }

    void Store(const Values& values) {
        QSettings store(SettingsPath(), QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it) {
            store.setValue(QStringLiteral("Settings/") + it.key(), it.value());
        }
    }

    Values Stored() const {
        QSettings store(SettingsPath(), QSettings::IniFormat);
        store.beginGroup(QStringLiteral("Settings"));
        Values values;
        for (const QString& key : store.childKeys()) {
            values[key] = store.value(key).toString();
        }
        return values;
    }

    static Values AsText(const Values& values) {
        Values text;
        for (auto it = values.begin(); it != values.end(); ++it) {
            text[it.key()] = it.value().toString();
        }
        return text;
    }

    UpdaterConnectPropertyPage& MakePage(const std::string& host, uint16_t port) {
        settings_ = std::make_unique<AppSettings>(SettingsPath().toStdString());
        page_ = std::make_unique<UpdaterConnectPropertyPage>(*settings_);
        page_->SetCommandLineAddress(host, port);
        return *page_;
    }

private slots:
    void initTestCase() { LoadStringTables("en"); }

    void init() { QFile::remove(SettingsPath()); }

    void cleanup() {
        page_.reset();
        settings_.reset();
    }

    void settings_data() {
        QTest::addColumn<QString>("commandHost");
        QTest::addColumn<int>("commandPort");
        QTest::addColumn<Values>("before");
        QTest::addColumn<QString>("shownHost");
        QTest::addColumn<QString>("shownPort");
        QTest::addColumn<QString>("typedHost"); // empty: the field is left as shown
        QTest::addColumn<QString>("typedPort");
        QTest::addColumn<Values>("after");
        QTest::addColumn<QString>("usedHost");
        QTest::addColumn<int>("usedPort");

        const Values stored{{"IPAddress", "zelta.lan"}, {"Port", 7000}};
        QTest::newRow("first run")
            << QString() << 0 << Values() << QString() << QString() << QString("10.0.0.7")
            << QString("6000")
            << Merged(kDefaultTimeouts, {{"IPAddress", "10.0.0.7"}, {"Port", 6000}})
            << QString("10.0.0.7") << 6000;
        QTest::newRow("stored address and time-outs")
            << QString() << 0
            << Merged(stored,
                      {{"ConnectTimeout", 4000}, {"ReadTimeout", 2000}, {"SendTimeout", 1000}})
            << QString("zelta.lan") << QString("7000") << QString() << QString()
            << Merged(stored,
                      {{"ConnectTimeout", 4000}, {"ReadTimeout", 2000}, {"SendTimeout", 1000}})
            << QString("zelta.lan") << 7000;
        QTest::newRow("host from the command line")
            << QString("10.1.1.1") << 6666 << stored << QString("10.1.1.1") << QString("6666")
            << QString("10.1.1.2") << QString("6667") << Merged(stored, kDefaultTimeouts)
            << QString("10.1.1.2") << 6667;
        QTest::newRow("command-line host 0.0.0.0")
            << QString("0.0.0.0") << 6666 << stored << QString() << QString("6666")
            << QString("10.0.0.9") << QString() << Merged(stored, kDefaultTimeouts)
            << QString("10.0.0.9") << 6666;
        QTest::newRow("stored time-outs out of range")
            << QString() << 0
            << Merged(stored,
                      {{"ConnectTimeout", -1}, {"ReadTimeout", 60001}, {"SendTimeout", "soon"}})
            << QString("zelta.lan") << QString("7000") << QString() << QString()
            << Merged(stored, kDefaultTimeouts) << QString("zelta.lan") << 7000;
    }

    void settings() {
        QFETCH(QString, commandHost);
        QFETCH(int, commandPort);
        QFETCH(Values, before);
        QFETCH(QString, shownHost);
        QFETCH(QString, shownPort);
        QFETCH(QString, typedHost);
        QFETCH(QString, typedPort);
        QFETCH(Values, after);
        QFETCH(QString, usedHost);
        QFETCH(int, usedPort);

        Store(before);
        UpdaterConnectPropertyPage& page =
            MakePage(commandHost.toStdString(), static_cast<uint16_t>(commandPort));
        page.OnSetActive();
        QCOMPARE(page.HostEdit()->text(), shownHost);
        QCOMPARE(page.PortEdit()->text(), shownPort);
        QCOMPARE(Stored(), AsText(before)); // activation only reads

        if (!typedHost.isEmpty()) {
            page.HostEdit()->setText(typedHost);
        }
        if (!typedPort.isEmpty()) {
            page.PortEdit()->setText(typedPort);
        }
        QVERIFY(page.validatePage());
        QCOMPARE(Stored(), AsText(after));
        QCOMPARE(QString::fromUtf8(page.Params().host), usedHost);
        QCOMPARE(int(page.Params().port), usedPort);
        QCOMPARE(int(page.Params().connectTimeout), after["ConnectTimeout"].toInt());
        QCOMPARE(int(page.Params().readTimeout), after["ReadTimeout"].toInt());
        QCOMPARE(int(page.Params().sendTimeout), after["SendTimeout"].toInt());
    }

    // After the first Next the parameters hold a host: later visits show them and no longer
    // store host and port.
    void laterVisitShowsTheParametersAndStoresNoAddress() {
        UpdaterConnectPropertyPage& page = MakePage({}, 0);
        page.OnSetActive();
        page.HostEdit()->setText(QStringLiteral("10.0.0.7"));
        page.PortEdit()->setText(QStringLiteral("6000"));
        QVERIFY(page.validatePage());

        page.HostEdit()->clear();
        page.PortEdit()->clear();
        page.OnSetActive();
        QCOMPARE(page.HostEdit()->text(), QStringLiteral("10.0.0.7"));
        QCOMPARE(page.PortEdit()->text(), QStringLiteral("6000"));
        page.HostEdit()->setText(QStringLiteral("10.0.0.8"));
        QVERIFY(page.validatePage());
        QCOMPARE(Stored()["IPAddress"].toString(), QStringLiteral("10.0.0.7"));
        QCOMPARE(QString::fromUtf8(page.Params().host), QStringLiteral("10.0.0.8"));
    }

    void portFieldTakesOnlyDigits() {
        UpdaterConnectPropertyPage& page = MakePage({}, 0);
        page.OnSetActive();
        page.show();
        QTest::keyClicks(page.PortEdit(), QStringLiteral("6a6 6-"));
        QCOMPARE(page.PortEdit()->text(), QStringLiteral("666"));
        QTest::keyClick(page.PortEdit(), Qt::Key_Backspace);
        QCOMPARE(page.PortEdit()->text(), QStringLiteral("66"));
    }

    void timeoutsFromTheDialogAreStoredOnNext() {
        UpdaterConnectPropertyPage& page = MakePage("10.1.1.1", 6666);
        page.OnSetActive();
        page.show();
        QString title;
        QTimer::singleShot(0, &page, [&] {
            auto* dialog = qobject_cast<CTimeoutsDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            title = dialog->windowTitle();
            dialog->SetItemInt(CTimeoutsDialog::kConnectEdit, 1500);
            dialog->SetItemInt(CTimeoutsDialog::kReadEdit, 60000);
            dialog->SetItemInt(CTimeoutsDialog::kSendEdit, 0);
            dialog->accept();
        });
        QTimer::singleShot(10000, &page, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        page.TimeoutsButton()->click();
        QCOMPARE(title, QStringLiteral("TCP Timeouts"));
        QVERIFY(page.validatePage());
        QCOMPARE(Stored(), AsText(Merged(Values(), {{"ConnectTimeout", 1500},
                                                    {"ReadTimeout", 60000},
                                                    {"SendTimeout", 0}})));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestUpdaterConnectPropertyPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_UpdaterConnectPropertyPage.moc"
