#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "KXChannelModel.h"
#include "KXComposeHelper.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXDocumentLayerLockerForWrite.h"
#include "KXDocumentModel.h"
#include "KXDocumentSelectionLockerForRead.h"
#include "KXImageHelper.h"
#include "KXMemoryDocument.h"
#include "KXSelectionMaskHelper.h"
#include "KXStyleProxy.h"
#include "ZTAdjustmentManager.h"
#include "ZTBrightnessContrast.h"
#include "pixeltesting.h"

using IdList = QList<unsigned int>;
Q_DECLARE_METATYPE(IdList)

namespace {

QStringList Names(const KXDocumentInterface& document)
{
    QStringList names;
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        names << document.GetLayerName(id);
    return names;
}

// A document with raster layers named A, B, C... (ids 0, 1, 2...).
void AddLayers(KXMemoryDocument& document, int count)
{
    for (int i = 0; i < count; ++i)
        document.AddRasterLayer(QString(QChar('A' + i)), Filled(4, 4, KXRGBA32i(10 * i, 0, 0, 255)));
}

// Re-renders a text layer the way the text commands do.
bool Render(KXDocumentInterface* document, unsigned int id)
{
    KXImageHelper helper;
    if (!helper.InitHelper(document, id))
        return false;
    helper.SetRenderMode(document->GetTextRenderMode(id));
    QTransform placement;
    return helper.drawImage(document, id, QTransform(), placement, false, false);
}

// Counts every signal the document interface declares.
struct DocumentSignals
{
    explicit DocumentSignals(KXDocumentInterface* document)
    {
        const QMetaObject& meta = KXDocumentInterface::staticMetaObject;
        for (int index = meta.methodOffset(); index < meta.methodCount(); ++index) {
            const QMetaMethod method = meta.method(index);
            if (method.methodType() == QMetaMethod::Signal)
                spies.emplace_back(new QSignalSpy(document, QByteArray("2" + method.methodSignature()).constData()));
        }
    }
    int Total() const
    {
        int total = 0;
        for (const auto& spy : spies)
            total += spy->count();
        return total;
    }
    std::vector<std::unique_ptr<QSignalSpy>> spies;
};

} // namespace

