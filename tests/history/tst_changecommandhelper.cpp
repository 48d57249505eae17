#include <QItemSelectionModel>
#include <QtTest>

#include <stdexcept>

#include "KXColorTransformBase.h"
#include "KXComposeHelper.h"
#include "KXDocumentModel.h"
#include "KXMemoryDocument.h"
#include "changecommandhelper.h"
#include "recordcheck.h"
#include "roundtrip.h"
#include "selectioncommand.h"

namespace {

using Helper = ChangeCommandHelper;
const QString kFile = QStringLiteral("src/layerchangecommands/changecommandhelper.cpp");
const QString kException = QStringLiteral("^Build date=.+Unexpected exception: line=\\d+, file=\"%1\"\\. "
                                          "Exception content:\"%2\"$");

// A document whose layer 2 can report type 9 and whose layer reads can throw.
struct TrapDocument : KXMemoryDocument
{
    using KXMemoryDocument::KXMemoryDocument;
    bool oddType = false;
    std::function<void()> trap; // called by GetLayerLocks and CreateTextLayer

    int GetLayerType(unsigned int id) const override
    {
        return oddType && id == 2 ? 9 : KXMemoryDocument::GetLayerType(id);
    }
    unsigned int GetLayerLocks(unsigned int id) const override
    {
        return trap ? trap(), 0 : KXMemoryDocument::GetLayerLocks(id);
    }
    bool CreateTextLayer(const QString& name, unsigned int id) override
    {
        return trap ? trap(), false : KXMemoryDocument::CreateTextLayer(name, id);
    }
};

// Layers L0-L7: rasters, a masked and locked raster (3), text (4), an
// adjustment (6); a second document for copies between documents.
struct Scene
{
    TrapDocument document { QSize(48, 32) };
    KXDocumentModel panel { &document };
    QItemSelectionModel selection { &panel };
    KXMemoryDocument other { QSize(40, 40) };
    KXDocumentModel otherPanel { &other };

