#include <QItemSelectionModel>
#include <QtTest>

#include <stdexcept>

#include "KXColorTransformBase.h"
#include "KXComposeHelper.h"
#include "KXDocumentModel.h"
#include "KXImageHelper.h"
#include "KXMemoryDocument.h"
#include "changecommandhelper.h"
#include "cropcommand.h"
#include "recordtesting.h"
#include "roundtrip.h"
#include "selectioncommand.h"

namespace {

const QString kFile = QStringLiteral("src/layerchangecommands/changecommandhelper.cpp");

// A document whose layer type and locks can be made to misbehave.
class TrapDocument : public KXMemoryDocument
{
public:
    using KXMemoryDocument::KXMemoryDocument;
    unsigned int oddLayer = 0; // reports type 9 when not 0
    std::function<void()> trap; // called by GetLayerLocks and CreateTextLayer

    int GetLayerType(unsigned int id) const override
    {
        return oddLayer && id == oddLayer ? 9 : KXMemoryDocument::GetLayerType(id);
    }
    unsigned int GetLayerLocks(unsigned int id) const override
    {
        if (trap)
            trap();
        return KXMemoryDocument::GetLayerLocks(id);
    }
    bool CreateTextLayer(const QString& name, unsigned int id) override
    {
        if (trap)
            trap();
        return KXMemoryDocument::CreateTextLayer(name, id);
    }
};

// Layers 0-7: rasters, a masked raster (3), text (4), an adjustment (6);
// a second document for copies between documents.
struct Scene
{
    TrapDocument document{QSize(48, 32)};
    KXDocumentModel panel{&document};
    QItemSelectionModel selection{&panel};
    KXMemoryDocument other{QSize(40, 40)};
    KXDocumentModel otherPanel{&other};

    explicit Scene(bool selected = false)
    {
        if (selected) {
            KXImage32 mask(6, 6);
            mask.Fill(KXRGBA32i::OpaqueBlack());
            document.SetSelectionMask(mask, QPoint(3, 3));
        }
        for (unsigned int id = 0; id < 8; ++id) {
            if (id == 4)
                document.AddTextLayer(QStringLiteral("L4"), QStringLiteral("Hi"), QFont(QStringLiteral("DejaVu Sans"), 12),
                                      Qt::red, QPoint(3, 4));
            else if (id == 6)
                document.AddAdjustmentLayer(QStringLiteral("L6"), QStringLiteral("Hue/Saturation"));
            else
                document.AddRasterLayer(QStringLiteral("L%1").arg(id), PatternImage(20 + int(id), 12, id),
                                        QPoint(int(id), 2 * int(id)));
        }
        document.CreateLayerMask(3, PatternImage(10, 9, 33), true);
        document.SetMaskPos(3, QPoint(4, 5));
        document.SetLayerLocks(3, 5);
        document.SetLayerOpacity(5, 0.5);
        other.AddRasterLayer(QStringLiteral("Base"), PatternImage(40, 40, 50));
        other.AddRasterLayer(QStringLiteral("Top"), PatternImage(8, 8, 51));
    }
    DocumentFingerprint Print() const
    {
        DocumentFingerprint print = DocumentFingerprint::Take(document);
        print.layers += DocumentFingerprint::Take(other).layers;
        return print;
    }
};

using Edit = std::function<bool(Scene&, VornUndoStack*)>;

void ComparePrints(const DocumentFingerprint& actual, const DocumentFingerprint& expected, const char* when)
{
    CompareFingerprints(actual, expected, when);
}

// Runs the edit on a scene with a stack, checks the history row it adds,
// undoes and redoes it twice through the temporary files (bit-identical each
// time), then runs it on a scene without a stack: both must end alike. The
// state counter moves by the given deltas. `check` looks at the edited scene.
void CheckBothWays(const Edit& edit, const QString& rowText, const QSize& rowIcon, int stateWithStack,
                   int stateWithout, const std::function<void(Scene&)>& check = {}, bool selected = false)
{
    HistoryFixture history;
    Scene scene(selected);
    const DocumentFingerprint before = scene.Print();
    QVERIFY(edit(scene, &history.stack));
    history.stack.commit();
    history.WaitWritten();
    QCOMPARE(history.stack.count(), 2);
    QCOMPARE(history.stack.GetItemMeta(1, 0).toString(), rowText);
    QCOMPARE(history.stack.GetItemMeta(1, 1).value<QImage>().size(), rowIcon);
    QCOMPARE(scene.document.GetDocumentState(), stateWithStack);
    const DocumentFingerprint after = scene.Print();
    if (check)
        check(scene);
    for (int cycle = 0; cycle < 2 && !QTest::currentTestFailed(); ++cycle) {
        history.stack.undo();
        history.WaitWritten();
        ComparePrints(scene.Print(), before, "after undo");
        history.stack.redo();
        history.WaitWritten();
        ComparePrints(scene.Print(), after, "after redo");
    }
    QCOMPARE(history.FileCount(), RecordFiles(QDir(history.folder.path())).size());

    Scene plain(selected);
    QVERIFY(edit(plain, nullptr));
    ComparePrints(plain.Print(), after, "without a stack");
    QCOMPARE(plain.document.GetDocumentState(), stateWithout);
}

QStringList Names(const KXDocumentInterface& document)
{
    QStringList names;
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        names << document.GetLayerName(id);
    return names;
}

void Render(KXDocumentInterface& document, unsigned int id)
{
    KXImageHelper helper;
    helper.InitHelper(&document, id);
    QTransform placement;
    helper.drawImage(&document, id, QTransform(), placement, false, false);
}

// What a macro entry holds: its children's command classes.
QStringList Children(const VornUndoStack& stack)
{
    QStringList kinds;
    const QUndoCommand* entry = stack.command(0);
    for (int i = 0; entry && i < entry->childCount(); ++i)
        kinds << (dynamic_cast<const SelectionCommand*>(entry->child(i)) ? QStringLiteral("selection")
                  : dynamic_cast<const CropCommand*>(entry->child(i))    ? QStringLiteral("crop")
                                                                        : QStringLiteral("other"));
    return kinds;
}

const QSize kDefaultIcon(3, 5);
const QSize kCropIcon(7, 2);

} // namespace

class TestChangeCommandHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        VornCommand::SetIcon(QStringLiteral("default"), QImage(kDefaultIcon, QImage::Format_ARGB32));
        VornCommand::SetIcon(QStringLiteral("crop"), QImage(kCropIcon, QImage::Format_ARGB32));
    }

    void gammaConversion_data()
    {
        QTest::addColumn<double>("source");
        QTest::addColumn<double>("target");
        QTest::addColumn<QVector<int>>("expected"); // for 0, 64, 128, 255
        QTest::newRow("2.2 to 1") << 2.2 << 1.0 << QVector<int>{0, 12, 56, 255};
        QTest::newRow("1 to 2.2") << 1.0 << 2.2 << QVector<int>{0, 136, 186, 255};
        QTest::newRow("same") << 1.8 << 1.8 << QVector<int>{0, 64, 128, 255};
        QTest::newRow("invalid gamma") << 0.0 << 2.2 << QVector<int>{0, 64, 128, 255};
    }
    void gammaConversion()
    {
        QFETCH(double, source);
        QFETCH(double, target);
        QFETCH(QVector<int>, expected);
        const KXGammaColorTransform transform(source, target);
        const int values[] = {0, 64, 128, 255};
        KXImage32 image(300, 130); // shared uniform tiles and border tiles
        image.Fill(KXRGBA32i(64, 128, 255, 77));
        const KXImage32 original = image;
        QVERIFY(transform.ConvertImage(image));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(int(transform.Convert(quint8(values[i]))), expected[i]);
        QCOMPARE(image.GetPixel(299, 129).Value(),
                 KXRGBA32i(quint8(expected[1]), quint8(expected[2]), 255, 77).Value());
        QCOMPARE(image.DistinctTileCount(), original.DistinctTileCount());
        QCOMPARE(original.GetPixel(0, 0).Value(), KXRGBA32i(64, 128, 255, 77).Value()); // the copy is untouched
        KXImage32 empty;
        QVERIFY(!transform.ConvertImage(empty));
    }

    void merge()
    {
        CheckBothWays(
            [](Scene& scene, VornUndoStack* stack) {
                return ChangeCommandHelper::MakeMergeCommand({5, 2, 7}, &scene.selection, &scene.panel, stack);
            },
            QStringLiteral("Merge layers"), kDefaultIcon, 1, 1, [](Scene& scene) {
                QCOMPARE(Names(scene.document), (QStringList{"L0", "L1", "Merge layer", "L3", "L4", "L6"}));
                Scene fresh;
                KXImage32 composed;
                const QPoint at = KXComposeHelper::ComposeLayers(composed, {2, 5, 7}, &fresh.document);
                QVERIFY(scene.document.GetLayerImage(2)->IsPixelEqual(composed));
                QCOMPARE(scene.document.GetLayerGeometry(2).topLeft(), at);
                QCOMPARE(scene.document.GetLayerBlendMode(2), 0u);
                QCOMPARE(scene.document.GetLayerOpacity(2), 1.0);
            });
    }

    void duplicate_data()
    {
        QTest::addColumn<unsigned int>("layer");
        QTest::newRow("masked raster") << 3u;
        QTest::newRow("text") << 4u;
        QTest::newRow("adjustment") << 6u;
    }
    void duplicate()
    {
        QFETCH(unsigned int, layer);
        CheckBothWays(
            [&](Scene& scene, VornUndoStack* stack) {
                return ChangeCommandHelper::MakeDuplicateLayerCommand(layer, QStringLiteral("Copy"), 0.25, 2,
                                                                      &scene.selection, &scene.panel, stack);
            },
            QStringLiteral("Duplicate layer"), kDefaultIcon, 1, 1, [&](Scene& scene) {
                // The copy sits at the source's id, equal to it but for name, opacity and blend mode.
                const DocumentFingerprint print = DocumentFingerprint::Take(scene.document);
                QCOMPARE(print.layers.size(), 9);
                DocumentFingerprint::Layer copy = print.layers[int(layer)];
                QCOMPARE(copy.name, QStringLiteral("Copy"));
                QCOMPARE(copy.opacity, 0.25);
                QCOMPARE(copy.blendMode, 2u);
                const DocumentFingerprint::Layer& source = print.layers[int(layer) + 1];
                copy.name = source.name;
                copy.opacity = source.opacity;
                copy.blendMode = source.blendMode;
                QVERIFY(copy == source);
            });
    }

    void duplicateIntoOtherDocument()
    {
        const KXGammaColorTransform transform(2.2, 1.0);
        CheckBothWays(
            [&](Scene& scene, VornUndoStack* stack) {
                return ChangeCommandHelper::MakeDuplicateLayerCommand(3, 1, QStringLiteral("Pasted"), 1.0, 0,
                                                                      nullptr, &scene.panel, &scene.otherPanel,
                                                                      stack, const_cast<KXGammaColorTransform*>(&transform));
            },
            QStringLiteral("Duplicate layer"), kDefaultIcon, 0, 0, [&](Scene& scene) {
                QCOMPARE(Names(scene.other), (QStringList{"Base", "Pasted", "Top"}));
                QCOMPARE(scene.other.GetDocumentState(), 1);
                KXImage32 expected = scene.document.GetLayerImage(3)->Copy();
                QVERIFY(transform.ConvertImage(expected));
                QVERIFY(scene.other.GetLayerImage(1)->IsPixelEqual(expected));
                const KXRGBA32i before = scene.document.GetLayerImage(3)->GetPixel(5, 5);
                const KXRGBA32i after = scene.other.GetLayerImage(1)->GetPixel(5, 5);
                QCOMPARE(after.Value(), KXRGBA32i(transform.Convert(before.r), transform.Convert(before.g),
                                                  transform.Convert(before.b), before.a)
                                            .Value());
                QVERIFY(after != before);
                QVERIFY(scene.other.GetLayerMask(1)->IsPixelEqual(*scene.document.GetLayerMask(3)));
                QCOMPARE(scene.other.GetLayerLocks(1), 5u);
            });
    }

    void crop_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QStringList>("children");
        QTest::newRow("no selection") << false << QStringList();
        QTest::newRow("selection") << true << QStringList{"selection", "crop"};
    }
    void crop()
    {
        QFETCH(bool, selected);
        QFETCH(QStringList, children);
        const Edit edit = [&](Scene& scene, VornUndoStack* stack) {
            return ChangeCommandHelper::MakeCropCommand(&scene.document, QStringLiteral("Crop"),
                                                        QTransform::fromTranslate(-5, -3), QSize(48, 32), false,
                                                        false, stack, QStringLiteral("crop"));
        };
        CheckBothWays(edit, QStringLiteral("Crop"), kCropIcon, selected ? 2 : 1, selected ? 2 : 1,
                      [&](Scene& scene) {
                          QCOMPARE(scene.document.GetLayerGeometry(1), QRect(0, 0, 17, 11)); // (1, 2) 21x12 moved, clipped
                          QVERIFY(!scene.document.HasSelection());
                      },
                      selected);
        HistoryFixture history;
        Scene scene(selected);
        QVERIFY(edit(scene, &history.stack));
        QCOMPARE(Children(history.stack), children);
    }

    void cropRefused_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QTransform>("transform");
        QTest::newRow("canvas size, identity") << QSize(48, 32) << QTransform();
        QTest::newRow("empty") << QSize(0, 32) << QTransform::fromTranslate(1, 0);
        QTest::newRow("too wide") << QSize(KXDocumentInterface::MAX_DOC_DIMENSION + 1, 32) << QTransform();
    }
    void cropRefused()
    {
        QFETCH(QSize, size);
        QFETCH(QTransform, transform);
        HistoryFixture history;
        Scene scene;
        const DocumentFingerprint before = scene.Print();
        QVERIFY(!ChangeCommandHelper::MakeCropCommand(&scene.document, QStringLiteral("Crop"), transform, size,
                                                      false, false, &history.stack, QStringLiteral("crop")));
        QVERIFY(!ChangeCommandHelper::MakeCropCommand(nullptr, QStringLiteral("Crop"), QTransform(), QSize(9, 9),
                                                      false, false, &history.stack, QStringLiteral("crop")));
        QCOMPARE(history.stack.count(), 1);
        ComparePrints(scene.Print(), before, "refused");
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }

    void newTextThenCommit()
    {
        // Typed as a live edit: the layer exists at once, the commit names it after its text.
        CheckBothWays(
            [](Scene& scene, VornUndoStack* stack) {
                QMatrix4x4 placement;
                placement.translate(2, 1);
                const bool made = ChangeCommandHelper::MakeNewTextCommand(
                    stack, &scene.panel, &scene.selection, 2, QStringLiteral("New text"), QStringLiteral("Evening"),
                    QFont(QStringLiteral("DejaVu Serif"), 11), QBrush(Qt::blue), QPoint(5, 6), 0, 0, 0.1, 0.0, 0.2,
                    false, placement, 3, 0.75, 0); // locks reach only a later redo: none here
                if (stack)
                    QTest::qVerify(stack->hasDelayed(), "hasDelayed", "", __FILE__, __LINE__);
                QTest::qCompare(scene.document.GetLayerType(2), 1, "type", "1", __FILE__, __LINE__);
                scene.document.SetText(2, QStringLiteral("Evening"));
                Render(scene.document, 2);
                return made;
            },
            QStringLiteral("New text"), kDefaultIcon, 1, 1, [](Scene& scene) {
                QCOMPARE(scene.document.GetLayerName(2), QStringLiteral("Evening"));
                QCOMPARE(scene.document.GetLayerOpacity(2), 0.75);
                QCOMPARE(scene.document.GetLayerBlendMode(2), 3u);
                QCOMPARE(scene.document.GetTextBend(2), 0.2);
                QVERIFY(!scene.document.GetLayerImage(2)->IsEmpty());
            });
    }

    void changeText()
    {
        // Without a stack nothing is recorded and the host's edit stands alone.
        CheckBothWays(
            [](Scene& scene, VornUndoStack* stack) {
                const bool made = ChangeCommandHelper::MakeChangeTextLayerCommand(
                    stack, &scene.document, 4, QStringLiteral("Warp"), QStringLiteral("crop"));
                scene.document.SetTextBend(4, 0.4);
                scene.document.SetText(4, QStringLiteral("Hello"));
                Render(scene.document, 4);
                return made;
            },
            QStringLiteral("Warp"), kCropIcon, 1, 0);
    }

    void textToRaster()
    {
        CheckBothWays(
            [](Scene& scene, VornUndoStack* stack) {
                return ChangeCommandHelper::MakeRasterLayerFromTextLayer(stack, &scene.panel, &scene.selection, 4,
                                                                         QStringLiteral("Rasterize"));
            },
            QStringLiteral("Rasterize"), kDefaultIcon, 2, 2, [](Scene& scene) {
                Scene fresh;
                QCOMPARE(scene.document.GetLayerType(4), 0);
                QCOMPARE(scene.document.GetLayerName(4), QStringLiteral("L4"));
                QVERIFY(scene.document.GetLayerImage(4)->IsPixelEqual(*fresh.document.GetLayerImage(4)));
                QCOMPARE(scene.document.GetLayerGeometry(4), fresh.document.GetLayerGeometry(4));
            });
    }

    void removeLayer()
    {
        CheckBothWays(
            [](Scene& scene, VornUndoStack* stack) {
                return ChangeCommandHelper::RemoveLayer(stack, &scene.document, &scene.selection, 3,
                                                        QStringLiteral("Delete layer"), QStringLiteral("crop"));
            },
            QStringLiteral("Delete layer"), kCropIcon, 1, 1,
            [](Scene& scene) { QCOMPARE(Names(scene.document).join(','), QStringLiteral("L0,L1,L2,L4,L5,L6,L7")); });
    }

    void refusals()
    {
        // Each call builds and changes nothing; the answer is the one given.
        HistoryFixture history;
        Scene scene;
        VornUndoStack* stack = &history.stack;
        const DocumentFingerprint before = scene.Print();
        const QFont font;
        const QList<QPair<bool, std::function<bool()>>> calls{
            {false, [&] { return ChangeCommandHelper::MakeMergeCommand({0, 3}, &scene.selection, &scene.panel, stack); }},
            {false, [&] { return ChangeCommandHelper::MakeMergeCommand({3}, &scene.selection, &scene.panel, stack); }},
            {false, [&] { return ChangeCommandHelper::MakeMergeCommand({2, 3}, &scene.selection, nullptr, stack); }},
            {false, [&] { return ChangeCommandHelper::MakeDuplicateLayerCommand(0, "x", 1, 0, nullptr, &scene.panel, stack); }},
            {false, [&] { return ChangeCommandHelper::MakeDuplicateLayerCommand(0, "x", 1, 0, nullptr, &scene.panel, nullptr); }},
            {false, [&] { return ChangeCommandHelper::MakeDuplicateLayerCommand(2, "x", 1, 0, nullptr, nullptr, stack); }},
            {false, [&] { return ChangeCommandHelper::MakeDuplicateLayerCommand(2, 0, "x", 1, 0, nullptr, &scene.panel, &scene.otherPanel, stack, nullptr); }},
            {false, [&] { return ChangeCommandHelper::MakeDuplicateLayerCommand(0, 1, "x", 1, 0, nullptr, &scene.panel, &scene.otherPanel, stack, nullptr); }},
            {false, [&] { return ChangeCommandHelper::MakeDuplicateLayerCommand(2, 1, "x", 1, 0, nullptr, &scene.panel, nullptr, stack, nullptr); }},
            {false, [&] { return ChangeCommandHelper::MakeNewTextCommand(stack, nullptr, nullptr, 1, "t", "n", font, QBrush(), QPoint(), 0, 0, 0, 0, 0, false, QMatrix4x4(), 0, 1, 0); }},
            {true, [&] { return ChangeCommandHelper::MakeRasterLayerFromTextLayer(stack, nullptr, nullptr, 4, "r"); }},
            {true, [&] { return ChangeCommandHelper::MakeChangeTextLayerCommand(nullptr, &scene.document, 4, "t", "i"); }},
            {true, [&] { return ChangeCommandHelper::RemoveLayer(nullptr, nullptr, nullptr, 3, "t", "i"); }},
        };
        for (int i = 0; i < calls.size(); ++i) {
            QVERIFY2(calls[i].second() == calls[i].first, qPrintable(QString::number(i)));
            QVERIFY2(history.stack.count() == 1 && !history.stack.hasDelayed(), qPrintable(QString::number(i)));
        }
        ComparePrints(scene.Print(), before, "refused");
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }

    void unknownLayerType()
    {
        HistoryFixture history;
        Scene scene;
        scene.document.oddLayer = 2;
        MessageCapture capture;
        QVERIFY(!ChangeCommandHelper::MakeDuplicateLayerCommand(2, "x", 1, 0, nullptr, &scene.panel, &history.stack));
        const QString message = QStringLiteral("Error layer type passed. Type = 9");
        CompareReports(capture.texts(),
                       {ReportPattern(kFile, message),
                        QStringLiteral("^Build date=%1, time=%2\\. Unexpected exception: line=\\d+, file=\"%3\"\\. "
                                       "Exception content:\"%4\"$")
                            .arg(reportDatePattern(), reportTimePattern(), QRegularExpression::escape(kFile), message)});
        // Into another document the layer is refused without a report.
        capture.clear();
        QVERIFY(!ChangeCommandHelper::MakeDuplicateLayerCommand(2, 1, "x", 1, 0, nullptr, &scene.panel,
                                                                &scene.otherPanel, &history.stack, nullptr));
        QVERIFY(capture.texts().isEmpty());
        QCOMPARE(history.stack.count(), 1);
        QCOMPARE(scene.other.GetLayerCount(), 2u);
    }

    void exceptionsPassedOn()
    {
        Scene scene;
        MessageCapture capture;
        const QString unknown = QStringLiteral("^Build date=%1, time=%2\\. Unexpected unknown exception: line=\\d+, "
                                               "file=\"%3\"$")
                                    .arg(reportDatePattern(), reportTimePattern(), QRegularExpression::escape(kFile));
        // A non-standard exception while the copy is read: reported, the data deleted, passed on.
        scene.document.trap = [] { throw 7; };
        QVERIFY_EXCEPTION_THROWN(
            ChangeCommandHelper::MakeDuplicateLayerCommand(2, "x", 1, 0, nullptr, &scene.panel, nullptr), int);
        CompareReports(capture.texts(), {unknown});
        // A standard one while the text layer is made: the counter is lowered again, then it goes on.
        capture.clear();
        scene.document.trap = [] { throw std::runtime_error("no room"); };
        QVERIFY_EXCEPTION_THROWN(ChangeCommandHelper::MakeNewTextCommand(
                                     nullptr, &scene.panel, nullptr, 1, "t", "n", QFont(), QBrush(), QPoint(), 0, 0, 0,
                                     0, 0, false, QMatrix4x4(), 0, 1, 0),
                                 std::runtime_error);
        CompareReports(capture.texts(), {QStringLiteral("^Build date=.*Unexpected exception: line=\\d+, file=\"%1\"\\. "
                                                        "Exception content:\"no room\"$")
                                             .arg(QRegularExpression::escape(kFile))});
        QCOMPARE(scene.document.GetDocumentState(), 0);
        QCOMPARE(scene.document.GetLayerCount(), 8u);
    }
};

QTEST_MAIN(TestChangeCommandHelper)
#include "tst_changecommandhelper.moc"
