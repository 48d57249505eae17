#pragma once

#include "newlayerdata.h"
#include "textlayerchangecommanddata.h"

struct NewTextLayerRecord : NewLayerRecord
{
    TextLayerAttributes text;

    template <class Io> bool Fields(Io& io)
    {
        return io(text.text, text.font, text.brush, text.position, text.style, text.renderMode, text.bend,
            text.hDistortion, text.vDistortion, text.transformation, VornAsInt(text.orientation),
            static_cast<NewLayerRecord&>(*this));
    }
};

// A new text layer: its text attributes (the layer's pixels are rendered from
// them), then the common fields.
// Record: text (string), font, brush, text position (point), style (int),
// render mode (int), bend, horizontal and vertical distortion (qreal each),
// transformation (4x4 matrix), orientation (int), then NewLayerData's record.
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT NewTextLayerData : public NewLayerRecordData<NewTextLayerRecord>
{
public:
    static constexpr unsigned int Type = 35;
    unsigned int GetDataType() const override { return Type; }

    void SetText(const QString& text) { EditRecord().text.text = text; }
    void SetFont(const QFont& font) { EditRecord().text.font = font; }
    void SetBrush(const QBrush& brush) { EditRecord().text.brush = brush; }
    void SetPosition(const QPoint& position) { EditRecord().text.position = position; }
    void SetStyle(int style) { EditRecord().text.style = style; }
    void SetOrientation(bool vertical) { EditRecord().text.orientation = vertical; }
    void SetBend(double bend) { EditRecord().text.bend = bend; }
    void SetHDistortion(double distortion) { EditRecord().text.hDistortion = distortion; }
    void SetVDistortion(double distortion) { EditRecord().text.vDistortion = distortion; }
    void SetTransformation(const QMatrix4x4& transformation) { EditRecord().text.transformation = transformation; }
    void SetRenderMode(int mode) { EditRecord().text.renderMode = mode; }
    // Every text attribute at once.
    void SetAttributes(const TextLayerAttributes& attributes) { EditRecord().text = attributes; }

    // Default values (empty, zero, identity) while there is no record.
    QString GetText() const { return GetAttributes().text; }
    QFont GetFont() const { return GetAttributes().font; }
    QBrush GetBrush() const { return GetAttributes().brush; }
    QPoint GetPosition() const { return GetAttributes().position; }
    int GetStyle() const { return GetAttributes().style; }
    bool GetOrientation() const { return GetAttributes().orientation; }
    double GetBend() const { return GetAttributes().bend; }
    double GetHDistortion() const { return GetAttributes().hDistortion; }
    double GetVDistortion() const { return GetAttributes().vDistortion; }
    QMatrix4x4 GetTransformation() const { return GetAttributes().transformation; }
    int GetRenderMode() const { return GetAttributes().renderMode; }
    TextLayerAttributes GetAttributes() const { return GetRecord() ? GetRecord()->text : TextLayerAttributes(); }
};
