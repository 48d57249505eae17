#include <QtTest>

#include <cmath>

#include "ZTAdjustmentManager.h"
#include "ZTBrightnessContrast.h"
#include "ZTHueSaturation.h"
#include "ZTLevels.h"
#include "pixeltesting.h"

namespace {

ZTAdjustment* Adjustment(const QString& name)
{
    return ZTAdjustmentManager::GetInstance()->GetAdjustment(name);
}

// An adjustment of the test's own, registered beside the built-in ones.
class InvertAdjustment : public ZTAdjustment
{
public:
    QString GetName() const override { return QStringLiteral("Invert"); }
    QByteArray GetDefaultParams() const override { return QByteArray(1, '\0'); }
    bool IsValidParams(const QByteArray& params) const override { return params.size() == 1; }
    bool ApplyParams(const QByteArray&, KXImage32&) const override { return true; }
};

QByteArray Levels(int channel, int inputBlack, int inputWhite, double gamma, int outputBlack, int outputWhite)
{
    ZTLevels::Params params;
    params.channels[channel] = {inputBlack, inputWhite, gamma, outputBlack, outputWhite};
    return ZTLevels::Encode(params);
}

QByteArray Bc(int brightness, int contrast)
{
    return ZTBrightnessContrast::Encode({brightness, contrast});
}

QByteArray Hs(int hue, int saturation, int lightness)
{
    return ZTHueSaturation::Encode({hue, saturation, lightness});
}

const QString bc = ZTBrightnessContrast::Name();
const QString hs = ZTHueSaturation::Name();
const QString levels = ZTLevels::Name();

} // namespace

class TestAdjustments : public QObject
{
    Q_OBJECT

private slots:
    void registry()
    {
        ZTAdjustmentManager* manager = ZTAdjustmentManager::GetInstance();
        QCOMPARE(manager->Names().mid(0, 3), QStringList({"Brightness/Contrast", "Levels", "Hue/Saturation"}));
        for (const QString& name : manager->Names())
            QCOMPARE(manager->GetAdjustment(name)->GetName(), name);
        QCOMPARE(manager->GetAdjustment("levels"), nullptr);

        QVERIFY(!manager->Register(nullptr));
        ZTLevels duplicate;
        QVERIFY(!manager->Register(&duplicate)); // the name is taken; the caller keeps it
        auto* invert = new InvertAdjustment;
        QVERIFY(manager->Register(invert));
        QVERIFY(!manager->Register(invert));
        QCOMPARE(manager->GetAdjustment("Invert"), invert);
        QCOMPARE(manager->Names().last(), QStringLiteral("Invert"));
    }

