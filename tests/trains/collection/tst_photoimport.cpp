// Picture files turned into stored photos: the long edge whatever the orientation, pictures
// beyond Qt's default decoding limit, and files that are not photos.
#include "trains/collection/PhotoImport.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using collection::preparePhoto;

namespace {
// A 24-bit BMP of the given size whose pixels are left as a hole in the file: the decoder
// still has to allocate the whole picture, the disk holds almost nothing.
QString sparseBmp(const QString &path, int width, int height) {
    const quint32 row = (quint32(width) * 3 + 3) & ~3u;
    const quint32 data = row * quint32(height);
    QByteArray head(54, '\0');
    const auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, head.data() + at); };
    head[0] = 'B';
    head[1] = 'M';
    put32(2, 54 + data);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    qToLittleEndian(quint16(1), head.data() + 26);
    qToLittleEndian(quint16(24), head.data() + 28);
    put32(34, data);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(head) != 54 || !f.resize(54 + qint64(data)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
} // namespace

class TestPhotoImport : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

  private slots:
    void storedSizeFollowsTheLongEdge_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("thumb");
        const auto save = [this](const QString &name, QImage picture) {
            picture.fill(Qt::darkRed);
            if (!picture.save(dir.filePath(name)))
                qFatal("cannot write %s", qPrintable(name));
            return dir.filePath(name);
        };
        QTest::newRow("portrait jpeg") << save("tall.jpg", QImage(1200, 3000, QImage::Format_RGB32))
                                       << QSize(819, 2048) << QSize(102, 256);
        QTest::newRow("portrait png") << save("tall.png", QImage(1000, 2500, QImage::Format_ARGB32))
                                      << QSize(819, 2048) << QSize(102, 256);
        // Beyond the 128 MB Qt decodes by default: 16 bits a channel, and a large BMP.
        QTest::newRow("16-bit png") << save("deep.png", QImage(4100, 4100, QImage::Format_RGBA64))
                                    << QSize(2048, 2048) << QSize(256, 256);
        QTest::newRow("large bmp") << sparseBmp(dir.filePath("wide.bmp"), 7000, 5000)
                                   << QSize(2048, 1462) << QSize(256, 182);
    }
    void storedSizeFollowsTheLongEdge() {
        QFETCH(QString, file);
        QFETCH(QSize, image);
        QFETCH(QSize, thumb);
        const collection::PreparedPhoto photo = preparePhoto(file);
        QVERIFY2(photo.error.isEmpty(), qPrintable(photo.error));
        QCOMPARE(QImage::fromData(photo.image, "JPEG").size(), image);
        QCOMPARE(QImage::fromData(photo.thumb, "JPEG").size(), thumb);
    }

    void whatIsNotAPhotoIsRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QFile svg(dir.filePath("drawing.svg"));
        if (!svg.open(QIODevice::WriteOnly))
            qFatal("cannot write drawing.svg");
        svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='800' height='600'>"
                  "<rect width='800' height='600' fill='red'/></svg>");
        svg.close();
        QTest::newRow("svg") << svg.fileName() << "drawing.svg is not a picture Quillon can read";
        QTest::newRow("over 100 megapixels")
            << sparseBmp(dir.filePath("huge.bmp"), 12000, 9000)
            << "huge.bmp has more than 100 megapixels (12000 x 9000)";
    }
    void whatIsNotAPhotoIsRefused() {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        const collection::PreparedPhoto photo = preparePhoto(file);
        QVERIFY2(photo.error.startsWith(reason), qPrintable(photo.error));
        QVERIFY(photo.image.isEmpty() && photo.thumb.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPhotoImport)
#include "tst_photoimport.moc"
