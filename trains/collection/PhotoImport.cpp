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

// Reads the end of the file, where the completeness markers are, without reading it all.
QByteArray tail(QFile &file) {
    const qint64 size = file.size();
    file.seek(std::max<qint64>(0, size - 4096));
    QByteArray bytes = file.read(4096);
    file.seek(0);
    return bytes;
}

// What a photo may be: the formats the file dialog offers. A drawing (SVG) or a document
// is not a photo, even where a Qt plugin could render it.
bool isPhotoFormat(const QByteArray &format) {
    static const QList<QByteArray> kFormats{"jpeg", "jpg", "png", "bmp", "gif", "webp"};
    return kFormats.contains(format);
}

// Decoding needs room for the whole picture before it is scaled (PNG and BMP do not decode
// scaled): a 100-megapixel photo at 16 bits a channel needs 800 MB. Qt's default limit of
// 128 MB refused a 16-bit PNG from an ordinary camera.
constexpr qint64 kMaxPhotoPixels = 100'000'000;
constexpr int kPhotoAllocationMb = int(kMaxPhotoPixels * 8 / (1024 * 1024)) + 1;
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
    const QByteArray end = tail(file);
    QImageReader reader(&file);
    const QByteArray format = reader.format();
    if (!isPhotoFormat(format) || !reader.canRead()) {
        out.error = QObject::tr("%1 is not a picture Quillon can read (JPEG, PNG, BMP, GIF or "
                                "WebP). Nothing was stored. ")
                        .arg(name);
        return out;
    }
    if (!complete(format, end)) {
        out.error = QObject::tr("%1 is damaged or cut off. Nothing was stored. ").arg(name);
        return out;
    }
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && qint64(full.width()) * full.height() > kMaxPhotoPixels) {
        out.error = QObject::tr("%1 has more than 100 megapixels (%2 x %3). Nothing was stored. ")
                        .arg(name)
                        .arg(full.width())
                        .arg(full.height());
        return out;
    }
    if (QImageReader::allocationLimit() < kPhotoAllocationMb)
        QImageReader::setAllocationLimit(kPhotoAllocationMb);
    // A large photo is decoded straight to the stored size where the format can (JPEG decodes
    // scaled for little), so memory stays near the stored size.
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
