#include "ui/CWizard97PropertySheet.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QWizardPage>
#include <QtTest>

namespace {

QWizardPage* TitledPage(const QString& title) {
    auto* page = new QWizardPage;
    page->setTitle(title);
    page->setSubTitle(QStringLiteral("subtitle"));
    return page;
}

} // namespace

class TestWizard97PropertySheet : public QObject {
    Q_OBJECT

private slots:
    void headerBitmapFromTheResources() {
        CWizard97PropertySheet sheet;
        QVERIFY(sheet.HasHeaderBitmap());
        QVERIFY(sheet.HeaderBitmap().width() > sheet.HeaderBitmap().height());
        QCOMPARE(sheet.wizardStyle(), QWizard::ModernStyle);
    }

    void headerIsPaintedWithTheBitmap() {
        // A red first column and a blue rest, much flatter than the header: scaled to the
        // header's height it covers the right part, and the red column fills the left.
        QImage picture(100, 10, QImage::Format_RGB32);
        picture.fill(QColor(0, 0, 255));
        for (int y = 0; y < picture.height(); ++y) {
            picture.setPixelColor(0, y, QColor(255, 0, 0));
        }
        CWizard97PropertySheet sheet(nullptr, -1);
        QVERIFY(!sheet.HasHeaderBitmap());
        sheet.SetHeaderBitmap(QPixmap::fromImage(picture));
        sheet.addPage(TitledPage(QStringLiteral("First")));
        sheet.addPage(TitledPage(QStringLiteral("Second")));
        sheet.resize(600, 400);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(sheet.HeaderWidget());

        const QRect area = sheet.HeaderArea();
        QVERIFY(area.width() > 200);
        QImage header = sheet.HeaderWidget()->grab().toImage();
        QCOMPARE(header.pixel(area.right() - 2, area.height() / 2), qRgb(0, 0, 255));
        QCOMPARE(header.pixel(2, area.bottom()), qRgb(255, 0, 0));
        // QWizard's separator below the band stays.
        QVERIFY(header.pixel(area.width() / 2, area.bottom() + 1) != qRgb(0, 0, 255));
        // The title sits on the bitmap.
        QStringList texts;
        for (QLabel* label : sheet.HeaderWidget()->findChildren<QLabel*>()) {
            texts << label->text();
        }
        QVERIFY(texts.contains(QStringLiteral("First")));

        sheet.next();
        QTRY_VERIFY_WITH_TIMEOUT(sheet.HeaderWidget() != nullptr, 10000);
        header = sheet.HeaderWidget()->grab().toImage();
        QCOMPARE(header.pixel(area.right() - 2, area.height() / 2), qRgb(0, 0, 255));
    }

    void bitmapOfTheBandsSizeIsCopied() {
        QImage picture(50, 20, QImage::Format_RGB32);
        for (int x = 0; x < 50; ++x) {
            for (int y = 0; y < 20; ++y) {
                picture.setPixel(x, y, qRgb(x * 5, y * 10, 0));
            }
        }
        QImage target(50, 20, QImage::Format_RGB32);
        QPainter painter(&target);
        CWizard97PropertySheet::DrawHeaderBitmap(painter, QRect(0, 0, 50, 20),
                                                 QPixmap::fromImage(picture));
        painter.end();
        QCOMPARE(target, picture);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestWizard97PropertySheet test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CWizard97PropertySheet.moc"