class TestMemoryDocument : public QObject
{
    Q_OBJECT

private slots:
    // Creating a layer at id n moves the layers from n up by one, removing it moves them down.
    void idsShift_data()
    {
        QTest::addColumn<unsigned int>("id");
        QTest::addColumn<QStringList>("created"); // empty: refused
        QTest::addColumn<QStringList>("removed"); // empty: refused
        QTest::newRow("bottom") << 0u << QStringList({"N", "A", "B", "C"}) << QStringList({"B", "C"});
        QTest::newRow("middle") << 1u << QStringList({"A", "N", "B", "C"}) << QStringList({"A", "C"});
        QTest::newRow("top") << 2u << QStringList({"A", "B", "N", "C"}) << QStringList({"A", "B"});
        QTest::newRow("past the top") << 3u << QStringList({"A", "B", "C", "N"}) << QStringList();
        QTest::newRow("beyond") << 4u << QStringList() << QStringList();
        QTest::newRow("far out") << 0xFFFFFFFFu << QStringList() << QStringList();
    }
    void idsShift()
    {
        QFETCH(unsigned int, id);
        QFETCH(QStringList, created);
        QFETCH(QStringList, removed);
        ZTAdjustment* adjustment = ZTAdjustmentManager::GetInstance()->GetAdjustment(ZTBrightnessContrast::Name());
        // The four ways to create a layer, then the removal.
        const std::function<bool(KXMemoryDocument&)> change[] = {
            [&](KXMemoryDocument& document) { return document.CreateRasterLayer("N", id); },
            [&](KXMemoryDocument& document) { return document.CreateTextLayer("N", id); },
            [&](KXMemoryDocument& document) { return document.CreateAdjustmentLayer("N", id, adjustment); },
            [&](KXMemoryDocument& document) {
                return document.InsertRasterLayer("N", Filled(2, 3, KXRGBA32i::OpaqueWhite()), QPoint(5, 6),
                                                  KXDocumentInterface::BlendScreen, 0.25, id);
            },
            [&](KXMemoryDocument& document) { return document.RemoveLayer(id); }};
        for (int kind = 0; kind < 5; ++kind) {
            const bool remove = kind == 4;
            const QStringList names = remove ? removed : created;
            const bool accepted = !names.isEmpty();
            KXMemoryDocument document(QSize(10, 10));
            AddLayers(document, 3);
            QSignalSpy about(&document, remove ? &KXDocumentInterface::layerAboutToBeRemoved
                                               : &KXDocumentInterface::layerAboutToBeInserted);
            QSignalSpy done(&document,
                            remove ? &KXDocumentInterface::layerRemoved : &KXDocumentInterface::layerInserted);
            QCOMPARE(change[kind](document), accepted);
            QCOMPARE(Names(document), accepted ? names : QStringList({"A", "B", "C"}));
            QCOMPARE(about.count(), accepted ? 1 : 0);
            QCOMPARE(done.count(), accepted ? 1 : 0);
            if (!accepted)
                continue;
            QCOMPARE(done.at(0).at(0).toUInt(), id);
            if (remove)
                continue;
            QCOMPARE(document.GetLayerType(id), kind == 3 ? 0 : kind);
            if (kind == 3) {
                QCOMPARE(document.GetLayerGeometry(id), QRect(5, 6, 2, 3));
                QCOMPARE(document.GetLayerBlendMode(id), unsigned(KXDocumentInterface::BlendScreen));
                QCOMPARE(document.GetLayerOpacity(id), 0.25);
            } else {
                // An empty layer at (0, 0) with its mask position at (0, 0) too.
                QCOMPARE(document.GetLayerGeometry(id), QRect(0, 0, 0, 0));
                QCOMPARE(document.GetMaskGeometry(id).topLeft(), QPoint(0, 0));
                QCOMPARE(document.GetLayerImage(id) == nullptr, kind == 2);
            }
        }
    }

    void layerSequence_data()
    {
        QTest::addColumn<IdList>("sequence");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("reverse") << IdList({3, 2, 1, 0}) << true << QStringList({"D", "C", "B", "A"});
        QTest::newRow("rotate") << IdList({1, 2, 3, 0}) << true << QStringList({"B", "C", "D", "A"});
        QTest::newRow("too short") << IdList({1, 0, 2}) << false << QStringList({"A", "B", "C", "D"});
        QTest::newRow("repeat") << IdList({1, 1, 2, 3}) << false << QStringList({"A", "B", "C", "D"});
        QTest::newRow("out of range") << IdList({0, 1, 2, 9}) << false << QStringList({"A", "B", "C", "D"});
    }
    void layerSequence()
    {
        QFETCH(IdList, sequence);
        QFETCH(bool, accepted);
        QFETCH(QStringList, names);
        KXMemoryDocument document(QSize(10, 10));
        AddLayers(document, 4);
        document.SetCurrentLayer(1); // "B"
        QSignalSpy reordered(&document, &KXDocumentInterface::layersReordered);
        QCOMPARE(document.SetLayerSequence(sequence), accepted);
        QCOMPARE(Names(document), names);
        QCOMPARE(reordered.count(), accepted ? 1 : 0);
        QCOMPARE(document.GetCurrentLayer(), names.indexOf("B"));
    }

