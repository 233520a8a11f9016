#include "ui/CWizard97PropertySheet.h"

#include "ui/ResourceImages.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>

namespace {

// Height of the separator lines QWizard draws at the bottom of its header.
constexpr int kSeparatorHeight = 2;

// QWizard's header is a plain widget with a grid of three labels (title, subtitle, logo);
// it is created when the first page with a title is shown.
QWidget* FindHeader(const QWizard& wizard) {
    for (QWidget* candidate : wizard.findChildren<QWidget*>()) {
        if (candidate->metaObject() != &QWidget::staticMetaObject ||
            !qobject_cast<QGridLayout*>(candidate->layout())) {
            continue;
        }
        if (candidate->findChildren<QLabel*>(Qt::FindDirectChildrenOnly).size() == 3) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

CWizard97PropertySheet::CWizard97PropertySheet(QWidget* parent, int headerBitmapId)
    : QWizard(parent) {
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::HaveHelpButton, false);
    if (headerBitmapId >= 0) {
        headerBitmap_ = LoadResourcePixmap(headerBitmapId, ScreenPixelRatio());
    }
    // The header widget is built again when the layout changes (pages with and without a
    // title); look for it after every page change.
    connect(this, &QWizard::currentIdChanged, this, &CWizard97PropertySheet::AttachHeader,
            Qt::QueuedConnection);
}

CWizard97PropertySheet::~CWizard97PropertySheet() = default;

void CWizard97PropertySheet::SetHeaderBitmap(const QPixmap& bitmap) {
    headerBitmap_ = bitmap;
    if (header_) {
        header_->update();
    }
}

void CWizard97PropertySheet::SetHeaderMenu(QMenu* menu) {
    headerMenu_ = menu;
}

QMenu* CWizard97PropertySheet::HeaderMenu() const {
    return headerMenu_;
}

QRect CWizard97PropertySheet::HeaderArea() const {
    if (!header_) {
        return QRect();
    }
    const QRect all = header_->rect();
    return QRect(all.x(), all.y(), all.width(), qMax(0, all.height() - kSeparatorHeight));
}

void CWizard97PropertySheet::DrawHeaderBitmap(QPainter& painter, const QRect& area,
                                              const QPixmap& bitmap) {
    if (bitmap.isNull() || area.isEmpty()) {
        return;
    }
    const QSizeF size = bitmap.deviceIndependentSize();
    if (size.toSize() == area.size()) {
        painter.drawPixmap(area.topLeft(), bitmap);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(area);
    const qreal scaledWidth = size.width() * area.height() / size.height();
    const QRectF target(area.right() + 1 - scaledWidth, area.top(), scaledWidth, area.height());
    painter.drawPixmap(target, bitmap, QRectF(QPointF(0, 0), QSizeF(bitmap.size())));
    if (target.left() > area.left()) {
        const QRectF rest(area.left(), area.top(), target.left() - area.left(), area.height());
        painter.drawPixmap(rest, bitmap, QRectF(0, 0, 1, bitmap.height()));
    }
    painter.restore();
}

void CWizard97PropertySheet::showEvent(QShowEvent* event) {
    QWizard::showEvent(event);
    AttachHeader();
}

void CWizard97PropertySheet::AttachHeader() {
    QWidget* header = FindHeader(*this);
    if (header == header_) {
        return;
    }
    if (header_) {
        header_->removeEventFilter(this);
    }
    header_ = header;
    if (header_) {
        header_->installEventFilter(this);
        header_->update();
    }
}

bool CWizard97PropertySheet::eventFilter(QObject* watched, QEvent* event) {
    // Paint the bitmap after the header's background and before QWizard draws the separator.
    if (watched == header_ && event->type() == QEvent::Paint && HasHeaderBitmap()) {
        QPainter painter(header_);
        DrawHeaderBitmap(painter, HeaderArea(), headerBitmap_);
    }
    // The header's labels pass their context-menu requests on to the header.
    if (watched == header_ && event->type() == QEvent::ContextMenu && headerMenu_) {
        headerMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWizard::eventFilter(watched, event);
}
