#pragma once
// Turning a picture file into what the photo table stores: the picture scaled to at most
// 2,048 pixels on its long edge and a thumbnail of at most 256, both JPEG. The file itself is
// only read.
#include <QByteArray>
#include <QString>

namespace collection {

struct PreparedPhoto {
    QByteArray image;
    QByteArray thumb;
    QString error; // empty when the file was read; otherwise why not, for the user
};

inline constexpr int kPhotoLongEdge = 2048;
inline constexpr int kThumbLongEdge = 256;

PreparedPhoto preparePhoto(const QString &path);

// The file dialog's filter of the formats photos may come in.
QString photoFileFilter();

} // namespace collection
