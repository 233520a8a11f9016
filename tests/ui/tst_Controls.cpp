#include "ui/CLabel.h"
#include "ui/CMaskEdit.h"
#include "ui/CMyFileDialog.h"
#include "ui/CTransparentImage.h"
#include "ui/CXColorStatic.h"
#include "ui/TextFormat.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

namespace {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

bool Contains(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LoadStringTables("en"); }

    void maskEdit_data() {
        QTest::addColumn<bool>("mask");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QString>("result");

        const int none = Qt::NoModifier;
        const int ctrl = Qt::ControlModifier;
        const QString digits = QStringLiteral("0123456789");
        QTest::newRow("digit") << true << digits << int(Qt::Key_5) << none << false << "125";
        QTest::newRow("letter") << true << digits << int(Qt::Key_A) << none << false << "12";
        QTest::newRow("blank") << true << digits << int(Qt::Key_Space) << none << false << "12";
        QTest::newRow("backspace")
            << true << digits << int(Qt::Key_Backspace) << none << false << "1";
        QTest::newRow("paste is not filtered")
            << true << digits << int(Qt::Key_V) << ctrl << false << "12ab";
        QTest::newRow("cut") << true << digits << int(Qt::Key_X) << ctrl << true << "";
        QTest::newRow("arrow keys pass")
            << true << QString() << int(Qt::Key_Left) << none << true << "12";
        QTest::newRow("empty set refuses digits")
            << true << QString() << int(Qt::Key_5) << none << false << "12";
        QTest::newRow("empty set still takes backspace")
            << true << QString() << int(Qt::Key_Backspace) << none << false << "1";
        QTest::newRow("mask off") << false << digits << int(Qt::Key_A) << none << false << "12a";
    }

    void maskEdit() {
        QFETCH(bool, mask);
        QFETCH(QString, allowed);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, selectAll);
        QFETCH(QString, result);