    explicit Scene(bool selected = false)
    {
        for (int id = 0; id < 8; ++id) {
            const QString name = QStringLiteral("L%1").arg(id);
            if (id == 4)
                document.AddTextLayer(
                    name, QStringLiteral("Hi"), QFont(QStringLiteral("DejaVu Sans"), 12), Qt::red, QPoint(3, 4));
            else if (id == 6)
                document.AddAdjustmentLayer(name, QStringLiteral("Hue/Saturation"));
            else
                document.AddRasterLayer(name, PatternImage(20 + id, 12, quint32(id)), QPoint(id, 2 * id));
        }
        document.CreateLayerMask(3, PatternImage(10, 9, 33), true);
        document.SetMaskPos(3, QPoint(4, 5));
        document.SetLayerLocks(3, 5);
        other.AddRasterLayer(QStringLiteral("Base"), PatternImage(40, 40, 50));
        other.AddRasterLayer(QStringLiteral("Top"), PatternImage(8, 8, 51));
        KXImage32 mask(6, 6);
        mask.Fill(KXRGBA32i::OpaqueBlack());
        if (selected)
            document.SetSelectionMask(mask, QPoint(3, 3));
    }
};

const KXGammaColorTransform kGamma(2.2, 1.0);
const QSize kDefaultIcon(3, 5);
const QSize kCropIcon(7, 2);

// One factory edit: what it does to a scene (with or without a stack) and
// what it must leave: the history row, the state counter with and without a
// stack, the macro's children (the first a selection command when so marked),
// and further checks on the edited scene.
struct Case
{
    std::function<bool(Scene&, VornUndoStack*)> edit;
    QString row;
    QSize icon;
    int stateWithStack;
    int stateWithout;
    int children;
    std::function<void(Scene&)> check;
    bool selected = false;
    bool intoOther = false; // the edit changes the second document
};

QMap<QString, Case> Cases()
{
    QMap<QString, Case> cases;
    cases["merge {5, 2, 7}"] = { [](Scene& s, VornUndoStack* stack) {
                                    return Helper::MakeMergeCommand({ 5, 2, 7 }, &s.selection, &s.panel, stack);
                                },
        "Merge layers", kDefaultIcon, 1, 1, 2,
        [](Scene& s) {
            QCOMPARE(LayerNames(s.document).join(','), QStringLiteral("L0,L1,Merge layer,L3,L4,L6"));
            QCOMPARE(s.document.GetLayerBlendMode(2) + s.document.GetLayerOpacity(2), 1.0);
        } };
    for (unsigned int layer : { 4u, 6u }) { // the demo duplicates rasters
        cases[QStringLiteral("duplicate layer %1").arg(layer)]
            = { [=](Scene& s, VornUndoStack* stack) {
                   return Helper::MakeDuplicateLayerCommand(layer, "Copy", 0.25, 2, &s.selection, &s.panel, stack);
               },
                  "Duplicate layer", kDefaultIcon, 1, 1, 0,
                  [=](Scene& s) {
                      // At the source's id, its row selected: the source but for name,
                      // opacity and blend mode.
                      QCOMPARE(s.selection.selectedRows().value(0).row(), int(layer) - 1);
                      const DocumentFingerprint print = DocumentFingerprint::Take(s.document);
                      DocumentFingerprint::Layer copy = print.layers.value(int(layer));
                      const DocumentFingerprint::Layer source = print.layers.value(int(layer) + 1);
                      QCOMPARE(
                          QStringList({ copy.name, QString::number(copy.opacity), QString::number(copy.blendMode) }),
                          QStringList({ "Copy", "0.25", "2" }));
                      std::tie(copy.name, copy.opacity, copy.blendMode)
                          = std::tie(source.name, source.opacity, source.blendMode);
                      QVERIFY(copy == source);
                  } };
    }
    cases["duplicate into another document"]
        = { [](Scene& s, VornUndoStack* stack) {
               return Helper::MakeDuplicateLayerCommand(3, 1, "Pasted", 1.0, 0, nullptr, &s.panel, &s.otherPanel, stack,
                   const_cast<KXGammaColorTransform*>(&kGamma));
           },
              "Duplicate layer", kDefaultIcon, 0, 0, 0,
              [](Scene& s) {
                  // The pixels converted one by one, alpha, mask and locks as they were.
                  const KXRGBA32i in = s.document.GetLayerImage(3)->GetPixel(5, 5);
                  const KXRGBA32i out = s.other.GetLayerImage(1)->GetPixel(5, 5);
                  QCOMPARE(out.Value(),
                      KXRGBA32i(kGamma.Convert(in.r), kGamma.Convert(in.g), kGamma.Convert(in.b), in.a).Value());
                  QVERIFY(out != in);
                  QVERIFY(s.other.GetLayerMask(1)->IsPixelEqual(*s.document.GetLayerMask(3)));
                  QCOMPARE(s.other.GetLayerLocks(1) + s.other.GetDocumentState(), 6u);
              },
              false, true };
    // The demo crops too; with a selection the macro clears it first.
    cases["crop with a selection"] = { [](Scene& s, VornUndoStack* stack) {
                                          return Helper::MakeCropCommand(&s.document, "Crop",
                                              QTransform::fromTranslate(-5, -3), QSize(48, 32), false, false, stack,
                                              "crop");
                                      },
        "Crop", kCropIcon, 2, 2, 2,
        [](Scene& s) {
            QCOMPARE(s.document.GetLayerGeometry(1), QRect(0, 0, 17, 11)); // 21x12 at (1, 2), moved and clipped
            QVERIFY(!s.document.HasSelection());
        },
        true };
    return cases;
}

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

