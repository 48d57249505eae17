#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>

#include "KXImage.h"
#include "layerduplicatecommanddata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

// The kinds of layer a create command makes.
enum LayerCreateLayerType : int
{
    LayerCreateRaster = 0,
    LayerCreateText = 1
};

struct LayerCreateCommandRecord
{
    unsigned int blendMode = 0;
    unsigned int layerId = 0;
    double opacity = 0;
    LayerCreateLayerType layerType = LayerCreateRaster;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(blendMode, layerId, opacity, VornAsInt(layerType));
    }
};

// What a new raster or text layer gets. Blend mode, opacity, layer id and
// layer type form the record (created by the constructor, released by
// ReleaseSerializeData, re-created by Deserialize); the name, position, image
// and text attributes stay in memory and survive a release.
// Record: blend mode (uint), layer id (uint), opacity (qreal), layer type (int).
//
// It shares the type number 19 with the duplicate data and derives from it,
// so LayerDuplicateCommanddata_cast accepts it; its own record replaces the
// duplicate's (whose layer id accessors it overrides).
// Not owned: the selection model. Owns its record; its command owns it until the push,
// the stack's serializer after. Filled and read on the GUI thread; between executions
// the serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerCreateCommandData
    : public VornRecordData<LayerCreateCommandRecord, LayerDuplicateCommandData>
{
public:
    static constexpr unsigned int Type = 19;
    unsigned int GetDataType() const override { return Type; }

    using LayerType = LayerCreateLayerType;
    static constexpr LayerType RasterLayer = LayerCreateRaster;
    static constexpr LayerType TextLayer = LayerCreateText;

    // model: the layer panel's selection (not owned, may be null); value is
    // handed to SelectionData.
    LayerCreateCommandData(QItemSelectionModel* model, LayerType type, int value);

    // These create the record if it is absent.
    void SetBlendMode(unsigned int mode) { EditRecord().blendMode = mode; }
    void SetOpacity(double opacity) { EditRecord().opacity = opacity; }
    void SetLayerId(unsigned int id) override { EditRecord().layerId = id; }

    void SetLayerName(const QString& name) { m_layerName = name; }
    void SetLayerPos(const QPoint& position) { m_layerPosition = position; }
    void SetLayerImage(const KXImage32& image) { m_layerImage = image; }
    void SetText(const QString& text) { m_text = text; }
    void SetTexPosition(const QPoint& position) { m_textPosition = position; }
    void SetTextFont(const QFont& font) { m_textFont = font; }
    void SetTextColor(const QColor& color) { m_textColor = color; }
    void SetTextStyle(int style) { m_textStyle = style; }
    void SetTextOrientation(bool vertical) { m_textOrientation = vertical; }
    void SetTextBend(double bend) { m_textBend = bend; }
    void SetTextHDistortion(double distortion) { m_textHDistortion = distortion; }
    void SetTextVDistortion(double distortion) { m_textVDistortion = distortion; }
    void SetRenderMode(int mode) { m_renderMode = mode; }

    // False, argument untouched, while there is no record.
    bool GetBendMode(unsigned int& mode) const { return Field(&LayerCreateCommandRecord::blendMode, mode); }
    bool GetOpacity(double& opacity) const { return Field(&LayerCreateCommandRecord::opacity, opacity); }
    bool GetLayerId(unsigned int& id) const override { return Field(&LayerCreateCommandRecord::layerId, id); }
    // The type in the record; RasterLayer while there is none.
    LayerType GetLayerType() const { return GetRecord() ? GetRecord()->layerType : RasterLayer; }

    // Always true.
    bool GetLayerName(QString& name) const { return Copy(m_layerName, name); }
    bool GetLayerPos(QPoint& position) const { return Copy(m_layerPosition, position); }
    bool GetLayerImage(KXImage32& image) const { return Copy(m_layerImage, image); }
    bool GetText(QString& text) const { return Copy(m_text, text); }
    bool GetTextPosition(QPoint& position) const { return Copy(m_textPosition, position); }
    bool GetTextFont(QFont& font) const { return Copy(m_textFont, font); }
    bool GetTextColor(QColor& color) const { return Copy(m_textColor, color); }
    bool GetTextStyle(int& style) const { return Copy(m_textStyle, style); }
    bool GetTextOrientation(bool& vertical) const { return Copy(m_textOrientation, vertical); }
    bool GetTextBend(double& bend) const { return Copy(m_textBend, bend); }
    bool GetTextHDistortion(double& distortion) const { return Copy(m_textHDistortion, distortion); }
    bool GetTextVDistortion(double& distortion) const { return Copy(m_textVDistortion, distortion); }
    bool GetRenderMode(int& mode) const { return Copy(m_renderMode, mode); }

private:
    template <class T>
    static bool Copy(const T& value, T& out)
    {
        out = value;
        return true;
    }

    QPoint m_layerPosition;
    QString m_text;
    QPoint m_textPosition;
    QFont m_textFont;
    QColor m_textColor = Qt::black;
    int m_textStyle = 0;
    bool m_textOrientation = false;
    double m_textBend = 0;
    double m_textHDistortion = 0;
    double m_textVDistortion = 0;
    int m_renderMode = 1;
    QString m_layerName;
    KXImage32 m_layerImage;
};

// data typed as LayerCreateCommandData when it is one (type 19), else null.
// The layer duplicate data shares the number and derives from this class, so
// the cast accepts it too.
VORNHISTORY_EXPORT LayerCreateCommandData* LayerCreateCommanddata_cast(VornCommandData* data);