    void currentLayerAndStyleFollowTheLayer()
    {
        KXMemoryDocument document(QSize(10, 10));
        QCOMPARE(document.GetStyleProxy(), nullptr);
        AddLayers(document, 3);
        QCOMPARE(document.GetCurrentLayer(), 2); // the newest
        document.SetCurrentLayer(1);
        KXStyleProxy* style = document.GetStyleProxy();
        QVERIFY(style);
        style->SetStyleName("Glow");
        QVERIFY(document.CreateRasterLayer("N", 0));
        QCOMPARE(document.GetCurrentLayer(), 2);
        QCOMPARE(document.GetStyleProxy(), style);
        QVERIFY(document.RemoveLayer(0));
        QCOMPARE(document.GetCurrentLayer(), 1);
        document.SetCurrentLayer(0);
        QCOMPARE(document.GetStyleProxy()->GetStyleName(), QString());
        QVERIFY(document.RemoveLayer(0));
        QVERIFY(document.RemoveLayer(0));
        QCOMPARE(document.GetCurrentLayer(), -1);
        QCOMPARE(document.GetStyleProxy(), nullptr);
        document.SetCurrentLayer(7);
        QCOMPARE(document.GetCurrentLayer(), -1);
    }
    // Every id at or past the count: getters answer their empty values, setters
    // change nothing and announce nothing, lockers lock nothing.
    void badIdsAreNoOps_data()
    {
        QTest::addColumn<unsigned int>("id");
        QTest::newRow("count") << 3u;
        QTest::newRow("largest") << 0xFFFFFFFFu;
    }
    void badIdsAreNoOps()
    {
        QFETCH(unsigned int, id);
        KXMemoryDocument document(QSize(10, 10));
        AddLayers(document, 3);
        DocumentSignals signals_(&document);
        QCOMPARE(signals_.spies.size(), size_t(15));
        const KXImage32 image = Filled(3, 3, KXRGBA32i::OpaqueWhite());

        QCOMPARE(document.GetLayerType(id), -1);
        QCOMPARE(document.GetLayerImage(id), nullptr);
        QCOMPARE(document.GetLayerMask(id), nullptr);
        KXImage32 mask = image;
        QVERIFY(!document.GetMaskImage(id, mask));
        QVERIFY(mask.IsEmpty());
        ZTAdjustmentTarget target;
        QVERIFY(!document.GetAdjustmentTarget(id, target));
        QVERIFY(!document.GetLayerLock(id));
        KXDocumentLayerLockerForWrite writer(&document, id);
        writer.Relock();
        QVERIFY(!writer.IsLocked());

        QVERIFY(!document.RemoveLayer(id));
        QVERIFY(!document.ConvertTextLayerToRaster(id));
        QVERIFY(!document.SetLayerImage(id, image));
        QVERIFY(!document.CreateLayerMask(id, image, true));
        QVERIFY(!document.SetLayerMask(id, image));
        QVERIFY(!document.RemoveLayerMask(id));
        document.SetLayerName(id, "X");
        document.SetLayerOpacity(id, 0.5);
        document.SetLayerBlendMode(id, 3);
        document.SetLayerVisible(id, false);
        document.SetLayerLocks(id, 7);
        document.SetLayerAndMaskPosition(id, QPoint(1, 1), QPoint(2, 2));
        document.MoveLayerAndMask(id, QPoint(1, 1), QPoint(2, 2));
        document.UpdateLayer(id);
        document.UpdateLayerMask(id);
        document.SetMaskEnabled(id, false);
        document.SetMaskLinked(id, false);
        document.SetMaskType(id, true);
        document.SetText(id, "t");
        document.SetTextTransform(id, QMatrix4x4(QTransform::fromScale(2, 2)));
        QVERIFY(!Render(&document, id));
        QCOMPARE(signals_.Total(), 0);
        QCOMPARE(Names(document), QStringList({"A", "B", "C"}));
    }
    // Text attributes belong to text layers, pixels to raster and text layers,
    // parameters to adjustment layers; asking the wrong kind changes nothing.
    void operationsOfOtherLayerKindsAreRefused()
    {
        KXMemoryDocument document(QSize(10, 10));
        document.AddRasterLayer("raster", Filled(4, 4, KXRGBA32i::OpaqueWhite()));
        const unsigned int adjustmentId = document.AddAdjustmentLayer("levels", "Levels");
        DocumentSignals signals_(&document);
        document.SetText(0, "t");
        document.SetTextBend(0, 0.5);
        QCOMPARE(document.GetText(0), QString());
        QVERIFY(!document.ConvertTextLayerToRaster(0));
        QVERIFY(!Render(&document, 0));
        ZTAdjustment* adjustment = nullptr;
        QVERIFY(!document.GetLayerAdjustment(0, adjustment));
        QVERIFY(!document.SetLayerImage(adjustmentId, Filled(2, 2, KXRGBA32i::OpaqueWhite())));
        QCOMPARE(document.GetLayerImage(adjustmentId), nullptr);
        QCOMPARE(signals_.Total(), 0);
    }
    void badArgumentsAreRefused()
    {
        KXMemoryDocument huge(QSize(KXDocumentInterface::MAX_DOC_DIMENSION + 1, 5));
        QCOMPARE(huge.GetCanvasSize(), QSize(0, 0));

        KXMemoryDocument document(QSize(20, 10));
        QSignalSpy canvas(&document, &KXDocumentInterface::canvasSizeChanged);
        QVERIFY(!document.SetCanvasSize(QSize(5, -1)));
        QVERIFY(!document.SetCanvasSize(QSize(KXDocumentInterface::MAX_DOC_DIMENSION + 1, 5)));
        QVERIFY(document.SetCanvasSize(QSize(20, 10)));
        QCOMPARE(canvas.count(), 0);
        QVERIFY(document.SetCanvasSize(QSize(KXDocumentInterface::MAX_DOC_DIMENSION, 30)));
        QCOMPARE(canvas.count(), 1);

        AddLayers(document, 1);
        QVERIFY(!document.CreateAdjustmentLayer("none", 0, nullptr));
        QCOMPARE(document.AddAdjustmentLayer("none", "No such adjustment"), KXMemoryDocument::InvalidId);
        QVERIFY(!document.CreateLayerMask(0, KXImage32(), false));
        QVERIFY(document.CreateLayerMask(0, Filled(2, 2, KXRGBA32i::OpaqueWhite()), false));
        QVERIFY(!document.SetLayerMask(0, KXImage32()));
        QCOMPARE(document.GetLayerMask(0)->GetSize(), QSize(2, 2));
        QVERIFY(!document.CreateAlphaChannelFromMask("a", KXImage32(), 0));
        QCOMPARE(document.GetChannelModel()->GetAlphaChannelCount(), 0u);
        QCOMPARE(document.GetLayerCount(), 1u);
        // A layer may hold an empty image (an empty raster, an empty text).
        QVERIFY(document.SetLayerImage(0, KXImage32()));
        QCOMPARE(document.GetLayerGeometry(0), QRect(0, 0, 0, 0));
    }