    // Each edit with a stack (one row, undone and redone twice through the
    // record files, bit-identical each time), then without one: both end alike.
    void edit_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : Cases().keys())
            QTest::newRow(qPrintable(name)) << name;
    }
    void edit()
    {
        QFETCH(QString, name);
        const Case test = Cases().value(name);
        HistoryFixture history;
        Scene scene(test.selected);
        const auto target = [&](Scene& s) -> KXDocumentInterface& {
            return test.intoOther ? static_cast<KXDocumentInterface&>(s.other) : s.document;
        };
        const DocumentFingerprint before = DocumentFingerprint::Take(target(scene));
        QVERIFY(test.edit(scene, &history.stack));
        history.stack.commit();
        QCOMPARE((QVariantList{history.stack.count(), history.stack.GetItemMeta(1, 0),
                     history.stack.GetItemMeta(1, 1).value<QImage>().size(), history.stack.command(0)->childCount(),
                     scene.document.GetDocumentState()}),
            (QVariantList{2, test.row, test.icon, test.children, test.stateWithStack}));
        if (test.selected)
            QVERIFY(dynamic_cast<const SelectionCommand*>(history.stack.command(0)->child(0)));
        if (test.check)
            test.check(scene);
        CheckUndoRedo(history, target(scene), before);
        Scene plain(test.selected);
        QVERIFY(test.edit(plain, nullptr));
        CompareFingerprints(DocumentFingerprint::Take(target(plain)), DocumentFingerprint::Take(target(scene)),
            "without a stack");
        QCOMPARE(plain.document.GetDocumentState(), test.stateWithout);
    }

    void refusals()
    {
        // Each call builds and changes nothing; the refusals answer false,
        // the calls that have nothing to do true.
        HistoryFixture history;
        Scene scene;
        VornUndoStack* stack = &history.stack;
        KXDocumentModel* panel = &scene.panel;
        const DocumentFingerprint before = DocumentFingerprint::Take(scene.document);
        const DocumentFingerprint otherBefore = DocumentFingerprint::Take(scene.other);
        const QTransform moved = QTransform::fromTranslate(1, 0);
        const QVector<bool> refused { Helper::MakeMergeCommand({ 0, 3 }, nullptr, panel, stack),
            Helper::MakeMergeCommand({ 3 }, nullptr, panel, stack),
            Helper::MakeMergeCommand({ 2, 3 }, nullptr, nullptr, stack),
            Helper::MakeDuplicateLayerCommand(0, "x", 1, 0, nullptr, panel, stack),
            Helper::MakeDuplicateLayerCommand(0, "x", 1, 0, nullptr, panel, nullptr),
            Helper::MakeDuplicateLayerCommand(2, 0, "x", 1, 0, nullptr, panel, &scene.otherPanel, stack, nullptr),
            Helper::MakeDuplicateLayerCommand(0, 1, "x", 1, 0, nullptr, panel, &scene.otherPanel, stack, nullptr),
            Helper::MakeDuplicateLayerCommand(2, 1, "x", 1, 0, nullptr, panel, nullptr, stack, nullptr),
            Helper::MakeCropCommand(&scene.document, "c", QTransform(), QSize(48, 32), false, false, stack, "i"),
            Helper::MakeCropCommand(&scene.document, "c", moved, QSize(0, 32), false, false, stack, "i"),
            Helper::MakeCropCommand(&scene.document, "c", moved, QSize(300001, 9), false, false, stack, "i"),
            Helper::MakeCropCommand(nullptr, "c", moved, QSize(9, 9), false, false, stack, "i"),
            Helper::MakeNewTextCommand(stack, nullptr, nullptr, 1, "t", "n", QFont(), QBrush(), QPoint(), 0, 0, 0, 0, 0,
                false, QMatrix4x4(), 0, 1, 0) };
        QCOMPARE(refused, QVector<bool>(refused.size(), false));
        QVERIFY(Helper::MakeRasterLayerFromTextLayer(stack, nullptr, nullptr, 4, "r"));
        QVERIFY(Helper::MakeChangeTextLayerCommand(nullptr, &scene.document, 4, "t", "i"));
        QVERIFY(Helper::RemoveLayer(nullptr, nullptr, nullptr, 3, "t", "i"));
        QCOMPARE(history.stack.count(), 1);
        QVERIFY(!history.stack.hasDelayed());
        CompareFingerprints(DocumentFingerprint::Take(scene.document), before, "refused");
        CompareFingerprints(DocumentFingerprint::Take(scene.other), otherBefore, "refused");
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }

    void reports()
    {
        HistoryFixture history;
        Scene scene;
        MessageCapture capture;
        // A layer of an unknown type: reported, raised, caught and reported again.
        scene.document.oddType = true;
        const QString odd = QStringLiteral("Error layer type passed. Type = 9");
        QVERIFY(!Helper::MakeDuplicateLayerCommand(2, "x", 1, 0, nullptr, &scene.panel, &history.stack));
        // Into another document it is refused without a word.
        QVERIFY(!Helper::MakeDuplicateLayerCommand(
            2, 1, "x", 1, 0, nullptr, &scene.panel, &scene.otherPanel, &history.stack, nullptr));
        // Other exceptions are reported and passed on: the copy's data is
        // deleted, a new text without a stack takes its count back.
        scene.document.trap = [] { throw 7; };
        QVERIFY_EXCEPTION_THROWN(Helper::MakeDuplicateLayerCommand(3, "x", 1, 0, nullptr, &scene.panel, nullptr), int);
        scene.document.trap = [] { throw std::runtime_error("no room"); };
        QVERIFY_EXCEPTION_THROWN(Helper::MakeNewTextCommand(nullptr, &scene.panel, nullptr, 1, "t", "n", QFont(),
                                     QBrush(), QPoint(), 0, 0, 0, 0, 0, false, QMatrix4x4(), 0, 1, 0),
            std::runtime_error);
        CompareReports(capture.texts(),
            { ReportPattern(kFile, odd), kException.arg(QRegularExpression::escape(kFile), odd),
                QStringLiteral("^Build date=.+Unexpected unknown exception: line=\\d+, file=\"%1\"$")
                    .arg(QRegularExpression::escape(kFile)),
                kException.arg(QRegularExpression::escape(kFile), "no room") });
        QCOMPARE(history.stack.count() + scene.document.GetDocumentState(), 1);
        QCOMPARE(scene.document.GetLayerCount() + scene.other.GetLayerCount(), 10u);
    }
};

QTEST_MAIN(TestChangeCommandHelper)
#include "tst_changecommandhelper.moc"
