// Browse's photo strip: the chosen item's photos, added from files, removed after a question
// and viewed large.
#include "trains/collection/PhotoImport.h"
#include "trains/collection/PhotoViewer.h"
#include "trains/collection/frmCollection.h"
#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>

namespace collection {

namespace {
frmCollection::FileAsker &fileAsker() {
    static frmCollection::FileAsker asker;
    return asker;
}
} // namespace

void frmCollection::showPhotos() {
    lstPhotos->clear();
    QList<PhotoInfo> photos;
    platform::trap(
        [&] { photos = data_.photos(chosenItem_); },
        [](const platform::Error &e) { showError(tr("The photos could not be read."), e); });
    for (const PhotoInfo &p : photos) {
        QPixmap thumb;
        thumb.loadFromData(p.thumb, "JPEG");
        auto *item = new QListWidgetItem(QIcon(thumb), p.caption, lstPhotos);
        item->setData(Qt::UserRole, p.photoId);
        item->setToolTip(p.caption);
        // A photo without a caption is still named, by its place among the item's photos.
        const QString place = tr("Photo %1 of %2").arg(lstPhotos->count()).arg(photos.size());
        item->setData(Qt::AccessibleTextRole,
                      p.caption.isEmpty() ? place : place + QStringLiteral(": ") + p.caption);
    }
    cmdRemovePhoto->setEnabled(false);
    cmdViewPhoto->setEnabled(false);
    if (lstPhotos->count() > 0)
        lstPhotos->setCurrentRow(0);
}

void frmCollection::setPhotoFileAsker(FileAsker asker) {
    fileAsker() = std::move(asker);
}

void frmCollection::cmdAddPhotos_Click() {
    if (chosenItem_.isEmpty())
        return;
    const QStringList paths =
        fileAsker()
            ? fileAsker()(this)
            : QFileDialog::getOpenFileNames(this, tr("Add Photos"), QString(), photoFileFilter());
    if (!paths.isEmpty())
        addPhotoFiles(paths);
}

int frmCollection::addPhotoFiles(const QStringList &paths) {
    int stored = 0;
    for (const QString &path : paths) {
        platform::setScreenPointer(platform::Pointer::Wait);
        const PreparedPhoto photo = preparePhoto(path);
        platform::setScreenPointer(platform::Pointer::Default);
        if (!photo.error.isEmpty()) {
            platform::MsgBox(photo.error, platform::exclamation(), kAppTitle);
            continue;
        }
        platform::trap(
            [&] {
                data_.addPhoto(chosenItem_, photo.image, photo.thumb, QString());
                ++stored;
            },
            [&](const platform::Error &e) {
                showError(tr("The photo %1 could not be stored.").arg(path), e);
            });
    }
    showPhotos();
    if (stored > 0)
        lstPhotos->setCurrentRow(lstPhotos->count() - 1);
    return stored;
}

void frmCollection::cmdRemovePhoto_Click() {
    QListWidgetItem *item = lstPhotos->currentItem();
    if (!item)
        return;
    const auto answer = platform::MsgBox(
        tr("Remove the chosen photo of %1 from the collection? ").arg(chosenItem_),
        {platform::MsgIcon::Question, platform::MsgButtons::YesNo, platform::MsgDefault::Button2},
        kAppTitle);
    if (answer != platform::MsgResult::Yes)
        return;
    platform::trap(
        [&] { data_.removePhoto(item->data(Qt::UserRole).toLongLong()); },
        [](const platform::Error &e) { showError(tr("The photo could not be removed."), e); });
    showPhotos();
}

void frmCollection::cmdViewPhoto_Click() {
    if (lstPhotos->count() == 0)
        return;
    PhotoViewer viewer(data_, chosenItem_, std::max(0, lstPhotos->currentRow()), this);
    viewer.exec();
    showPhotos();
}

} // namespace collection