    // Parameters at their limits, their exact bytes (QDataStream, big-endian, qint32 and double fields),
    // and their way through a target and back.
    void parametersRoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("params");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("brightness") << bc << Bc(-150, 100) << QByteArray::fromHex("ffffff6a00000064");
        QTest::newRow("hue") << hs << Hs(180, -100, -100) << QByteArray::fromHex("000000b4ffffff9cffffff9c");
        const QByteArray identity = QByteArray::fromHex("00000000000000ff3ff000000000000000000000000000ff");
        const QByteArray blue = QByteArray::fromHex("00000014000000c84023fae147ae147b000000ff00000000");
        QTest::newRow("levels") << levels << Levels(ZTLevels::Blue, 20, 200, 9.99, 255, 0)
                                << identity.repeated(3) + blue;
    }
    void parametersRoundTrip()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, params);
        QFETCH(QByteArray, bytes);
        QCOMPARE(params, bytes);
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
    }

    void invalidParameters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("params");
        QTest::newRow("empty") << bc << QByteArray();
        QTest::newRow("truncated") << bc << Bc(5, 5).left(7);
        QTest::newRow("overlong") << bc << Bc(5, 5) + '\0';
        QTest::newRow("brightness too high") << bc << Bc(151, 0);
        QTest::newRow("hue too high") << hs << Hs(181, 0, 0);
        QTest::newRow("levels black = white") << levels << Levels(ZTLevels::Red, 100, 100, 1, 0, 255);
        QTest::newRow("levels gamma NaN") << levels << Levels(ZTLevels::Green, 0, 255, std::nan(""), 0, 255);
        QTest::newRow("other adjustment's bytes") << levels << Bc(5, 5);
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
        // Bytes stored behind the adjustment's back do not apply either (nothing stored means the defaults).
        target.Store(params);
        QCOMPARE(adjustment->Apply(target, image), params.isEmpty());
        QCOMPARE(image.GetPixel(1, 1), KXRGBA32i(100, 100, 100, 255));
    }

    void invalidTarget()
    {
        ZTAdjustment* adjustment = Adjustment(levels);
        const ZTAdjustmentTarget none;
        QVERIFY(!adjustment->SetParams(none, adjustment->GetDefaultParams()));
        QCOMPARE(adjustment->GetParams(none), QByteArray());
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
        using P = KXRGBA32i;
        const P grey(100, 100, 100, 255);
        // No parameters stored: the defaults, which change nothing and copy nothing.
        QTest::newRow("brightness defaults") << bc << QByteArray() << grey << grey;
        QTest::newRow("levels defaults") << levels << QByteArray() << P(1, 2, 3, 4) << P(1, 2, 3, 4);
        QTest::newRow("hue defaults") << hs << QByteArray() << P(12, 130, 250, 255) << P(12, 130, 250, 255);
        QTest::newRow("brighter") << bc << Bc(10, 0) << grey << P(110, 110, 110, 255);
        QTest::newRow("darker, clipped") << bc << Bc(-150, 0) << grey << P(0, 0, 0, 255);
        QTest::newRow("contrast down") << bc << Bc(0, -50) << P(28, 228, 128, 9) << P(78, 178, 128, 9);
        QTest::newRow("threshold") << bc << Bc(0, 100) << P(127, 129, 128, 255) << P(0, 255, 128, 255);
        QTest::newRow("transparent untouched") << bc << Bc(50, 0) << P(100, 0, 0, 0) << P(100, 0, 0, 0);
        QTest::newRow("levels invert") << levels << Levels(ZTLevels::Composite, 0, 255, 1, 255, 0) << P(0, 55, 255, 255)
                                       << P(255, 200, 0, 255);
        QTest::newRow("levels input range")
            << levels << Levels(ZTLevels::Red, 50, 150, 1, 0, 255) << P(100, 100, 10, 255) << P(128, 100, 10, 255);
        QTest::newRow("levels gamma") << levels << Levels(ZTLevels::Green, 0, 255, 2, 0, 255) << P(64, 64, 64, 255)
                                      << P(64, 128, 64, 255);
        QTest::newRow("hue to green") << hs << Hs(120, 0, 0) << P(255, 0, 0, 255) << P(0, 255, 0, 255);
        QTest::newRow("grey") << hs << Hs(0, -100, 0) << P(255, 0, 0, 255) << P(128, 128, 128, 255);
        QTest::newRow("white") << hs << Hs(0, 0, 100) << P(10, 200, 30, 255) << P(255, 255, 255, 255);
    }
    void pixels()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, params);
        QFETCH(KXRGBA32i, before);
        QFETCH(KXRGBA32i, after);
        ZTAdjustment* adjustment = Adjustment(name);
        const ZTAdjustmentTarget target = ZTAdjustmentTarget::Create();
        if (params.isEmpty())
            QCOMPARE(adjustment->GetParams(target), adjustment->GetDefaultParams());
        else
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
        if (params.isEmpty())
            QCOMPARE(image.GetTile(0, 0), original.GetTile(0, 0));
    }
};

QTEST_MAIN(TestAdjustments)
#include "tst_adjustments.moc"
