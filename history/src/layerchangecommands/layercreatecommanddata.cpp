#include "layercreatecommanddata.h"

#include "ireader.h"
#include "iwriter.h"

LayerCreateCommandData::LayerCreateCommandData(QItemSelectionModel* model, LayerType type, int value)
    : LayerDuplicateCommandData(model, value)
    , m_record(std::make_unique<Record>())
{
    m_record->layerType = type;
}

LayerCreateCommandData::~LayerCreateCommandData() = default;

LayerCreateCommandData::Record& LayerCreateCommandData::EnsureRecord()
{
    if (!m_record)
        m_record = std::make_unique<Record>();
    return *m_record;
}

void LayerCreateCommandData::SetBlendMode(unsigned int mode)
{
    EnsureRecord().blendMode = mode;
}

void LayerCreateCommandData::SetOpacity(double opacity)
{
    EnsureRecord().opacity = opacity;
}

void LayerCreateCommandData::SetLayerId(unsigned int id)
{
    EnsureRecord().layerId = id;
}

void LayerCreateCommandData::SetLayerName(const QString& name)
{
    m_layerName = name;
}

void LayerCreateCommandData::SetLayerPos(const QPoint& position)
{
    m_layerPosition = position;
}

void LayerCreateCommandData::SetLayerImage(const KXImage32& image)
{
    m_layerImage = image;
}

void LayerCreateCommandData::SetText(const QString& text)
{
    m_text = text;
}

void LayerCreateCommandData::SetTexPosition(const QPoint& position)
{
    m_textPosition = position;
}

void LayerCreateCommandData::SetTextFont(const QFont& font)
{
    m_textFont = font;
}

void LayerCreateCommandData::SetTextColor(const QColor& color)
{
    m_textColor = color;
}

void LayerCreateCommandData::SetTextStyle(int style)
{
    m_textStyle = style;
}

void LayerCreateCommandData::SetTextOrientation(bool vertical)
{
    m_textOrientation = vertical;
}

void LayerCreateCommandData::SetTextBend(double bend)
{
    m_textBend = bend;
}

void LayerCreateCommandData::SetTextHDistortion(double distortion)
{
    m_textHDistortion = distortion;
}

void LayerCreateCommandData::SetTextVDistortion(double distortion)
{
    m_textVDistortion = distortion;
}

void LayerCreateCommandData::SetRenderMode(int mode)
{
    m_renderMode = mode;
}

bool LayerCreateCommandData::GetBendMode(unsigned int& mode) const
{
    if (!m_record)
        return false;
    mode = m_record->blendMode;
    return true;
}

bool LayerCreateCommandData::GetOpacity(double& opacity) const
{
    if (!m_record)
        return false;
    opacity = m_record->opacity;
    return true;
}

bool LayerCreateCommandData::GetLayerId(unsigned int& id) const
{
    if (!m_record)
        return false;
    id = m_record->layerId;
    return true;
}

LayerCreateCommandData::LayerType LayerCreateCommandData::GetLayerType() const
{
    return m_record ? m_record->layerType : RasterLayer;
}

bool LayerCreateCommandData::GetLayerName(QString& name) const
{
    name = m_layerName;
    return true;
}

bool LayerCreateCommandData::GetLayerPos(QPoint& position) const
{
    position = m_layerPosition;
    return true;
}

bool LayerCreateCommandData::GetLayerImage(KXImage32& image) const
{
    image = m_layerImage;
    return true;
}

bool LayerCreateCommandData::GetText(QString& text) const
{
    text = m_text;
    return true;
}

bool LayerCreateCommandData::GetTextPosition(QPoint& position) const
{
    position = m_textPosition;
    return true;
}

bool LayerCreateCommandData::GetTextFont(QFont& font) const
{
    font = m_textFont;
    return true;
}

bool LayerCreateCommandData::GetTextColor(QColor& color) const
{
    color = m_textColor;
    return true;
}

bool LayerCreateCommandData::GetTextStyle(int& style) const
{
    style = m_textStyle;
    return true;
}

bool LayerCreateCommandData::GetTextOrientation(bool& vertical) const
{
    vertical = m_textOrientation;
    return true;
}

bool LayerCreateCommandData::GetTextBend(double& bend) const
{
    bend = m_textBend;
    return true;
}

bool LayerCreateCommandData::GetTextHDistortion(double& distortion) const
{
    distortion = m_textHDistortion;
    return true;
}

bool LayerCreateCommandData::GetTextVDistortion(double& distortion) const
{
    distortion = m_textVDistortion;
    return true;
}

bool LayerCreateCommandData::GetRenderMode(int& mode) const
{
    mode = m_renderMode;
    return true;
}

bool LayerCreateCommandData::Serialize(IWriter* writer)
{
    if (!writer || !m_record)
        return false;
    bool ok = writer->WriteUInt(m_record->blendMode);
    ok &= writer->WriteUInt(m_record->layerId);
    ok &= writer->WriteQReal(m_record->opacity);
    ok &= writer->WriteInt(m_record->layerType);
    return ok;
}

bool LayerCreateCommandData::Deserialize(IReader* reader)
{
    if (!reader)
        return false;
    Record& record = EnsureRecord();
    int type = 0;
    bool ok = reader->ReadUInt(record.blendMode);
    ok &= reader->ReadUInt(record.layerId);
    ok &= reader->ReadQReal(record.opacity);
    ok &= reader->ReadInt(type);
    record.layerType = LayerType(type);
    return ok;
}

void LayerCreateCommandData::ReleaseSerializeData()
{
    m_record.reset();
}

unsigned int LayerCreateCommandData::GetDataType() const
{
    return Type;
}

LayerCreateCommandData* LayerCreateCommanddata_cast(VornCommandData* data)
{
    if (!data || data->GetDataType() != LayerCreateCommandData::Type)
        return nullptr;
    // Another class shares the number; only a real LayerCreateCommandData is usable as one.
    return dynamic_cast<LayerCreateCommandData*>(data);
}
