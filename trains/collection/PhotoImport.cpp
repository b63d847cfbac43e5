#include "trains/collection/PhotoImport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QObject>
#include <QPainter>

namespace collection {

namespace {
QByteArray jpeg(const QImage &image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    // JPEG has no transparency: transparent parts of a PNG or GIF become white, not black.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    return writer.write(flat) ? bytes : QByteArray();
}

// Decoders fill a cut-off picture with grey and call it read; the end markers tell.
bool complete(const QByteArray &format, const QByteArray &bytes) {
    QByteArrayView data(bytes);
    if (format == "jpeg" || format == "jpg") {
        while (data.endsWith('\0'))
            data.chop(1);
        return data.endsWith("\xff\xd9");
    }
    if (format == "png")
        return data.lastIndexOf("IEND") > 8;
    if (format == "gif")
        return data.endsWith(';');
    return true;
}
} // namespace

PreparedPhoto preparePhoto(const QString &path) {
    PreparedPhoto out;
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = QObject::tr("%1 could not be read: %2. Nothing was stored. ")
                        .arg(name, file.errorString());
        return out;
    }
    QByteArray bytes = file.readAll();
    file.close();
    QBuffer source(&bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    const QByteArray format = reader.format();
    if (format.isEmpty() || !reader.canRead()) {
        out.error = QObject::tr("%1 is not a picture Quillon can read (JPEG, PNG, BMP, GIF or "
                                "WebP). Nothing was stored. ")
                        .arg(name);
        return out;
    }
    if (!complete(format, bytes)) {
        out.error = QObject::tr("%1 is damaged or cut off. Nothing was stored. ").arg(name);
        return out;
    }
    reader.setAutoTransform(true);
    // A large photo is decoded straight to the stored size (JPEG decodes scaled for little),
    // so a 50 MB file never needs its full size in memory.
    const QSize full = reader.size();
    if (full.isValid() && std::max(full.width(), full.height()) > kPhotoLongEdge)
        reader.setScaledSize(full.scaled(kPhotoLongEdge, kPhotoLongEdge, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) {
        out.error = QObject::tr("%1 could not be added as a photo: %2. Nothing was stored. ")
                        .arg(name, reader.errorString());
        return out;
    }
    if (std::max(image.width(), image.height()) > kPhotoLongEdge)
        image = image.scaled(kPhotoLongEdge, kPhotoLongEdge, Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    out.image = jpeg(image, 90);
    out.thumb = jpeg(
        image.scaled(kThumbLongEdge, kThumbLongEdge, Qt::KeepAspectRatio, Qt::SmoothTransformation),
        85);
    if (out.image.isEmpty() || out.thumb.isEmpty())
        out.error =
            QObject::tr("%1 could not be converted for storing. Nothing was stored. ").arg(name);
    return out;
}

QString photoFileFilter() {
    return QObject::tr("Pictures (*.jpg *.jpeg *.png *.bmp *.gif *.webp);;All files (*)");
}

} // namespace collection
