#include <QBrush>
#include <QFont>
#include <QtTest>

#include "KXMemoryDocument.h"
#include "documentfingerprint.h"
#include "kxchangelayerrastercommand.h"
#include "kxchangerasterdata.h"
#include "layerpaintcommand.h"
#include "layerpaintcommanddata.h"
#include "movecommand.h"
#include "movecommanddata.h"
#include "mwselectioncommand.h"
#include "mwselectioncommanddata.h"
#include "recordtesting.h"
#include "selectioncommand.h"
#include "selectioncommanddata.h"
#include "selectionmovecommand.h"
#include "selectionmovecommanddata.h"

// Damaged and hostile records: readers refuse them without crashing or
// allocating what they claim, and commands refuse impossible geometry with
// the document untouched.

namespace {

constexpr unsigned int kLayer = 1;

// value's encoding inside a byte array, as WriteBrush and WriteFont store it.
template <class Value>
QByteArray Embedded(const Value& value)
{
    return WrittenBytes([&](IWriter* writer) {
        if constexpr (std::is_same_v<Value, QBrush>)
            return writer->WriteBrush(value);
        else
            return writer->WriteFont(value);
    });
}

// bytes with the 4-byte big-endian value at position.
QByteArray Patched(QByteArray bytes, int position, quint32 value)
{
    qToBigEndian<quint32>(value, bytes.data() + position);
    return bytes;
}

QBrush RadialBrush()
{
    QRadialGradient gradient(QPointF(1, 2), 3, QPointF(2, 2));
    gradient.setColorAt(0, Qt::red);
    gradient.setColorAt(0.5, QColor::fromHsv(120, 10, 20, 30));
    return QBrush(gradient);
}

QBrush TextureBrush()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 40));
    return QBrush(image);
}

QFont FamiliesFont()
{
    QFont font(QStringLiteral("DejaVu Sans"), 13, QFont::Bold, true);
    font.setPixelSize(20);
    font.setFamilies({QStringLiteral("a"), QStringLiteral("bc")});
    return font;
}

// A document with a background (id 0) and a patterned layer (id 1) at 10, 20.
struct Scene
{
    Scene()
        : document(QSize(400, 300))
    {
        KXImage32 background(400, 300);
        background.Fill(KXRGBA32i::OpaqueWhite());
        document.AddRasterLayer(QStringLiteral("Background"), background);
        document.AddRasterLayer(QStringLiteral("Paint"), PatternImage(30, 40, 1), QPoint(10, 20));
    }
    KXMemoryDocument document;
};


} // namespace

class TestHostileRecords : public QObject
{
    Q_OBJECT

private slots:
    void corruptEmbedded_data()
    {
        QTest::addColumn<bool>("brush");
        QTest::addColumn<QByteArray>("bytes");
        // The gradient-stop count 0x7fffffff that took Qt's brush decoder down.
        QTest::newRow("brush, stop count")
            << true << Hex("000000200f01ffff0000000000000000000000000000000000000000000000007fffffff");
        const QByteArray radial = Embedded(RadialBrush());
        // Header 4, style 1, colour 11, type, spread, mode, interpolation, count,
        // then the stops (position 8, colour 11).
        QTest::newRow("brush, gradient type") << true << Patched(radial, 16, 0);
        QTest::newRow("brush, spread") << true << Patched(radial, 20, 3);
        QTest::newRow("brush, stop count off by one") << true << Patched(radial, 32, 3);
        QTest::newRow("brush, stop position NaN") << true << Patched(radial, 36, 0x7ff80000);
        QTest::newRow("brush, stop position 2") << true << Patched(radial, 36, 0x40000000);
        QTest::newRow("brush, colour model") << true << Patched(radial, 44, 0x06ffff00);
        QTest::newRow("brush, truncated") << true << Patched(radial.left(radial.size() - 8), 0, radial.size() - 12);
        QTest::newRow("brush, trailing byte") << true << Patched(radial + '\0', 0, radial.size() - 3);
        const QByteArray solid = Embedded(QBrush(Qt::red));
        QTest::newRow("brush, unknown style") << true << Patched(solid, 4, 0x1401ffff);
        QTest::newRow("brush, transform infinite") << true << Patched(solid, 16, 0x7ff00000);
        const QByteArray texture = Embedded(TextureBrush());
        QTest::newRow("brush, texture not PNG") << true << Patched(texture, 20, 0x424d0000);
        QTest::newRow("brush, outer length past end") << true << Patched(solid, 0, 0x7fffffff);

        const QByteArray font = Embedded(FamiliesFont());
        // Header 4, family 4 + 22, style name 4, point size 8, pixel size 4.
        QTest::newRow("font, family list count") << false << Patched(font, font.size() - 18, 0xffffffff);
        QTest::newRow("font, odd family length") << false << Patched(font, 4, 21);
        QTest::newRow("font, family past end") << false << Patched(font, 4, 0x7ffffffe);
        QTest::newRow("font, point size NaN") << false << Patched(font, 34, 0x7ff80000);
        QTest::newRow("font, pixel size") << false << Patched(font, 42, 300001);
        QTest::newRow("font, outer length past end") << false << Patched(font, 0, 0xfffffff0);
    }
    void corruptEmbedded()
    {
        QFETCH(bool, brush);
        QFETCH(QByteArray, bytes);
        QVERIFY(!ReadBytes(bytes, [&](IReader* reader) {
            QBrush b;
            QFont f;
            return brush ? reader->ReadBrush(b) : reader->ReadFont(f);
        }));
    }

