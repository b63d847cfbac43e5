#include "trains/collection/PhotoViewer.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace collection {

PhotoViewer::PhotoViewer(CollectionData &data, const QString &itemId, int first, QWidget *parent)
    : QDialog(parent), data_(data), itemId_(itemId) {
    setObjectName(QStringLiteral("frmPhotoViewer"));
    setWindowTitle(tr("Photos of %1").arg(itemId));
    lblImage = new QLabel(this);
    lblImage->setObjectName(QStringLiteral("lblImage"));
    lblImage->setAlignment(Qt::AlignCenter);
    lblImage->setMinimumSize(320, 240);
    lblImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    lblPosition = new QLabel(this);
    txtCaption = new QLineEdit(this);
    txtCaption->setMaxLength(255);
    auto *lblCaption = new QLabel(tr("&Caption:"), this);
    lblCaption->setBuddy(txtCaption);
    cmdPrevious = new QPushButton(tr("&Previous"), this);
    cmdNext = new QPushButton(tr("&Next"), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto *row = new QHBoxLayout;
    row->addWidget(cmdPrevious);
    row->addWidget(lblPosition, 1, Qt::AlignCenter);
    row->addWidget(cmdNext);
    auto *captionRow = new QHBoxLayout;
    captionRow->addWidget(lblCaption);
    captionRow->addWidget(txtCaption, 1);
    auto *box = new QVBoxLayout(this);
    box->addWidget(lblImage, 1);
    box->addLayout(captionRow);
    box->addLayout(row);
    box->addWidget(buttons);

    connect(cmdPrevious, &QPushButton::clicked, this, [this] { showPhoto(current_ - 1); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { showPhoto(current_ + 1); });
    connect(txtCaption, &QLineEdit::editingFinished, this, &PhotoViewer::saveCaption);
    connect(buttons, &QDialogButtonBox::rejected, this, [this] {
        saveCaption();
        reject();
    });
    platform::resumeNext([this] { photos_ = data_.photos(itemId_); });
    resize(800, 640);
    showPhoto(first);
}

void PhotoViewer::saveCaption() {
    if (current_ < 0 || current_ >= photos_.size())
        return;
    PhotoInfo &p = photos_[current_];
    const QString caption = txtCaption->text().trimmed();
    if (caption == p.caption)
        return;
    if (platform::resumeNext([&] { data_.setCaption(p.photoId, caption); }))
        p.caption = caption;
}

void PhotoViewer::showPhoto(int index) {
    if (photos_.isEmpty())
        return;
    saveCaption();
    current_ = std::clamp(index, 0, int(photos_.size()) - 1);
    QByteArray bytes;
    platform::resumeNext([&] { bytes = data_.photoImage(photos_[current_].photoId); });
    image_.loadFromData(bytes, "JPEG");
    txtCaption->setText(photos_[current_].caption);
    lblPosition->setText(tr("%1 of %2").arg(current_ + 1).arg(photos_.size()));
    // A screen reader names the picture by its place and caption, as the window shows them.
    const QString caption = photos_[current_].caption;
    lblImage->setAccessibleName(
        caption.isEmpty()
            ? tr("Photo %1 of %2").arg(current_ + 1).arg(photos_.size())
            : tr("Photo %1 of %2: %3").arg(current_ + 1).arg(photos_.size()).arg(caption));
    cmdPrevious->setEnabled(current_ > 0);
    cmdNext->setEnabled(current_ < photos_.size() - 1);
    fit();
}

void PhotoViewer::fit() {
    if (image_.isNull()) {
        lblImage->setText(tr("The photo cannot be shown."));
        return;
    }
    lblImage->setPixmap(
        image_.scaled(lblImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void PhotoViewer::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    fit();
}

} // namespace collection
