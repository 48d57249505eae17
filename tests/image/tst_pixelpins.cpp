#include <QCryptographicHash>
#include <QtTest>

#include <vector>

#include "KXImageOps.h"

// Pins the exact pixels of the resamplers and of normal blending on a
// patterned image (hashes taken before their fast paths were written): the
// fast paths must keep every bit.
namespace {

// Every pixel different, with a range of alphas (0, 255 and between).
KXImage32 Pattern(int width, int height, bool translucent)
{
    KXImage32 image{unsigned(width), unsigned(height)};
    std::vector<KXRGBA32i> line(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            line[size_t(x)] = KXRGBA32i(quint8(x * 7), quint8(y * 3), quint8(x ^ y),
                                        translucent ? quint8((x * y) & 255) : 255);
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(width) * 4);
    }
    return image;
}

QByteArray Hash(const KXImage32& image)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    std::vector<unsigned char> line(size_t(image.GetWidth()) * 4);
    for (unsigned int y = 0; y < image.GetHeight(); ++y) {
        image.ReadLine(y, 0, line.data(), unsigned(line.size()));
        hash.addData(reinterpret_cast<const char*>(line.data()), int(line.size()));
    }
    return hash.result().toHex().left(16);
}

KXImage32 Target(int size)
{
    KXImage32 target{unsigned(size), unsigned(size)};
    target.Fill(KXRGBA32i(40, 80, 120, 255));
    return target;
}

using Resample = bool (*)(const KXImage32&, const QTransform&, KXImage32&, const QRect&);

} // namespace

Q_DECLARE_METATYPE(Resample)

class PixelPinsTest : public QObject
{
    Q_OBJECT

private slots:
    void resamplers_data()
    {
        QTest::addColumn<Resample>("resample");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<bool>("translucent");
        QTest::addColumn<QByteArray>("expected");
        QTransform rotation;
        rotation.translate(150, 150);
        rotation.rotate(10);
        rotation.scale(1.1, 1.1);
        rotation.translate(-150, -150);
        const QTransform shrink = QTransform::fromScale(0.37, 0.61);
        const QTransform skew = QTransform().shear(0.3, 0.1).scale(2.5, 2.5);
        const struct
        {
            const char* name;
            Resample resample;
        } filters[] = {{"nearest", NearestNeighbourTransformImage},
                       {"bilinear", BilinearTransformImage},
                       {"bicubic", BicubicTransformImage}};
        const QByteArray pins[3][4] = {
            {"d2598fb20b60f234", "93d95d956f97396f", "14cca02861849039", "bd9003641112886e"},
            {"ef7b249b124ac7ca", "46c8845835f4d78a", "0785290e616fd115", "fddefc8b07b0fbb6"},
            {"1011d2c8d2372675", "7471707c3776f4bb", "ebdb3a9fa22cb655", "feb4fe09944099ea"}};
        for (int f = 0; f < 3; ++f) {
            const QString name = QLatin1String(filters[f].name);
            QTest::newRow(qPrintable(name + QStringLiteral(", rotated"))) << filters[f].resample << rotation << false
                                                                          << pins[f][0];
            QTest::newRow(qPrintable(name + QStringLiteral(", rotated, translucent")))
                << filters[f].resample << rotation << true << pins[f][1];
            QTest::newRow(qPrintable(name + QStringLiteral(", shrunk"))) << filters[f].resample << shrink << true
                                                                         << pins[f][2];
            QTest::newRow(qPrintable(name + QStringLiteral(", skewed"))) << filters[f].resample << skew << true
                                                                         << pins[f][3];
        }
    }
    void resamplers()
    {
        QFETCH(Resample, resample);
        QFETCH(QTransform, transform);
        QFETCH(bool, translucent);
        QFETCH(QByteArray, expected);
        KXImage32 target = Target(300);
        QVERIFY(resample(Pattern(300, 300, translucent), transform, target, QRect()));
        QCOMPARE(Hash(target), expected);
    }

