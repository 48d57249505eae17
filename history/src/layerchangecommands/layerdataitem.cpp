#include "layerdataitem.h"

#include <QColor>

#include <algorithm>

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "ZTAdjustment.h"
#include "ZTAdjustmentManager.h"
#include "ZTAdjustmentTarget.h"
#include "ireader.h"
#include "iwriter.h"

namespace {

// The weight above which a font is stored as bold, and the two weights a
// font is read back with.
constexpr int BoldThreshold = 57;
constexpr int BoldWeight = 75;
constexpr int NormalWeight = 50;
// Adjustment settings are read in pieces of at most this size, so that a
// corrupt byte count cannot allocate more than the record really holds.
constexpr int SettingsChunkBytes = 64 * 1024;

// --- Capture and re-creation, per kind.

void CaptureTextData(unsigned int id, const KXDocumentInterface* document, LayerDataItem::TextData& text)
{
    text.text = document->GetText(id);
    text.font = document->GetTextFont(id);
    text.brush = document->GetTextBrush(id);
    text.textPosition = document->GetTextPosition(id);
    text.style = document->GetTextStyle(id);
    text.orientation = document->GetTextOrientation(id);
    text.bend = document->GetTextBend(id);
    text.hDistortion = document->GetTextHDistortion(id);
    text.vDistortion = document->GetTextVDistortion(id);
    text.deformation = document->GetTextTransform(id);
}

void CapturePixels(unsigned int id, const KXDocumentInterface* document, LayerDataItem& item)
{
    item.offset = document->GetLayerGeometry(id).topLeft();
    // The image is read under a second (nested) read lock of the layer.
    KXDocumentLayerLockerForRead locker(document, id);
    if (const KXImage32* image = document->GetLayerImage(id))
        item.image = *image;
}

// The mask is created at the layer's mask position, then placed explicitly.
void ApplyMask(KXDocumentInterface* document, const LayerDataItem& item)
{
    if (!item.maskCreated)
        return;
    document->CreateLayerMask(item.layerId, item.mask, item.maskType);
    document->SetMaskPos(item.layerId, item.maskPosition);
}

// What raster and text layers share after their creation.
void ApplyLayerProperties(KXDocumentInterface* document, const LayerDataItem& item)
{
    const unsigned int id = item.layerId;
    ApplyMask(document, item);
    document->SetLayerBlendMode(id, item.blendMode);
    document->SetLayerOpacity(id, item.opacity);
    document->SetLayerVisible(id, item.visible);
    document->SetMaskLinked(id, item.maskLinked);
    document->SetMaskEnabled(id, item.maskEnabled);
    document->SetLayerImage(id, item.image);
}

void ApplyTextData(KXDocumentInterface* document, unsigned int id, const LayerDataItem::TextData& text)
{
    document->SetText(id, text.text);
    document->SetTextFont(id, text.font);
    document->SetTextBrush(id, text.brush);
    document->SetTextPosition(id, text.textPosition);
    document->SetTextStyle(id, text.style);
    document->SetTextOrientation(id, text.orientation);
    document->SetTextBend(id, text.bend);
    document->SetTextHDistortion(id, text.hDistortion);
    document->SetTextVDistortion(id, text.vDistortion);
    document->SetTextTransform(id, text.deformation);
}

bool CreateRaster(KXDocumentInterface* document, const LayerDataItem& item)
{
    const unsigned int id = item.layerId;
    if (!document->CreateRasterLayer(item.name, id))
        return false;
    // A new layer and its mask sit at (0, 0): relative moves place them.
    document->MoveLayer(id, item.offset);
    document->MoveMask(id, item.maskPosition);
    ApplyLayerProperties(document, item);
    return true;
}

bool CreateText(KXDocumentInterface* document, const LayerDataItem& item)
{
    const unsigned int id = item.layerId;
    if (!document->CreateTextLayer(item.name, id))
        return false;
    document->MoveLayer(id, item.offset);
    ApplyLayerProperties(document, item);
    ApplyTextData(document, id, item.textData);
    return true;
}

bool CreateAdjustment(KXDocumentInterface* document, const LayerDataItem& item)
{
    const unsigned int id = item.layerId;
    if (!document->CreateAdjustmentLayer(item.name, id, item.adjustment))
        return false;
    ZTAdjustmentTarget target;
    if (item.adjustment && document->GetAdjustmentTarget(id, target))
        item.adjustment->SetParams(target, item.adjustmentSettings);
    if (item.maskCreated) {
        ApplyMask(document, item);
        document->SetMaskEnabled(id, item.maskEnabled);
        document->SetMaskLinked(id, item.maskLinked);
    }
    document->SetLayerBlendMode(id, item.blendMode);
    document->SetLayerOpacity(id, item.opacity);
    document->SetLayerVisible(id, item.visible);
    document->UpdateView(QRect(0, 0, -1, -1));
    return true;
}

// --- The record. Each helper performs all of its fields and returns the AND.

bool WriteLayerBlock(IWriter* writer, const LayerDataItem& item)
{
    bool ok = writer->WriteString(item.name);
    ok &= writer->WritePoint(item.offset);
    ok &= writer->WriteKXImage(item.image);
    ok &= writer->WritePoint(item.maskPosition);
    ok &= writer->WriteKXImage(item.mask);
    ok &= writer->WriteUInt(item.blendMode);
    ok &= writer->WriteQReal(item.opacity);
    ok &= writer->WriteInt(item.visible ? 1 : 0);
    ok &= writer->WriteInt(item.maskCreated ? 1 : 0);
    ok &= writer->WriteInt(item.maskLinked ? 1 : 0);
    ok &= writer->WriteInt(item.maskEnabled ? 1 : 0);
    ok &= writer->WriteUInt(item.locks);
    ok &= writer->WriteInt(item.maskType ? 1 : 0);
    return ok;
}

bool ReadLayerBlock(IReader* reader, LayerDataItem& item)
{
    int visible = 0;
    int maskCreated = 0;
    int maskLinked = 0;
    int maskEnabled = 0;
    int maskType = 0;
    bool ok = reader->ReadString(item.name);
    ok &= reader->ReadPoint(item.offset);
    ok &= reader->ReadKXImage(item.image);
    ok &= reader->ReadPoint(item.maskPosition);
    ok &= reader->ReadKXImage(item.mask);
    ok &= reader->ReadUInt(item.blendMode);
    ok &= reader->ReadQReal(item.opacity);
    ok &= reader->ReadInt(visible);
    ok &= reader->ReadInt(maskCreated);
    ok &= reader->ReadInt(maskLinked);
    ok &= reader->ReadInt(maskEnabled);
    ok &= reader->ReadUInt(item.locks);
    ok &= reader->ReadInt(maskType);
    item.visible = visible > 0;
    item.maskCreated = maskCreated > 0;
    item.maskLinked = maskLinked != 0;
    item.maskEnabled = maskEnabled > 0;
    item.maskType = maskType > 0;
    return ok;
}

// The font as family, point size, weight, bold and style; the brush as its colour.
bool WriteTextBlock(IWriter* writer, const LayerDataItem::TextData& text)
{
    const QColor color = text.brush.color();
    bool ok = writer->WriteString(text.text);
    ok &= writer->WriteString(text.font.family());
    ok &= writer->WriteInt(text.font.pointSize());
    ok &= writer->WriteInt(text.font.weight());
    ok &= writer->WriteUInt(text.font.weight() > BoldThreshold ? 1 : 0);
    ok &= writer->WriteUInt(unsigned(text.font.style()));
    ok &= writer->WriteInt(color.red());
    ok &= writer->WriteInt(color.green());
    ok &= writer->WriteInt(color.blue());
    ok &= writer->WriteInt(color.alpha());
    ok &= writer->WritePoint(text.textPosition);
    ok &= writer->WriteInt(text.style);
    ok &= writer->WriteUInt(text.orientation ? 1 : 0);
    ok &= writer->WriteQReal(text.bend);
    ok &= writer->WriteQReal(text.hDistortion);
    ok &= writer->WriteQReal(text.vDistortion);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            ok &= writer->WriteQReal(double(text.deformation(row, column)));
    return ok;
}

// The font comes back as bold (75) or normal (50) and italic or normal.
QFont MakeFont(const QString& family, int pointSize, int weight, unsigned int bold, unsigned int style)
{
    QFont font(family);
    // Sizes and weights QFont refuses (a pixel-sized font stores -1) would
    // only warn; the weight is replaced right after anyway.
    if (pointSize > 0)
        font.setPointSize(pointSize);
    if (weight >= 0 && weight <= 99)
        font.setWeight(weight);
    font.setWeight(bold ? BoldWeight : NormalWeight);
    font.setStyle(style ? QFont::StyleItalic : QFont::StyleNormal);
    return font;
}

bool ReadTextBlock(IReader* reader, LayerDataItem::TextData& text)
{
    QString family;
    int pointSize = 0;
    int weight = 0;
    unsigned int bold = 0;
    unsigned int fontStyle = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 0;
    unsigned int orientation = 0;
    bool ok = reader->ReadString(text.text);
    ok &= reader->ReadString(family);
    ok &= reader->ReadInt(pointSize);
    ok &= reader->ReadInt(weight);
    ok &= reader->ReadUInt(bold);
    ok &= reader->ReadUInt(fontStyle);
    ok &= reader->ReadInt(red);
    ok &= reader->ReadInt(green);
    ok &= reader->ReadInt(blue);
    ok &= reader->ReadInt(alpha);
    ok &= reader->ReadPoint(text.textPosition);
    ok &= reader->ReadInt(text.style);
    ok &= reader->ReadUInt(orientation);
    ok &= reader->ReadQReal(text.bend);
    ok &= reader->ReadQReal(text.hDistortion);
    ok &= reader->ReadQReal(text.vDistortion);
    float values[16];
    for (float& value : values) {
        double read = 0;
        ok &= reader->ReadQReal(read);
        value = float(read);
    }
    text.font = MakeFont(family, pointSize, weight, bold, fontStyle);
    text.brush = QBrush(QColor(red, green, blue, alpha), Qt::SolidPattern);
    text.orientation = orientation != 0;
    text.deformation = QMatrix4x4(values); // row by row
    return ok;
}

bool WriteAdjustmentBlock(IWriter* writer, const LayerDataItem& item)
{
    bool ok = writer->WriteString(item.name);
    ok &= writer->WriteQReal(item.opacity);
    ok &= writer->WriteUInt(item.blendMode);
    ok &= writer->WriteUInt(item.maskCreated ? 1 : 0);
    if (item.maskCreated) {
        ok &= writer->WriteKXImage(item.mask);
        ok &= writer->WriteUInt(item.maskEnabled ? 1 : 0);
        ok &= writer->WriteUInt(item.maskType ? 1 : 0);
        ok &= writer->WritePoint(item.maskPosition);
    }
    // Without an adjustment object there is no name to store: an empty one is.
    ok &= writer->WriteString(item.adjustment ? item.adjustment->GetName() : QStringLiteral(""));
    const int size = item.adjustmentSettings.size();
    ok &= writer->WriteInt(size);
    ok &= writer->WriteRawData(item.adjustmentSettings.constData(), size) == size;
    return ok;
}

// count bytes of raw data; false (and an empty array) when they are not all there.
bool ReadSettings(IReader* reader, int count, QByteArray& settings)
{
    settings.clear();
    if (count < 0)
        return false;
    QByteArray bytes;
    while (bytes.size() < count) {
        const int chunk = std::min(count - bytes.size(), SettingsChunkBytes);
        const int start = bytes.size();
        bytes.resize(start + chunk);
        if (reader->ReadRawData(bytes.data() + start, chunk) != chunk)
            return false;
    }
    settings = bytes;
    return true;
}

bool ReadAdjustmentBlock(IReader* reader, LayerDataItem& item)
{
    unsigned int maskCreated = 0;
    QString adjustmentName;
    int size = 0;
    bool ok = reader->ReadString(item.name);
    ok &= reader->ReadQReal(item.opacity);
    ok &= reader->ReadUInt(item.blendMode);
    ok &= reader->ReadUInt(maskCreated);
    item.maskCreated = maskCreated != 0;
    if (item.maskCreated) {
        unsigned int maskEnabled = 0;
        unsigned int maskType = 0;
        ok &= reader->ReadKXImage(item.mask);
        ok &= reader->ReadUInt(maskEnabled);
        ok &= reader->ReadUInt(maskType);
        ok &= reader->ReadPoint(item.maskPosition);
        item.maskEnabled = maskEnabled != 0;
        item.maskType = maskType != 0;
    }
    ok &= reader->ReadString(adjustmentName);
    if (ZTAdjustmentManager* manager = ZTAdjustmentManager::GetInstance())
        item.adjustment = manager->GetAdjustment(adjustmentName);
    ok &= reader->ReadInt(size);
    ok &= ReadSettings(reader, size, item.adjustmentSettings);
    return ok;
}

} // namespace