    void propertiesAnnounceRealChangesOnly()
    {
        KXMemoryDocument document(QSize(10, 10));
        AddLayers(document, 1);
        QSignalSpy properties(&document, &KXDocumentInterface::layerPropertiesChanged);
        document.SetLayerName(0, "A");
        document.SetLayerOpacity(0, 1.0);
        document.SetLayerVisible(0, true);
        QCOMPARE(properties.count(), 0);
        document.SetLayerName(0, "Renamed");
        document.SetLayerOpacity(0, 0.3);
        document.SetLayerBlendMode(0, 99); // kept as given, composed as normal
        document.SetLayerVisible(0, false);
        document.SetLayerLocks(0, 0x5);
        QCOMPARE(properties.count(), 5);
        QCOMPARE(document.GetLayerBlendMode(0), 99u);
    }

    void convertTextLayerToRaster()
    {
        KXMemoryDocument document(QSize(200, 100));
        const unsigned int id = document.AddTextLayer("T", "Hi", QFont("DejaVu Sans", 20), Qt::black, QPoint(5, 5));
        const KXImage32 pixels = *document.GetLayerImage(id);
        QSignalSpy properties(&document, &KXDocumentInterface::layerPropertiesChanged);
        QVERIFY(document.ConvertTextLayerToRaster(id));
        QCOMPARE(properties.count(), 1);
        QCOMPARE(document.GetLayerType(id), int(KXDocumentInterface::RasterLayer));
        QCOMPARE(document.GetLayerImage(id)->GetTile(0, 0), pixels.GetTile(0, 0));
        QCOMPARE(document.GetText(id), QString());
        QVERIFY(!document.ConvertTextLayerToRaster(id));
    }