    // What the writers store reads back whole (the checks refuse nothing valid).
    void validEmbedded_data()
    {
        QTest::addColumn<QBrush>("brush");
        QTest::newRow("radial") << RadialBrush();
        QConicalGradient conical(QPointF(1, 2), 30);
        conical.setColorAt(0.25, Qt::blue);
        QTest::newRow("conical") << QBrush(conical);
        QLinearGradient linear(QPointF(1, 2), QPointF(3, 4));
        linear.setColorAt(1, QColor(1, 2, 3, 4));
        linear.setSpread(QGradient::ReflectSpread);
        QTest::newRow("linear") << QBrush(linear);
        QBrush transformed(QColor(5, 6, 7), Qt::DiagCrossPattern);
        transformed.setTransform(QTransform::fromScale(2, 3));
        QTest::newRow("pattern, transformed") << transformed;
        QTest::newRow("texture") << TextureBrush();
        QTest::newRow("texture, null image") << QBrush(QImage());
        QTest::newRow("none") << QBrush();
    }
    void validEmbedded()
    {
        QFETCH(QBrush, brush);
        const QFont font = FamiliesFont();
        QBrush brushRead;
        QFont fontRead;
        QVERIFY(ReadBytes(Embedded(brush) + Embedded(font), [&](IReader* reader) {
            return reader->ReadBrush(brushRead) && reader->ReadFont(fontRead);
        }));
        if (brush.style() == Qt::TexturePattern)
            QCOMPARE(brushRead.textureImage(), brush.textureImage());
        else
            QCOMPARE(brushRead, brush);
        QCOMPARE(fontRead, font);
        QCOMPARE(fontRead.families(), font.families());
    }

