#include "ui/AboutDlg.h"

#include "ui/CTransparentImage.h"
#include "ui/UiText.h"
#include "ui/VersionInfo.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

AboutDlg::AboutDlg(QWidget* parent)
    : QDialog(parent), logo_(new CTransparentImage(this)), version_(new QLabel(this)),
      author_(new QLabel(this)), ok_(new QPushButton(this)) {
    setWindowTitle(TitleFromMenuText(UiText("IDS_ABOUTBOX")));
    logo_->LoadBitmap(kLogoResource);
    version_->setText(ProductVersionLine());
    version_->setTextFormat(Qt::PlainText);
    author_->setText(UiText("IDS_AUTHOR"));
    author_->setTextFormat(Qt::PlainText);
    ok_->setText(UiText("IDS_OK"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addStretch(1);
    texts->addWidget(version_);
    texts->addWidget(author_);
    texts->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(logo_, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutDlg::TitleFromMenuText(const QString& menuText) {
    if (menuText.size() <= 4) {
        return QString();
    }
    return menuText.mid(1, menuText.size() - 4);
}