    void adjustmentLayerKeepsItsOwnParameters()
    {
        KXMemoryDocument document(QSize(4, 4));
        document.AddRasterLayer("grey", Filled(4, 4, KXRGBA32i(100, 100, 100, 255)));
        const unsigned int first = document.AddAdjustmentLayer("one", ZTBrightnessContrast::Name());
        const unsigned int second = document.AddAdjustmentLayer("two", ZTBrightnessContrast::Name());
        ZTAdjustment* adjustment = nullptr;
        QVERIFY(document.GetLayerAdjustment(first, adjustment));
        ZTAdjustmentTarget firstTarget;
        ZTAdjustmentTarget secondTarget;
        QVERIFY(document.GetAdjustmentTarget(first, firstTarget));
        QVERIFY(document.GetAdjustmentTarget(second, secondTarget));
        QVERIFY(adjustment->SetParams(firstTarget, ZTBrightnessContrast::Encode({30, 0})));
        QCOMPARE(adjustment->GetParams(secondTarget), adjustment->GetDefaultParams());
        QCOMPARE(document.Compose().GetPixel(1, 1), KXRGBA32i(130, 130, 130, 255));
        QVERIFY(adjustment->SetParams(secondTarget, ZTBrightnessContrast::Encode({-50, 0})));
        QCOMPARE(document.Compose().GetPixel(1, 1), KXRGBA32i(80, 80, 80, 255));
        document.SetLayerVisible(second, false);
        QCOMPARE(document.Compose().GetPixel(1, 1), KXRGBA32i(130, 130, 130, 255));

        // A target handed out stays usable after its layer is gone.
        QVERIFY(document.RemoveLayer(first));
        QCOMPARE(adjustment->GetParams(firstTarget), ZTBrightnessContrast::Encode({30, 0}));
    }

    void composeBlendsMasksAndOpacity()
    {
        KXMemoryDocument document(QSize(8, 8));
        const KXImage32 blue = Filled(8, 8, KXRGBA32i(0, 0, 255, 255));
        document.AddRasterLayer("blue", blue);
        QCOMPARE(document.GetLayerImage(0)->GetTile(0, 0), blue.GetTile(0, 0)); // handed-in pixels are shared
        const unsigned int red = document.AddRasterLayer("red", Filled(2, 2, KXRGBA32i(255, 0, 0, 255)), QPoint(3, 3));
        // A selection-style mask (type false): its alpha alone reveals.
        KXImage32 mask = Filled(2, 2, KXRGBA32i::OpaqueBlack());
        mask.SetPixel(1, 1, KXRGBA32i());
        QVERIFY(document.CreateLayerMask(red, mask, false));
        document.SetMaskPos(red, QPoint(3, 3));
        KXImage32 picture = document.Compose();
        QCOMPARE(picture.GetPixel(3, 3), KXRGBA32i(255, 0, 0, 255));
        QCOMPARE(picture.GetPixel(4, 4), KXRGBA32i(0, 0, 255, 255));
        // The mask moves on its own: its pixel (0, 0) now lies on (4, 3).
        document.MoveMask(red, QPoint(1, 0));
        picture = document.Compose();
        QCOMPARE(picture.GetPixel(3, 3), KXRGBA32i(0, 0, 255, 255));
        QCOMPARE(picture.GetPixel(4, 4), KXRGBA32i(255, 0, 0, 255));
        document.MoveMask(red, QPoint(-1, 0));
        // A layer mask (type true): black hides.
        document.SetMaskType(red, true);
        QCOMPARE(document.Compose().GetPixel(3, 3), KXRGBA32i(0, 0, 255, 255));
        document.SetMaskEnabled(red, false);
        QCOMPARE(document.Compose().GetPixel(4, 4), KXRGBA32i(255, 0, 0, 255));
        document.SetLayerOpacity(red, 0.0);
        QCOMPARE(document.Compose().GetPixel(3, 3), KXRGBA32i(0, 0, 255, 255));
        document.SetLayerOpacity(red, 1.0);
        document.SetLayerVisible(red, false);
        QCOMPARE(document.Compose().GetPixel(3, 3), KXRGBA32i(0, 0, 255, 255));

        // ComposeLayers: the union of the listed rectangles, whatever the visibility.
        QVERIFY(document.InsertRasterLayer("green", Filled(3, 1, KXRGBA32i(0, 255, 0, 255)), QPoint(6, 1),
                                           KXDocumentInterface::BlendNormal, 1.0, 2));
        KXImage32 composed;
        QCOMPARE(KXComposeHelper::ComposeLayers(composed, {2, 1, 1, 77}, &document), QPoint(3, 1));
        QCOMPARE(composed.GetSize(), QSize(6, 4));
        QCOMPARE(composed.GetPixel(0, 2), KXRGBA32i(255, 0, 0, 255));
        QCOMPARE(composed.GetPixel(4, 0), KXRGBA32i(0, 255, 0, 255));
        QCOMPARE(composed.GetPixel(0, 0), KXRGBA32i());
        QCOMPARE(KXComposeHelper::ComposeLayers(composed, {77}, &document), QPoint());
        QVERIFY(composed.IsEmpty());
    }
    // The state counter announces each change; the resolution announces real changes and refuses values below 1.
    void documentStateAndDpi()
    {
        KXMemoryDocument document(QSize(1, 1));
        QSignalSpy state(&document, &KXDocumentInterface::documentStateChanged);
        QSignalSpy dpi(&document, &KXDocumentInterface::dpiChanged);
        for (int value : {1, 2, 1, 1})
            document.SetDocumentState(value);
        QCOMPARE(state.count(), 3);
        QCOMPARE(state.at(2).at(0).toInt(), 1);
        for (int value : {72, 0, -5, 1}) // the same, below 1, then a real change
            document.SetDPI(value);
        QCOMPARE(document.GetDPI(), 1);
        QCOMPARE(dpi.count(), 1);
    }