    // Paths the rows above miss, onto a translucent destination (edges mix
    // with it): perspectives (one with a horizon inside the image), whole- and
    // half-pixel shifts, an enlargement.
    void resamplersOntoTranslucent_data()
    {
        QTest::addColumn<Resample>("resample");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<QByteArray>("expected");
        QTransform perspective;
        const QPolygonF square({QPointF(0, 0), QPointF(300, 0), QPointF(300, 300), QPointF(0, 300)});
        const QPolygonF quad({QPointF(20, 10), QPointF(270, 40), QPointF(290, 250), QPointF(5, 280)});
        QVERIFY(QTransform::quadToQuad(square, quad, perspective));
        // Its inverse puts the horizon (w = 0) across the destination near x = 210.
        const QTransform horizon = QTransform(1, 0.05, -0.005, 0.1, 1, 0.0005, 3, 2, 1).inverted();
        const struct
        {
            const char* name;
            Resample resample;
        } filters[] = {{"bilinear", BilinearTransformImage}, {"bicubic", BicubicTransformImage}};
        const QByteArray pins[2][5] = {
            {"1f344ac83f15fa2a", "0c28297e77ec4805", "7375542201d1f479", "b6222b5b81244de3", "eff56d0ef0a2ff38"},
            {"8c0edd8b475301da", "63d604ee6a34e720", "7375542201d1f479", "19235e0cd9e77400", "190edf5ec2b616c0"}};
        for (int f = 0; f < 2; ++f) {
            const QString name = QLatin1String(filters[f].name);
            const QTransform transforms[5] = {perspective, horizon, QTransform::fromTranslate(7, -3),
                                              QTransform::fromTranslate(-2.5, 4.5), QTransform::fromScale(1.7, 2.3)};
            const char* names[5] = {", perspective", ", horizon", ", whole pixels", ", half pixels", ", enlarged"};
            for (int t = 0; t < 5; ++t)
                QTest::newRow(qPrintable(name + QLatin1String(names[t]))) << filters[f].resample << transforms[t]
                                                                          << pins[f][t];
        }
    }
    void resamplersOntoTranslucent()
    {
        QFETCH(Resample, resample);
        QFETCH(QTransform, transform);
        QFETCH(QByteArray, expected);
        KXImage32 target = Pattern(300, 300, true);
        QVERIFY(resample(Pattern(300, 300, true), transform, target, QRect()));
        QCOMPARE(Hash(target), expected);
    }

    void normalBlending_data()
    {
        QTest::addColumn<double>("opacity");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("full strength, aligned") << 1.0 << QPoint(0, 0) << QByteArray("01096ff0be4a43c5");
        QTest::newRow("0.37, aligned") << 0.37 << QPoint(0, 0) << QByteArray("521439e79df22133");
        QTest::newRow("full strength, shifted") << 1.0 << QPoint(3, 130) << QByteArray("42ab52b15d1a68ef");
    }
    void normalBlending()
    {
        QFETCH(double, opacity);
        QFETCH(QPoint, at);
        QFETCH(QByteArray, expected);
        KXImage32 target = Target(300);
        const KXImage32 source = Pattern(300, 300, true);
        QVERIFY(BlendOn(source, source.GetRect(), KXBlendNormal, target, source.GetRect().translated(at), opacity,
                        false));
        QCOMPARE(Hash(target), expected);
    }

    void normalBlendingOntoTranslucent()
    {
        KXImage32 target = Pattern(300, 300, true);
        const KXImage32 source = Pattern(300, 300, true);
        QVERIFY(BlendOn(source, source.GetRect(), KXBlendNormal, target, source.GetRect().translated(3, 130), 0.37,
                        false));
        QCOMPARE(Hash(target), QByteArray("d785329c7944eb45"));
    }
};

QTEST_MAIN(PixelPinsTest)
#include "tst_pixelpins.moc"
