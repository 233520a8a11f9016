#include "ui/CXColorStatic.h"
#include "ui/UpdateProgressBar.h"
#include "ui/UpdaterUpdatePropertyPage.h"

#include "WizardRunSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QtTest>

#include <optional>

namespace {

// What the update page shows below and above the bar at one moment.
struct Shown {
    bool visible = false;
    int value = 0;
    int maximum = 0;
    QString text;
    QString status;

    bool operator==(const Shown& other) const {
        return visible == other.visible && value == other.value && maximum == other.maximum &&
               text == other.text && status == other.status;
    }
};

// Everything the bar showed during one run, each change once.
class ProgressRecorder : public QObject {
public:
    explicit ProgressRecorder(UpdaterUpdatePropertyPage& page) : page_(page) {
        connect(page.Progress(), &UpdateProgressBar::Updated, this, [this] {
            const UpdateProgressBar& progress = *page_.Progress();
            Shown now{progress.isVisibleTo(&page_), progress.Bar()->value(),
                      progress.Bar()->maximum(), progress.TextLine()->text(),
                      page_.StatusLine()->text()};
            if (seen.isEmpty() || !(seen.last() == now)) {
                seen << now;
            }
        });
    }
    QList<Shown> seen;

private:
    UpdaterUpdatePropertyPage& page_;
};

} // namespace