    // Edits inside a bracket are announced once, at the outermost end.
    void selectionEditBracket_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("moveInside");
        QTest::newRow("single") << 1 << false;
        QTest::newRow("single with move") << 1 << true;
        QTest::newRow("nested") << 3 << true;
    }
    void selectionEditBracket()
    {
        QFETCH(int, depth);
        QFETCH(bool, moveInside);
        KXMemoryDocument document(QSize(40, 40));
        QSignalSpy changed(&document, &KXDocumentInterface::selectionChanged);
        KXDocumentLock* lock = document.GetSelectionLock();
        for (int level = 0; level < depth; ++level) {
            KXImage32& mask = document.BeginEditSelection();
            QCOMPARE(&mask, &document.GetSelectionMask());
            if (level == 0)
                mask = Filled(6, 6, KXRGBA32i::OpaqueBlack());
        }
        QVERIFY(lock->IsWrittenByCurrentThread());
        if (moveInside) {
            document.MoveToSelection(QPoint(2, 3));
            document.TranslateSelection(QPoint(1, 1));
            QCOMPARE(document.GetSelectionMaskOffset(), QPoint(3, 4));
            document.SetSelectionMask(document.GetSelectionMask(), QPoint(3, 4));
        }
        for (int level = 0; level < depth; ++level) {
            QCOMPARE(changed.count(), 0);
            QVERIFY(lock->IsWrittenByCurrentThread());
            document.EndEditSelection();
        }
        QCOMPARE(changed.count(), 1);
        QVERIFY(!lock->IsWrittenByCurrentThread());
        QCOMPARE(document.GetSelectionGeometry(), QRect(moveInside ? QPoint(3, 4) : QPoint(), QSize(6, 6)));
        // An end without a begin has nothing left to announce.
        document.EndEditSelection();
        QCOMPARE(changed.count(), 1);
        QVERIFY(!lock->IsWrittenByCurrentThread());
        // Readers nest; unlocking twice releases once.
        KXDocumentSelectionLockerForRead reader(&document);
        KXDocumentSelectionLockerForRead again(&document);
        reader.Unlock();
        reader.Unlock();
        QVERIFY(lock->IsReadByCurrentThread());
        again.Unlock();
        QVERIFY(!lock->IsReadByCurrentThread());
    }

    void layerLockReentry()
    {
        KXMemoryDocument document(QSize(10, 10));
        AddLayers(document, 2);
        const QSharedPointer<KXDocumentLock> lock = document.GetLayerLock(1);

        KXDocumentLayerLockerForRead outer(&document, 1);
        {
            // The capture of a layer reads it twice on one thread.
            KXDocumentLayerLockerForRead inner(&document, 1);
            QVERIFY(inner.IsLocked());
        }
        QVERIFY(lock->IsReadByCurrentThread());
        // The only reader may change the layer through the document.
        QVERIFY(document.SetLayerImage(1, Filled(3, 3, KXRGBA32i::OpaqueWhite())));
        outer.Unlock();
        outer.Unlock();
        QVERIFY(!lock->IsReadByCurrentThread());

        KXDocumentLayerLockerForWrite writer(&document, 1);
        QVERIFY(lock->IsWrittenByCurrentThread());
        {
            // Operations that lock internally work inside a write-locked section.
            KXDocumentLayerLockerForRead reader(&document, 1);
            QVERIFY(reader.IsLocked());
            document.MoveLayer(1, QPoint(2, 2));
            QVERIFY(document.SetLayerImage(1, Filled(1, 1, KXRGBA32i::OpaqueBlack())));
        }
        QVERIFY(lock->IsWrittenByCurrentThread());
        writer.Unlock();
        QVERIFY(!lock->IsWrittenByCurrentThread());
        QCOMPARE(document.GetLayerGeometry(1), QRect(2, 2, 1, 1));

        // The lock moves with its layer and outlives it.
        QVERIFY(document.CreateRasterLayer("N", 0));
        QCOMPARE(document.GetLayerLock(2), lock);
        QVERIFY(document.RemoveLayer(2));
        lock->LockForWrite();
        QVERIFY(lock->IsWrittenByCurrentThread());
        lock->UnlockWrite();
    }
    // While this thread reads a layer, a writer of another thread waits; this
    // thread may still read the layer again; the writer runs after the last unlock.
    void layerWriterWaitsForReaders()
    {
        KXMemoryDocument document(QSize(10, 10));
        AddLayers(document, 1);
        KXDocumentLayerLockerForRead outer(&document, 0);
        std::atomic<bool> written{false};
        QThread* writer = QThread::create([&]() {
            KXDocumentLayerLockerForWrite locker(&document, 0);
            written = true;
        });
        writer->start();
        QTest::qWait(30);
        QVERIFY(!written);
        {
            KXDocumentLayerLockerForRead inner(&document, 0);
            QVERIFY(inner.IsLocked());
        }
        QVERIFY(!written);
        outer.Unlock();
        QVERIFY(writer->wait(20000));
        delete writer;
        QVERIFY(written);
        outer.Relock();
        QVERIFY(outer.IsLocked());
    }

    void selectionBoundRect_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QPoint>>("selected");
        QTest::addColumn<QRect>("bounds");
        QTest::newRow("empty image") << QSize(0, 0) << QList<QPoint>() << QRect();
        QTest::newRow("one pixel") << QSize(300, 200) << QList<QPoint>({{130, 7}}) << QRect(130, 7, 1, 1);
        QTest::newRow("across tiles") << QSize(300, 200) << QList<QPoint>({{299, 0}, {2, 199}, {128, 128}})
                                      << QRect(QPoint(2, 0), QPoint(299, 199));
    }
    void selectionBoundRect()
    {
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, selected);
        QFETCH(QRect, bounds);
        KXImage32 mask(unsigned(size.width()), unsigned(size.height()));
        for (const QPoint& point : selected)
            QVERIFY(mask.SetPixel(unsigned(point.x()), unsigned(point.y()), KXRGBA32i::OpaqueBlack()));
        QCOMPARE(KXSelectionMaskHelper::GetSelectionBoundRect(mask), bounds);
    }
};

QTEST_MAIN(TestMemoryDocument)
#include "tst_memorydocument.moc"
