#include <QtTest>

#include <cmath>

#include "ZTAdjustmentManager.h"
#include "ZTBrightnessContrast.h"
#include "ZTHueSaturation.h"
#include "ZTLevels.h"

Q_DECLARE_METATYPE(KXRGBA32i)

// Pixels in failure messages.
char* toString(const KXRGBA32i& pixel)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3, %4)").arg(pixel.r).arg(pixel.g).arg(pixel.b).arg(pixel.a));
}

namespace {

KXImage32 Filled(int width, int height, const KXRGBA32i& colour)
{
    KXImage32 image{unsigned(width), unsigned(height)};
    image.Fill(colour);
    return image;
}

ZTAdjustment* Adjustment(const QString& name)
{
    return ZTAdjustmentManager::GetInstance()->GetAdjustment(name);
}

// An adjustment that inverts the colour, registered by the test.
class InvertAdjustment : public ZTAdjustment
{
public:
    QString GetName() const override { return QStringLiteral("Invert"); }
    QByteArray GetDefaultParams() const override { return QByteArray(1, '\0'); }
    bool IsValidParams(const QByteArray& params) const override { return params.size() == 1; }
    bool ApplyParams(const QByteArray& params, KXImage32& image) const override
    {
        if (!IsValidParams(params))
            return false;
        quint8 table[256];
        for (int value = 0; value < 256; ++value)
            table[value] = params.at(0) ? quint8(255 - value) : quint8(value);
        ApplyTables(image, table, table, table);
        return true;
    }
};

QByteArray Levels(int channel, int inputBlack, int inputWhite, double gamma, int outputBlack, int outputWhite)
{
    ZTLevels::Params params;
    params.channels[channel] = {inputBlack, inputWhite, gamma, outputBlack, outputWhite};
    return ZTLevels::Encode(params);
}

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestAdjustments : public QObject
{
    Q_OBJECT

private slots:
    void registry()
    {
        ZTAdjustmentManager* manager = ZTAdjustmentManager::GetInstance();
        QVERIFY(manager);
        QCOMPARE(manager, ZTAdjustmentManager::GetInstance());
        QCOMPARE(manager->Names().mid(0, 3), QStringList({"Brightness/Contrast", "Levels", "Hue/Saturation"}));
        for (const QString& name : manager->Names())
            QCOMPARE(manager->GetAdjustment(name)->GetName(), name);
        QCOMPARE(manager->GetAdjustment("levels"), nullptr);
        QCOMPARE(manager->GetAdjustment(QString()), nullptr);

        QVERIFY(!manager->Register(nullptr));
        ZTLevels duplicate;
        QVERIFY(!manager->Register(&duplicate)); // the name is taken; the caller keeps it
        auto* invert = new InvertAdjustment;
        QVERIFY(manager->Register(invert));
        QVERIFY(!manager->Register(invert));
        QCOMPARE(manager->GetAdjustment("Invert"), invert);
        QCOMPARE(manager->Names().last(), QStringLiteral("Invert"));

        ZTAdjustmentTarget target = ZTAdjustmentTarget::Create();
        QVERIFY(invert->SetParams(target, QByteArray(1, '\1')));
        KXImage32 image = Filled(2, 2, KXRGBA32i(10, 20, 30, 255));
        QVERIFY(invert->Apply(target, image));
        QCOMPARE(image.GetPixel(1, 1), KXRGBA32i(245, 235, 225, 255));
    }

    // The exact bytes: QDataStream, big-endian, qint32 and double fields.
    void encoding_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("params");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("brightness/contrast") << ZTBrightnessContrast::Name()
                                             << ZTBrightnessContrast::Encode({10, -20})
                                             << Hex("0000000affffffec");
        QTest::newRow("hue/saturation") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({-180, 100, 1})
                                        << Hex("ffffff4c0000006400000001");
        const QByteArray identity = Hex("00000000000000ff3ff000000000000000000000000000ff");
        QTest::newRow("levels") << ZTLevels::Name() << ZTLevels::Encode(ZTLevels::Params())
                                << identity + identity + identity + identity;
    }
    void encoding()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, params);
        QFETCH(QByteArray, bytes);
        QCOMPARE(params, bytes);
        QVERIFY(Adjustment(name)->IsValidParams(bytes));
    }

    void defaultsAreIdentity_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Brightness/Contrast", "Levels", "Hue/Saturation"})
            QTest::newRow(name) << QString(name);
    }
    void defaultsAreIdentity()
    {
        QFETCH(QString, name);
        ZTAdjustment* adjustment = Adjustment(name);
        QVERIFY(adjustment);
        const ZTAdjustmentTarget target = ZTAdjustmentTarget::Create();
        QCOMPARE(adjustment->GetParams(target), adjustment->GetDefaultParams());
        QVERIFY(target.Stored().isEmpty());
        KXImage32 image = Filled(200, 130, KXRGBA32i(12, 130, 250, 255));
        image.SetPixel(150, 7, KXRGBA32i(1, 2, 3, 4));
        const KXImage32 original = image;
        QVERIFY(adjustment->Apply(target, image));
        QVERIFY(image.IsPixelEqual(original));
        QCOMPARE(image.GetTile(0, 0), original.GetTile(0, 0)); // nothing was copied
    }

    void parametersRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("params");
        QTest::newRow("brightness") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({-150, 100});
        QTest::newRow("hue") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({180, -100, -100});
        QTest::newRow("levels") << ZTLevels::Name() << Levels(ZTLevels::Blue, 20, 200, 9.99, 255, 0);
    }
    void parametersRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, params);
        ZTAdjustment* adjustment = Adjustment(name);
        const ZTAdjustmentTarget target = ZTAdjustmentTarget::Create();
        const ZTAdjustmentTarget copy = target;
        QVERIFY(adjustment->SetParams(copy, params));
        QCOMPARE(adjustment->GetParams(target), params);
        QCOMPARE(target.Stored(), params);

        // A detached target starts as a copy and then goes its own way.
        const ZTAdjustmentTarget detached = target.Detached();
        QVERIFY(detached != target);
        QCOMPARE(adjustment->GetParams(detached), params);
        QVERIFY(adjustment->SetParams(detached, adjustment->GetDefaultParams()));
        QCOMPARE(adjustment->GetParams(target), params);

        if (name == ZTLevels::Name()) {
            ZTLevels::Params decoded;
            QVERIFY(ZTLevels::Decode(params, decoded));
            QCOMPARE(decoded.channels[ZTLevels::Blue].gamma, 9.99);
            QCOMPARE(decoded.channels[ZTLevels::Blue].outputBlack, 255);
            QCOMPARE(decoded.channels[ZTLevels::Red].inputWhite, 255);
        }
    }

    void invalidParameters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("params");
        const QByteArray brightness = ZTBrightnessContrast::Encode({5, 5});
        QTest::newRow("empty") << ZTBrightnessContrast::Name() << QByteArray();
        QTest::newRow("truncated") << ZTBrightnessContrast::Name() << brightness.left(7);
        QTest::newRow("overlong") << ZTBrightnessContrast::Name() << brightness + '\0';
        QTest::newRow("brightness too high") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({151, 0});
        QTest::newRow("contrast too low") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({0, -101});
        QTest::newRow("hue too high") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({181, 0, 0});
        QTest::newRow("lightness too low") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({0, 0, -101});
        QTest::newRow("levels black = white") << ZTLevels::Name() << Levels(ZTLevels::Red, 100, 100, 1, 0, 255);
        QTest::newRow("levels white too high") << ZTLevels::Name() << Levels(ZTLevels::Composite, 0, 256, 1, 0, 255);
        QTest::newRow("levels gamma too low") << ZTLevels::Name() << Levels(ZTLevels::Green, 0, 255, 0.09, 0, 255);
        QTest::newRow("levels gamma NaN") << ZTLevels::Name() << Levels(ZTLevels::Green, 0, 255, std::nan(""), 0, 255);
        QTest::newRow("levels output negative") << ZTLevels::Name() << Levels(ZTLevels::Blue, 0, 255, 1, -1, 255);
        QTest::newRow("levels one channel short") << ZTLevels::Name() << ZTLevels::Encode({}).left(72);
        QTest::newRow("other adjustment's bytes") << ZTLevels::Name() << brightness;
    }
    void invalidParameters()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, params);
        ZTAdjustment* adjustment = Adjustment(name);
        QVERIFY(!adjustment->IsValidParams(params));
        const ZTAdjustmentTarget target = ZTAdjustmentTarget::Create();
        QVERIFY(!adjustment->SetParams(target, params));
        QVERIFY(target.Stored().isEmpty());
        KXImage32 image = Filled(3, 3, KXRGBA32i(100, 100, 100, 255));
        QVERIFY(!adjustment->ApplyParams(params, image));
        QCOMPARE(image.GetPixel(1, 1), KXRGBA32i(100, 100, 100, 255));
        // Bytes stored behind the adjustment's back do not apply either.
        // (Nothing stored means the defaults.)
        target.Store(params);
        QCOMPARE(adjustment->Apply(target, image), params.isEmpty());
        QCOMPARE(image.GetPixel(1, 1), KXRGBA32i(100, 100, 100, 255));
    }

    void invalidTarget()
    {
        ZTAdjustment* adjustment = Adjustment(ZTLevels::Name());
        const ZTAdjustmentTarget none;
        QVERIFY(!none.IsValid());
        QVERIFY(none == ZTAdjustmentTarget());
        QCOMPARE(adjustment->GetParams(none), QByteArray());
        QVERIFY(!adjustment->SetParams(none, adjustment->GetDefaultParams()));
        none.Store("x");
        QCOMPARE(none.Stored(), QByteArray());
        QVERIFY(!none.Detached().IsValid());
        KXImage32 image = Filled(1, 1, KXRGBA32i::OpaqueWhite());
        QVERIFY(!adjustment->Apply(none, image));
        KXImage32 empty;
        QVERIFY(adjustment->ApplyParams(Levels(ZTLevels::Red, 0, 255, 1, 255, 0), empty));
        QVERIFY(empty.IsEmpty());
    }

    void pixels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("params");
        QTest::addColumn<KXRGBA32i>("before");
        QTest::addColumn<KXRGBA32i>("after");
        const KXRGBA32i grey(100, 100, 100, 255);
        QTest::newRow("brighter") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({10, 0}) << grey
                                  << KXRGBA32i(110, 110, 110, 255);
        QTest::newRow("darker, clipped") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({-150, 0})
                                         << grey << KXRGBA32i(0, 0, 0, 255);
        QTest::newRow("contrast down") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({0, -50})
                                       << KXRGBA32i(28, 228, 128, 9) << KXRGBA32i(78, 178, 128, 9);
        QTest::newRow("contrast none") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({0, -100})
                                       << KXRGBA32i(0, 255, 7, 255) << KXRGBA32i(128, 128, 128, 255);
        QTest::newRow("threshold") << ZTBrightnessContrast::Name() << ZTBrightnessContrast::Encode({0, 100})
                                   << KXRGBA32i(127, 129, 128, 255) << KXRGBA32i(0, 255, 128, 255);
        QTest::newRow("transparent untouched") << ZTBrightnessContrast::Name()
                                               << ZTBrightnessContrast::Encode({50, 0}) << KXRGBA32i(100, 0, 0, 0)
                                               << KXRGBA32i(100, 0, 0, 0);
        QTest::newRow("levels invert") << ZTLevels::Name() << Levels(ZTLevels::Composite, 0, 255, 1, 255, 0)
                                       << KXRGBA32i(0, 55, 255, 255) << KXRGBA32i(255, 200, 0, 255);
        QTest::newRow("levels input range") << ZTLevels::Name() << Levels(ZTLevels::Red, 50, 150, 1, 0, 255)
                                            << KXRGBA32i(100, 100, 10, 255) << KXRGBA32i(128, 100, 10, 255);
        QTest::newRow("levels gamma") << ZTLevels::Name() << Levels(ZTLevels::Green, 0, 255, 2, 0, 255)
                                      << KXRGBA32i(64, 64, 64, 255) << KXRGBA32i(64, 128, 64, 255);
        QTest::newRow("hue to green") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({120, 0, 0})
                                      << KXRGBA32i(255, 0, 0, 255) << KXRGBA32i(0, 255, 0, 255);
        QTest::newRow("hue back to blue") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({-120, 0, 0})
                                          << KXRGBA32i(255, 0, 0, 17) << KXRGBA32i(0, 0, 255, 17);
        QTest::newRow("grey") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({0, -100, 0})
                              << KXRGBA32i(255, 0, 0, 255) << KXRGBA32i(128, 128, 128, 255);
        QTest::newRow("white") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({0, 0, 100})
                               << KXRGBA32i(10, 200, 30, 255) << KXRGBA32i(255, 255, 255, 255);
        QTest::newRow("black") << ZTHueSaturation::Name() << ZTHueSaturation::Encode({0, 0, -100})
                               << KXRGBA32i(10, 200, 30, 255) << KXRGBA32i(0, 0, 0, 255);
    }
    void pixels()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, params);
        QFETCH(KXRGBA32i, before);
        QFETCH(KXRGBA32i, after);
        ZTAdjustment* adjustment = Adjustment(name);
        const ZTAdjustmentTarget target = ZTAdjustmentTarget::Create();
        QVERIFY(adjustment->SetParams(target, params));
        // Three tile columns and two rows: inner, right and bottom border tiles.
        KXImage32 image = Filled(300, 200, before);
        const KXImage32 original = image;
        QVERIFY(adjustment->Apply(target, image));
        for (const QPoint& point : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 199), QPoint(299, 199), QPoint(130, 70)})
            QCOMPARE(image.GetPixel(unsigned(point.x()), unsigned(point.y())), after);
        // The copy taken before keeps its pixels (copy-on-write), and each
        // distinct tile was changed once: the image holds no more distinct tiles than before.
        QCOMPARE(original.GetPixel(299, 199), before);
        QVERIFY(image.DistinctTileCount() <= original.DistinctTileCount());
    }
};

QTEST_MAIN(TestAdjustments)
#include "tst_adjustments.moc"