void InitLayerItemFromDocument(unsigned int id, KXDocumentInterface* document, LayerDataItem& item)
{
    if (!document)
        return;
    KXDocumentLayerLockerForRead locker(document, id);
    item.layerId = id;
    item.name = document->GetLayerName(id);
    item.blendMode = document->GetLayerBlendMode(id);
    item.opacity = document->GetLayerOpacity(id);
    item.visible = document->GetLayerVisible(id);
    item.maskCreated = document->HasLayerMask(id);
    item.maskPosition = document->GetMaskGeometry(id).topLeft();
    item.maskEnabled = document->GetMaskEnabled(id);
    document->GetMaskImage(id, item.mask);
    item.maskLinked = document->GetMaskLinked(id);
    document->GetMaskType(id, item.maskType);
    item.locks = 0;
    if (item.maskCreated) {
        if (const KXImage32* mask = document->GetLayerMask(id))
            item.mask = *mask;
    }

    switch (document->GetLayerType(id)) {
    case KXDocumentInterface::AdjustmentLayer: {
        item.kind = KXDocumentInterface::AdjustmentLayer;
        document->GetLayerAdjustment(id, item.adjustment);
        ZTAdjustmentTarget target;
        if (item.adjustment && document->GetAdjustmentTarget(id, target))
            item.adjustmentSettings = item.adjustment->GetParams(target);
        break;
    }
    case KXDocumentInterface::TextLayer:
        item.kind = KXDocumentInterface::TextLayer;
        CapturePixels(id, document, item);
        CaptureTextData(id, document, item.textData);
        break;
    case KXDocumentInterface::RasterLayer:
        item.kind = KXDocumentInterface::RasterLayer;
        CapturePixels(id, document, item);
        break;
    default:
        break;
    }
}

