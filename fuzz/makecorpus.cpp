// Writes the seed corpus of every harness with the library's own writers:
// makecorpus <folder> creates <folder>/<harness>/<seed> files.
#include <QFile>

#include <memory>

#include "fuzzcommon.h"
#include "fuzzreadops.h"
#include "fuzztables.h"
#include "layerdataitem.h"

namespace {

// The bytes `write` puts in a fresh record file.
template <class Write>
QByteArray Written(Write write)
{
    VornReaderWriter file;
    const QString path = FuzzPath("seed");
    if (!file.Open(path))
        return QByteArray();
    write(static_cast<IWriter*>(&file));
    file.Close();
    QFile written(path);
    return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
}

bool Save(const QDir& folder, const QString& name, const QByteArray& bytes)
{
    QFile file(folder.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Selected(int index, const QByteArray& bytes)
{
    return QByteArray(1, char(index)) + bytes;
}

QBrush RadialBrush()
{
    QRadialGradient gradient(QPointF(1, 2), 3, QPointF(2, 2));
    gradient.setColorAt(0, Qt::red);
    gradient.setColorAt(1, QColor::fromHsv(120, 10, 20, 30));
    return QBrush(gradient);
}

// One sample value per IReader operation, written by the matching writer;
// variant 1 is a second value.
void WriteSample(IWriter* w, int operation, int variant)
{
    QPainterPath painterPath(QPointF(1, 2));
    painterPath.cubicTo(3, 4, 5, 6, 7, 8);
    painterPath.lineTo(-1, 0.5);
    const QList<KXPathElement> elements{KXPathElement(KXPathElement::MoveTo, QPointF(1, 2)),
                                        KXPathElement(KXPathElement::LineTo, QPointF(3, 4))};
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 40));
    KXImage<KXRGBA32i, 128, 128> tiled(129 + variant, 2);
    tiled.Fill(KXRGBA32i::OpaqueWhite());
    QFont font(QStringLiteral("DejaVu Sans"), 13, QFont::Bold, true);
    if (variant)
        font.setFamilies({QStringLiteral("a"), QStringLiteral("bc")});
    switch (operation) {
    case 0: w->WriteImage(variant ? image.convertToFormat(QImage::Format_Indexed8) : image); break;
    case 1: w->WriteInt(-7 + variant); break;
    case 2: w->WriteUInt(0xFFFFFFF0u + unsigned(variant)); break;
    case 3: w->WriteQReal(0.25 + variant); break;
    case 4: w->WriteVornPath(QList<QPair<QList<KXPathElement>, int>>{{elements, 1}, {elements, variant}}); break;
    case 5: w->WriteVornPath(elements); break;
    case 6: w->WritePainterPath(painterPath); break;
    case 7: w->WritePoint(QPoint(-3, 4 + variant)); break;
    case 8: w->WriteRawData(QByteArray(64, char('a' + variant)).constData(), 64); break;
    case 9: w->WriteRect(QRect(-3, 5, 10, 2 + variant)); break;
    case 10: w->WriteSize(QSize(129, variant)); break;
    case 11: w->WriteString(variant ? QString() : QStringLiteral("Layer \u00e9")); break;
    case 12: w->WriteTransform(QTransform(1, 2, 3, 4, 5, 6)); break;
    case 13: w->WriteKXImage(tiled); break;
    case 14: w->WriteBrush(variant ? QBrush(image) : RadialBrush()); break;
    case 15: w->WriteMatrix4x4(QMatrix4x4(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16)); break;
    case 16: w->WriteFont(font); break;
    default: w->WriteByteArray(QByteArray("bytes", 5 + variant)); break;
    }
}

} // namespace

int main(int argc, char** argv)
{
    FuzzInit();
    if (argc != 2) {
        fprintf(stderr, "usage: makecorpus <folder>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* harness : {"fuzz_reader", "fuzz_layerdataitem", "fuzz_deserialize", "fuzz_execute"})
        root.mkpath(QLatin1String(harness));
    int failures = 0;

    const QDir reader(root.filePath(QStringLiteral("fuzz_reader")));
    for (int operation = 0; operation < kFuzzReadOperations; ++operation)
        for (int variant = 0; variant < 2; ++variant)
            failures += !Save(reader, QStringLiteral("op%1-%2").arg(operation).arg(variant),
                              Selected(operation, Written([&](IWriter* w) {
                                  WriteSample(w, operation, variant);
                                  WriteSample(w, operation, 1 - variant);
                              })));

    KXMemoryDocument document(QSize(64, 48));
    FuzzDocument(document);
    const QDir item(root.filePath(QStringLiteral("fuzz_layerdataitem")));
    for (unsigned int id = 0; id < 2; ++id) {
        LayerDataItem layer;
        InitLayerItemFromDocument(id, &document, layer);
        failures += !Save(item, QStringLiteral("layer%1").arg(id),
                          Written([&](IWriter* w) { LayerDataItemWrite(w, layer); }));
    }

    // A record of zeros reads for most classes (zero counts, empty images and
    // strings); what reads is written back as that class's seed.
    const QByteArray zeros(4096, '\0');
    const auto& entries = FuzzEntries();
    for (int index = 0; index < int(entries.size()); ++index) {
        std::unique_ptr<VornCommandData> data(entries[size_t(index)].data());
        QByteArray seed = zeros.left(256);
        {
            VornReaderWriter file;
            const QString path = FuzzPath("zeros");
            if (file.Open(path) && file.WriteRawData(zeros.constData(), zeros.size()) == zeros.size()) {
                file.Close();
                if (file.Open(QString()) && data->Deserialize(&file))
                    seed = Written([&](IWriter* w) { data->Serialize(w); });
            }
        }
        // Text records hold a font and a brush, which zeros are not.
        if (auto* text = dynamic_cast<NewTextLayerData*>(data.get())) {
            text->SetFont(QFont(QStringLiteral("DejaVu Sans"), 12));
            text->SetBrush(RadialBrush());
            seed = Written([&](IWriter* w) { data->Serialize(w); });
        } else if (auto* change = dynamic_cast<TextLayerChangeCommandData*>(data.get())) {
            change->SetFont(QFont(QStringLiteral("DejaVu Sans"), 12));
            change->SetUndoFont(QFont(QStringLiteral("DejaVu Serif"), 9));
            change->SetBrush(QBrush(Qt::red));
            change->SetUndoBrush(QBrush(Qt::blue));
            seed = Written([&](IWriter* w) { data->Serialize(w); });
        }
        printf("%2d %s%s\n", index, entries[size_t(index)].name, seed.size() == 256 ? " (zeros)" : "");
        for (const char* harness : {"fuzz_deserialize", "fuzz_execute"})
            failures += !Save(QDir(root.filePath(QLatin1String(harness))),
                              QStringLiteral("%1").arg(entries[size_t(index)].name), Selected(index, seed));
    }
    return failures ? 1 : 0;
}