        QGuiApplication::clipboard()->setText(QStringLiteral("ab"));
        CMaskEdit edit;
        edit.SetAllowedCharacters(allowed);
        edit.SetMaskEnabled(mask);
        edit.setText(QStringLiteral("12"));
        if (selectAll) {
            edit.selectAll();
        }
        QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(edit.text(), result);
    }

    void maskEditKeepsAtMost254Characters() {
        CMaskEdit edit;
        edit.SetAllowedCharacters(QString(300, QLatin1Char('x')) + QLatin1Char('y'));
        edit.SetMaskEnabled(true);
        QCOMPARE(edit.AllowedCharacters().size(), CMaskEdit::kMaxAllowedCharacters);
        QVERIFY(edit.Accepts(QLatin1Char('x')));
        QVERIFY(!edit.Accepts(QLatin1Char('y')));
    }

    void labelRedrawsOnlyForANewText() {
        QWidget window;
        auto* label = new CLabel(&window);
        label->resize(200, 30);
        window.resize(220, 50);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintCounter paints(label);

        label->SetText(QStringLiteral("Flashing"));
        QTRY_COMPARE_WITH_TIMEOUT(paints.count, 1, 10000);
        label->SetText(QStringLiteral("Flashing"));
        QCoreApplication::processEvents();
        QTest::qWait(50);
        QCOMPARE(paints.count, 1);
        label->SetText(QStringLiteral("Restarting"));
        QTRY_COMPARE_WITH_TIMEOUT(paints.count, 2, 10000);
        QCOMPARE(label->Text(), QStringLiteral("Restarting"));
    }

    void labelBackground() {
        QWidget window;
        QPalette colours = window.palette();
        colours.setColor(QPalette::Window, QColor(0, 128, 0));
        colours.setColor(QPalette::Button, QColor(10, 20, 30));
        window.setPalette(colours);
        window.setAutoFillBackground(true);
        auto* label = new CLabel(&window);
        label->resize(100, 20);
        label->SetText(QStringLiteral("x"));
        QCOMPARE(window.grab().toImage().pixel(99, 19), qRgb(0, 128, 0));
        label->SetPlainBackground(true);
        QCOMPARE(window.grab().toImage().pixel(99, 19), qRgb(10, 20, 30));
    }

    void colourStatic() {
        QWidget window;
        QPalette colours = window.palette();
        colours.setColor(QPalette::Window, QColor(0, 0, 255));
        window.setPalette(colours);
        window.setAutoFillBackground(true);
        auto* text = new CXColorStatic(QStringLiteral("WWWW"), &window);
        text->resize(120, 30);
        text->SetTextColor(QColor(255, 0, 0));
        text->SetBold(true);
        QVERIFY(text->font().bold());
        QImage image = window.grab().toImage();
        QVERIFY(Contains(image, qRgb(255, 0, 0)));
        QCOMPARE(image.pixel(119, 29), qRgb(0, 0, 255)); // transparent by default

        text->SetBackgroundColor(QColor(0, 255, 0));
        image = window.grab().toImage();
        QCOMPARE(image.pixel(119, 29), qRgb(0, 255, 0));
        text->SetBold(false);
        QVERIFY(!text->font().bold());
    }

    void transparentImage() {
        QImage picture(4, 2, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 255));
        picture.setPixelColor(3, 0, QColor(0, 0, 200));
        picture.setPixelColor(3, 1, QColor(254, 0, 255)); // near magenta stays
        QWidget window;
        QPalette colours = window.palette();
        colours.setColor(QPalette::Window, QColor(0, 160, 0));
        window.setPalette(colours);
        window.setAutoFillBackground(true);
        window.resize(10, 10);
        auto* image = new CTransparentImage(&window);
        image->SetBitmap(QPixmap::fromImage(picture));
        QCOMPARE(image->sizeHint(), QSize(4, 2));
        image->resize(image->sizeHint());

        const QImage shown = window.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), qRgb(0, 160, 0));
        QCOMPARE(shown.pixel(2, 1), qRgb(0, 160, 0));
        QCOMPARE(shown.pixel(3, 0), qRgb(0, 0, 200));
        QCOMPARE(shown.pixel(3, 1), qRgb(254, 0, 255));
    }

    void fileDialogFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::newRow("firmware") << "Firmware files (*.bin)|*.bin||"
                                  << QStringList{"Firmware files (*.bin) (*.bin)"};
        QTest::newRow("two filters, several patterns")
            << "Images|*.bin;*.img|All files|*.*||"
            << QStringList{"Images (*.bin *.img)", "All files (*.*)"};
        QTest::newRow("without closing bars")
            << "Firmware|*.bin" << QStringList{"Firmware (*.bin)"};
        QTest::newRow("description without pattern")
            << "Everything" << QStringList{"Everything (*)"};
        QTest::newRow("pairs after the closing bars are ignored")
            << "A|*.a||B|*.b||" << QStringList{"A (*.a)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void fileDialogFilter() {
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QCOMPARE(CMyFileDialog::ConvertFilter(filter), nameFilters);
    }

    void fileDialogTexts() {
        CMyFileDialog dialog(true);
        dialog.SetFilterText(QString::fromStdString(GetString("IDS_FIRMWARE_FILTER")));
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog.labelText(QFileDialog::Accept), QStringLiteral("OK"));
        QCOMPARE(dialog.labelText(QFileDialog::Reject), QStringLiteral("Cancel"));
        QCOMPARE(dialog.labelText(QFileDialog::FileType), QStringLiteral("Files of &type:"));
        QCOMPARE(dialog.labelText(QFileDialog::FileName), QStringLiteral("File &name:"));
        QCOMPARE(dialog.labelText(QFileDialog::LookIn), QStringLiteral("Look &in:"));
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QCOMPARE(types->itemText(0), QStringLiteral("Firmware files (*.bin)"));
        // A label without a buddy would show the accelerator mark as written.
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text().contains(QLatin1Char('&'))) {
                QVERIFY2(label->buddy(), qPrintable(label->text()));
            }
        }

        dialog.SetOpenDialog(false);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.labelText(QFileDialog::LookIn), QStringLiteral("Save &in:"));

        StringManager::Instance().SetLanguage("de");
        CMyFileDialog german(true);
        StringManager::Instance().SetLanguage("en");
        QCOMPARE(german.labelText(QFileDialog::LookIn), QStringLiteral("&Suchen in:"));
    }

    void textFormat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QString>("text");
        QTest::newRow("range") << "between %d and %d" << QVariantList{0, 60000}
                               << "between 0 and 60000";
        QTest::newRow("host and port")
            << "(%s:%d)" << QVariantList{"10.0.0.1", 6666} << "(10.0.0.1:6666)";
        QTest::newRow("hex and unsigned") << "%X-%u" << QVariantList{255, 7} << "FF-7";
        QTest::newRow("percent sign") << "100%%" << QVariantList{} << "100%";
        QTest::newRow("missing argument") << "%d and %d" << QVariantList{1} << "1 and %d";
        QTest::newRow("unknown placeholder") << "%n%p %d" << QVariantList{3} << "%n%p 3";
        QTest::newRow("trailing percent") << "50%" << QVariantList{} << "50%";
    }

    void textFormat() {
        QFETCH(QString, format);
        QFETCH(QVariantList, arguments);
        QFETCH(QString, text);
        QString result;
        switch (arguments.size()) {
        case 0:
            result = FormatText(format, {});
            break;
        case 1:
            result = FormatText(format, {arguments[0]});
            break;
        default:
            result = FormatText(format, {arguments[0], arguments[1]});
            break;
        }
        QCOMPARE(result, text);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestControls test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Controls.moc"