bool InitLayerItemToDocument(KXDocumentInterface* document, const LayerDataItem& item)
{
    if (!document)
        return false;
    switch (item.kind) {
    case KXDocumentInterface::RasterLayer:
        return CreateRaster(document, item);
    case KXDocumentInterface::TextLayer:
        return CreateText(document, item);
    case KXDocumentInterface::AdjustmentLayer:
        return CreateAdjustment(document, item);
    default:
        return false;
    }
}

bool LayerDataItemWrite(IWriter* writer, LayerDataItem& item)
{
    if (!writer)
        return false;
    bool ok = writer->WriteUInt(item.layerId);
    ok &= writer->WriteUInt(unsigned(item.kind));
    switch (item.kind) {
    case KXDocumentInterface::RasterLayer:
        ok &= WriteLayerBlock(writer, item);
        break;
    case KXDocumentInterface::TextLayer:
        ok &= WriteLayerBlock(writer, item);
        ok &= WriteTextBlock(writer, item.textData);
        break;
    case KXDocumentInterface::AdjustmentLayer:
        ok &= WriteAdjustmentBlock(writer, item);
        break;
    default:
        break;
    }
    ok &= writer->WriteUInt(item.merge ? 1 : 0);
    return ok;
}

bool LayerDataItemRead(IReader* reader, LayerDataItem& item)
{
    if (!reader)
        return false;
    unsigned int kind = 0;
    bool ok = reader->ReadUInt(item.layerId);
    ok &= reader->ReadUInt(kind);
    item.kind = int(kind);
    switch (item.kind) {
    case KXDocumentInterface::TextLayer:
        ok &= ReadLayerBlock(reader, item);
        ok &= ReadTextBlock(reader, item.textData);
        break;
    case KXDocumentInterface::AdjustmentLayer:
        ok &= ReadAdjustmentBlock(reader, item);
        break;
    default: // raster, and any unknown kind
        ok &= ReadLayerBlock(reader, item);
        break;
    }
    unsigned int merge = 0;
    ok &= reader->ReadUInt(merge);
    item.merge = merge != 0;
    return ok;
}