    // Commands given geometry far beyond any document: one report, the
    // document (layers, pixels, selection) as it was, no overflow, no huge mask.
    // The stroke record holds geometry at +-2,000,000,000 (empty images, the
    // undo geometry from -2e9, the stroke to +2e9, null image rectangles,
    // layer 1) or a stroke too large for an image; the MW selection an offset
    // near INT_MAX.
    void farGeometryRefused_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QByteArray>("geometries");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        const QString paint = QStringLiteral("src/paintcommands/paintcommand.cpp");
        const QString mw = QStringLiteral("src/selectioncommands/mwselectioncommand.cpp");
        // -2,000,000,000 is 88ca6c00, 2,000,000,000 is 77359400.
        const QByteArray overflow = Hex("88ca6c00 00000000 0000000a 0000000a 00000000 00000000 77359400 0000000a");
        const int unite = SelectionCommandData::Union;
        QTest::newRow("stroke undo") << 5 << false << overflow << 0 << paint << "Error to get data.";
        QTest::newRow("stroke redo") << 5 << true << overflow << 0 << paint << "Error to get data.";
        // A stroke of 300000 x 300000 pixels: more tiles than an image can have.
        QTest::newRow("stroke redo, too many tiles")
            << 5 << true << Hex("0000000a 00000014 00000027 0000003b 00000000 00000000 000493df 000493df") << 0
            << paint << "Error to get data.";
        QTest::newRow("MW undo") << 6 << false << QByteArray() << unite << mw << "Incorrect commnad.";
        QTest::newRow("MW redo, union") << 6 << true << QByteArray() << unite << mw << "Incorrect commnad.";
        QTest::newRow("MW redo, intersect") << 6 << true << QByteArray() << int(SelectionCommandData::Intersect)
                                            << mw << "Incorrect commnad.";
        QTest::newRow("MW redo, subtract") << 6 << true << QByteArray() << int(SelectionCommandData::Subtract) << mw
                                           << "Incorrect commnad.";
        QTest::newRow("raster position") << 0 << true << QByteArray() << 0
                                         << "src/layerchangecommands/kxchangerastercommand.cpp" << "An internal error";
        QTest::newRow("move delta") << 1 << false << QByteArray() << 0 << "src/layerchangecommands/movecommand.cpp"
                                    << "Error to get command data.";
        QTest::newRow("selection move") << 2 << true << QByteArray() << 0
                                        << "src/selectioncommands/selectionmovecommand.cpp" << "No redo data.";
        QTest::newRow("selection shape") << 3 << true << QByteArray() << 0
                                         << "src/selectioncommands/selectioncommand.cpp" << "Bad command data.";
        QTest::newRow("selection undo offset") << 4 << false << QByteArray() << 0
                                               << "src/selectioncommands/selectioncommand.cpp" << "Bad command data.";
    }
    void farGeometryRefused()
    {
        QFETCH(int, command);
        QFETCH(bool, redo);
        QFETCH(QByteArray, geometries);
        QFETCH(int, op);
        QFETCH(QString, file);
        QFETCH(QString, message);
        Scene scene;
        scene.document.SetSelectionMask(PatternImage(8, 8, 5), QPoint(3, 4));
        const DocumentFingerprint before = DocumentFingerprint::Take(scene.document);
        const QPoint far(2147483600, -2147483600);
        std::unique_ptr<VornCommand> target;
        std::unique_ptr<VornCommandData> data;
        if (command == 0) {
            target.reset(new KXChangeLayerRasterCommand(&scene.document, true));
            auto* raster = new KXChangeRasterData;
            raster->SetLayerID(kLayer);
            raster->SetRedoImage(far, PatternImage(4, 4, 2));
            data.reset(raster);
        } else if (command == 1) {
            target.reset(new MoveCommand(&scene.document, true));
            auto* move = new MoveCommandData;
            move->SetDelta(QPoint(INT_MIN, 0));
            move->SetLayers({kLayer});
            move->SetMasks({});
            data.reset(move);
        } else if (command == 2) {
            target.reset(new SelectionMoveCommand(&scene.document));
            auto* move = new SelectionMoveCommandData;
            move->SetRedoPosition(far);
            data.reset(move);
        } else if (command == 5) {
            target.reset(new LayerPaintCommand(&scene.document, true));
            data.reset(new LayerPaintCommandData);
            QVERIFY(ReadRecord(Hex("00000000 00000000 00000000 00000000") + geometries
                    + Hex("00000000 00000000 ffffffff ffffffff 00000000 00000000 ffffffff ffffffff 00000001"),
                *data));
        } else if (command == 6) {
            target.reset(new MWSelectionCommand(&scene.document, true));
            auto* selection = new MWSelectionCommandData;
            selection->SetUndoSel(far, PatternImage(100, 100, 6));
            selection->SetRedoSel(far, PatternImage(100, 100, 7), MWSelectionCommandData::LogicalOp(op));
            data.reset(selection);
        } else {
            target.reset(new SelectionCommand(&scene.document));
            auto* selection = new SelectionCommandData;
            QPainterPath path;
            path.addRect(-1e12, 0, 2e12, 10);
            selection->SetSelectionGeometry(path);
            selection->SetSelectionOp(SelectionCommandData::Union);
            selection->SetUndoSel(far, PatternImage(4, 4, 3));
            data.reset(selection);
        }
        MessageCapture capture;
        redo ? target->redoExec(data.get()) : target->undoExec(data.get());
        CompareReports(capture.texts(), {ReportPattern(file, message)});
        QCOMPARE(DocumentFingerprint::Take(scene.document).Differences(before), QStringList());
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }
};

QTEST_MAIN(TestHostileRecords)
#include "tst_hostilerecords.moc"
