#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWizard>

class QMenu;
class QPainter;

// The base of the program's wizards: a QWizard in its modern style whose header (the band
// above the separator line, shown for pages with a title) is filled with a header bitmap. The
// header's title and subtitle are drawn transparently on the bitmap.
// The bitmap is copied 1:1 when its size equals the band; otherwise it is scaled smoothly to
// the band's height and right-aligned, and its first column fills what is left on the left.
class CWizard97PropertySheet : public QWizard {
    Q_OBJECT

public:
    static constexpr int kHeaderBitmapResource = 129;

    // Loads the header bitmap `headerBitmapId` (none for a negative id).
    explicit CWizard97PropertySheet(QWidget* parent = nullptr,
                                    int headerBitmapId = kHeaderBitmapResource);
    ~CWizard97PropertySheet() override;

    void SetHeaderBitmap(const QPixmap& bitmap);
    const QPixmap& HeaderBitmap() const { return headerBitmap_; }
    bool HasHeaderBitmap() const { return !headerBitmap_.isNull(); }

    // The header band widget, once a page with a header has been shown; else null.
    QWidget* HeaderWidget() const { return header_; }
    // The part of the header above its separator line, in the header's coordinates.
    QRect HeaderArea() const;

    // The menu that a right-click on the header (or the context-menu key there) opens; none
    // by default.
    void SetHeaderMenu(QMenu* menu);
    QMenu* HeaderMenu() const;

    static void DrawHeaderBitmap(QPainter& painter, const QRect& area, const QPixmap& bitmap);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AttachHeader();

    QPixmap headerBitmap_;
    QPointer<QWidget> header_;
    QPointer<QMenu> headerMenu_;
};