class TestUpdateProgressBar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        LoadStringTables("en");
        UpdaterPropertySheet::SetFirmwarePromptHook(
            [](const std::string&) { return std::optional<std::string>(); });
    }

    void estimate_data() {
        QTest::addColumn<qulonglong>("sent");
        QTest::addColumn<qulonglong>("total");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<qint64>("remainingMs"); // -1: no estimate

        QTest::newRow("nothing sent yet") << 0ull << 1000ull << qint64(5000) << qint64(-1);
        QTest::newRow("too early") << 500ull << 1000ull << qint64(999) << qint64(-1);
        QTest::newRow("half in a second") << 500ull << 1000ull << qint64(1000) << qint64(1000);
        QTest::newRow("a quarter in three seconds")
            << 250ull << 1000ull << qint64(3000) << qint64(9000);
        QTest::newRow("all sent") << 1000ull << 1000ull << qint64(5000) << qint64(-1);
        QTest::newRow("empty image") << 0ull << 0ull << qint64(5000) << qint64(-1);
        QTest::newRow("one byte of four gigabytes")
            << 1ull << 4294967295ull << qint64(1000) << qint64(4294967294000);
    }

    void estimate() {
        QFETCH(qulonglong, sent);
        QFETCH(qulonglong, total);
        QFETCH(qint64, elapsedMs);
        QFETCH(qint64, remainingMs);
        const std::optional<int64_t> remaining =
            UpdateProgressBar::EstimateRemainingMs(sent, total, elapsedMs);
        QCOMPARE(remaining.value_or(-1), remainingMs);
    }

    void durationAndSizes() {
        // Rounded up: a remaining part of a second still counts.
        QCOMPARE(UpdateProgressBar::FormatDuration(0), QStringLiteral("0:00"));
        QCOMPARE(UpdateProgressBar::FormatDuration(1), QStringLiteral("0:01"));
        QCOMPARE(UpdateProgressBar::FormatDuration(60001), QStringLiteral("1:01"));
        QCOMPARE(UpdateProgressBar::FormatDuration(3600000), QStringLiteral("60:00"));
        // Sent and total round alike, so a finished transfer reads "n of n".
        QCOMPARE(UpdateProgressBar::Kilobytes(511), 0u);
        QCOMPARE(UpdateProgressBar::Kilobytes(512), 1u);
        QCOMPARE(UpdateProgressBar::Kilobytes(2047), 2u);
    }

    // The time still needed shows once a transfer has run for a second.
    void remainingTime() {
        UpdateProgressBar progress;
        progress.ShowTransfer(0, 300 * 1024);
        QCOMPARE(progress.TextLine()->text(), QStringLiteral("0 of 300 KB sent"));
        QCOMPARE(progress.Bar()->value(), 0);
        QTest::qWait(int(UpdateProgressBar::kMinimumEstimateMs) + 50);
        progress.ShowTransfer(100 * 1024, 300 * 1024);
        QCOMPARE(progress.Bar()->value(), UpdateProgressBar::kScale / 3);
        // Twice as long again, at least two seconds.
        QVERIFY2(
            progress.TextLine()->text().startsWith(QStringLiteral("100 of 300 KB sent, about ")),
            qPrintable(progress.TextLine()->text()));
        QVERIFY(progress.TextLine()->text().endsWith(QStringLiteral(" left")));
        QVERIFY(!progress.TextLine()->text().contains(QStringLiteral("about 0:01 ")));

        progress.ShowFlashPoll(1, 300);
        QCOMPARE(progress.Bar()->maximum(), 0);
        progress.Reset();
        QVERIFY(progress.isHidden());
    }

    // The bar during whole updates against the simulator: each image's transfer from 0 to
    // full with the bytes sent, then the flash status checks on a busy bar, hidden between
    // phases and after the run, and the page's own status line unchanged beside it.
    void duringAnUpdate_data() {
        QTest::addColumn<QString>("loader");
        QTest::addColumn<int>("transfers");

        QTest::newRow("firmware only") << "02.03" << 1;
        QTest::newRow("both loader images first") << "01.05" << 3;
    }

    void duringAnUpdate() {
        QFETCH(QString, loader);
        QFETCH(int, transfers);

        WizardRig rig;
        rig.options.loaderVersion = loader.toStdString();
        rig.options.flashPolls = 2;
        rig.StartSim();
        // 61 chunks of 750 bytes.
        const std::string firmware =
            rig.WriteFirmware(FirmwareImage("01.50", "7.4.2", "BRN", 45000));
        UpdaterPropertySheet& sheet = rig.MakeSheet(firmware);
        UpdaterUpdatePropertyPage& page = *sheet.UpdatePage();
        ProgressRecorder recorder(page);
        QVERIFY(RunToPage(rig, sheet));
        QVERIFY(sheet.ShowsEndButtons());
        QCOMPARE(page.StatusLine()->text(),
                 QStringLiteral("Update operation successfully finished."));
        QVERIFY(!page.Progress()->isVisibleTo(&page));

        const QRegularExpression sentText(QStringLiteral("^(\\d+) of (\\d+) KB sent"));
        const QRegularExpression pollText(
            QStringLiteral("^Waiting for the flash to end: check (\\d+) of at most 300$"));
        int started = 0;
        int lastValue = -1;
        int lastPoll = 0;
        bool fullSeen = false;
        QStringList phases; // "transfer", "flash", "hidden" in the order they appear
        for (const Shown& s : recorder.seen) {
            const QString phase = !s.visible       ? QStringLiteral("hidden")
                                  : s.maximum == 0 ? QStringLiteral("flash")
                                                   : QStringLiteral("transfer");
            if (phases.isEmpty() || phases.last() != phase) {
                phases << phase;
            }
            if (phase == QLatin1String("transfer")) {
                QCOMPARE(s.maximum, UpdateProgressBar::kScale);
                QVERIFY2(s.status.startsWith(QLatin1String("Transferring")), qPrintable(s.status));
                const QRegularExpressionMatch m = sentText.match(s.text);
                QVERIFY2(m.hasMatch(), qPrintable(s.text));
                if (s.value == 0) {
                    ++started;
                    fullSeen = false;
                } else {
                    QVERIFY2(s.value > lastValue, qPrintable(s.text));
                }
                if (s.value == UpdateProgressBar::kScale) {
                    fullSeen = true;
                    QCOMPARE(m.captured(1), m.captured(2));
                }
                lastValue = s.value;
                lastPoll = 0;
            } else if (phase == QLatin1String("flash")) {
                QVERIFY(fullSeen);
                QVERIFY2(s.status.startsWith(QLatin1String("Flashing in progress")),
                         qPrintable(s.status));
                const QRegularExpressionMatch m = pollText.match(s.text);
                QVERIFY2(m.hasMatch(), qPrintable(s.text));
                QCOMPARE(m.captured(1).toInt(), lastPoll + 1);
                lastPoll = m.captured(1).toInt();
            }
        }
        QCOMPARE(started, transfers);
        QCOMPARE(lastPoll, 3); // two "busy" answers, then done
        QStringList expected;
        for (int i = 0; i < transfers; ++i) {
            expected << "hidden"
                     << "transfer"
                     << "hidden"
                     << "flash";
        }
        expected << "hidden";
        QCOMPARE(phases, expected);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestUpdateProgressBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_UpdateProgressBar.moc"
