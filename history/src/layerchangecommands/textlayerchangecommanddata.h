#pragma once

#include <QBrush>
#include <QFont>
#include <QMatrix4x4>
#include <QPoint>
#include <QString>

#include "vornhistory_export.h"
#include "vornrecord.h"

// One full set of a text layer's attributes.
struct TextLayerAttributes
{
    QString text;
    QFont font;
    QBrush brush;
    QPoint position;
    int style = 0;
    int renderMode = 0;
    double bend = 0;
    double hDistortion = 0;
    double vDistortion = 0;
    QMatrix4x4 transformation;
    bool orientation = false;
};

// The redo set, the undo set and the layer, with each attribute's redo value
// written just before its undo value.
struct TextLayerChangeRecord
{
    TextLayerAttributes redo;
    TextLayerAttributes undo;
    unsigned int layerId = 0;

    template <class Io> bool Fields(Io& io)
    {
        return io(redo.text, undo.text, redo.font, undo.font, redo.brush, undo.brush, redo.position, undo.position,
            redo.style, undo.style, redo.renderMode, undo.renderMode, layerId, redo.bend, undo.bend, redo.hDistortion,
            undo.hDistortion, redo.vDistortion, undo.vDistortion, redo.transformation, undo.transformation,
            VornAsInt(redo.orientation), VornAsInt(undo.orientation));
    }
};

// Two full sets of text attributes of one text layer: what redo applies and
// what undo applies.
// Record: text, undo text (string); font, undo font; brush, undo brush;
// position, undo position (point); style, undo style, render mode, undo
// render mode (int); layer id (uint); bend, undo bend, horizontal distortion,
// undo horizontal distortion, vertical distortion, undo vertical distortion
// (qreal); transformation, undo transformation (4x4 matrix); orientation,
// undo orientation (int).
//
// The getters return default values (empty, zero, identity) while there is no record.
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT TextLayerChangeCommandData : public VornRecordData<TextLayerChangeRecord>
{
public:
    using Data = TextLayerChangeRecord;
    static constexpr unsigned int Type = 42;
    unsigned int GetDataType() const override { return Type; }

    void SetText(const QString& text) { EditRecord().redo.text = text; }
    void SetUndoText(const QString& text) { EditRecord().undo.text = text; }
    void SetFont(const QFont& font) { EditRecord().redo.font = font; }
    void SetUndoFont(const QFont& font) { EditRecord().undo.font = font; }
    void SetBrush(const QBrush& brush) { EditRecord().redo.brush = brush; }
    void SetUndoBrush(const QBrush& brush) { EditRecord().undo.brush = brush; }
    void SetPosition(const QPoint& position) { EditRecord().redo.position = position; }
    void SetUndoPosition(const QPoint& position) { EditRecord().undo.position = position; }
    void SetStyle(int style) { EditRecord().redo.style = style; }
    void SetUndoStyle(int style) { EditRecord().undo.style = style; }
    void SetOrientation(bool vertical) { EditRecord().redo.orientation = vertical; }
    void SetUndoOrientation(bool vertical) { EditRecord().undo.orientation = vertical; }
    void SetBend(double bend) { EditRecord().redo.bend = bend; }
    void SetUndoBend(double bend) { EditRecord().undo.bend = bend; }
    void SetHDistortion(double distortion) { EditRecord().redo.hDistortion = distortion; }
    void SetUndoHDistortion(double distortion) { EditRecord().undo.hDistortion = distortion; }
    void SetVDistortion(double distortion) { EditRecord().redo.vDistortion = distortion; }
    void SetUndoVDistortion(double distortion) { EditRecord().undo.vDistortion = distortion; }
    void SetTransformation(const QMatrix4x4& matrix) { EditRecord().redo.transformation = matrix; }
    void SetUndoTransformation(const QMatrix4x4& matrix) { EditRecord().undo.transformation = matrix; }
    void SetRenderMode(int mode) { EditRecord().redo.renderMode = mode; }
    void SetUndoRenderMode(int mode) { EditRecord().undo.renderMode = mode; }
    void SetLayerID(unsigned int id) { EditRecord().layerId = id; }

    QString GetText() const { return Attributes(false).text; }
    QString GetUndoText() const { return Attributes(true).text; }
    QFont GetFont() const { return Attributes(false).font; }
    QFont GetUndoFont() const { return Attributes(true).font; }
    QBrush GetBrush() const { return Attributes(false).brush; }
    QBrush GetUndoBrush() const { return Attributes(true).brush; }
    QPoint GetPosition() const { return Attributes(false).position; }
    QPoint GetUndoPosition() const { return Attributes(true).position; }
    int GetStyle() const { return Attributes(false).style; }
    int GetUndoStyle() const { return Attributes(true).style; }
    bool GetOrientation() const { return Attributes(false).orientation; }
    bool GetUndoOrientation() const { return Attributes(true).orientation; }
    double GetBend() const { return Attributes(false).bend; }
    double GetUndoBend() const { return Attributes(true).bend; }
    double GetHDistortion() const { return Attributes(false).hDistortion; }
    double GetUndoHDistortion() const { return Attributes(true).hDistortion; }
    double GetVDistortion() const { return Attributes(false).vDistortion; }
    double GetUndoVDistortion() const { return Attributes(true).vDistortion; }
    QMatrix4x4 GetTransformation() const { return Attributes(false).transformation; }
    QMatrix4x4 GetUndoTransformation() const { return Attributes(true).transformation; }
    int GetRenderMode() const { return Attributes(false).renderMode; }
    int GetUndoRenderMode() const { return Attributes(true).renderMode; }
    unsigned int GetLayerID() const { return GetRecord() ? GetRecord()->layerId : 0; }

    // The whole undo or redo set (defaults while there is no record).
    TextLayerAttributes Attributes(bool undo) const
    {
        if (!GetRecord())
            return TextLayerAttributes();
        return undo ? GetRecord()->undo : GetRecord()->redo;
    }
    void SetAttributes(bool undo, const TextLayerAttributes& attributes)
    {
        (undo ? EditRecord().undo : EditRecord().redo) = attributes;
    }
};
