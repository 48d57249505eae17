#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>

#include <memory>

#include "KXImage.h"
#include "layerduplicatecommanddata.h"
#include "vornhistory_export.h"

// What a new raster or text layer gets. Blend mode, opacity, layer id and
// layer type form the record (created by the constructor, released by
// ReleaseSerializeData, re-created by Deserialize); the name, position, image
// and text attributes stay in memory and survive a release.
class VORNHISTORY_EXPORT LayerCreateCommandData : public LayerDuplicateCommandData
{
public:
    static constexpr unsigned int Type = 19;

    enum LayerType : int
    {
        RasterLayer = 0,
        TextLayer = 1
    };

    // model: the layer panel's selection (not owned, may be null); value is
    // handed to SelectionData.
    LayerCreateCommandData(QItemSelectionModel* model, LayerType type, int value);
    ~LayerCreateCommandData() override;

    // These create the record if it is absent.
    void SetBlendMode(unsigned int mode);
    void SetOpacity(double opacity);
    void SetLayerId(unsigned int id) override;

    void SetLayerName(const QString& name);
    void SetLayerPos(const QPoint& position);
    void SetLayerImage(const KXImage32& image);
    void SetText(const QString& text);
    void SetTexPosition(const QPoint& position);
    void SetTextFont(const QFont& font);
    void SetTextColor(const QColor& color);
    void SetTextStyle(int style);
    void SetTextOrientation(bool vertical);
    void SetTextBend(double bend);
    void SetTextHDistortion(double distortion);
    void SetTextVDistortion(double distortion);
    void SetRenderMode(int mode);

    // False, argument untouched, while there is no record.
    bool GetBendMode(unsigned int& mode) const;
    bool GetOpacity(double& opacity) const;
    bool GetLayerId(unsigned int& id) const override;
    // The type in the record; RasterLayer while there is none.
    LayerType GetLayerType() const;

    // Always true.
    bool GetLayerName(QString& name) const;
    bool GetLayerPos(QPoint& position) const;
    bool GetLayerImage(KXImage32& image) const;
    bool GetText(QString& text) const;
    bool GetTextPosition(QPoint& position) const;
    bool GetTextFont(QFont& font) const;
    bool GetTextColor(QColor& color) const;
    bool GetTextStyle(int& style) const;
    bool GetTextOrientation(bool& vertical) const;
    bool GetTextBend(double& bend) const;
    bool GetTextHDistortion(double& distortion) const;
    bool GetTextVDistortion(double& distortion) const;
    bool GetRenderMode(int& mode) const;

    // Record: blend mode (uint), layer id (uint), opacity (qreal), layer type (int).
    bool Serialize(IWriter* writer) override;
    bool Deserialize(IReader* reader) override;
    void ReleaseSerializeData() override;
    unsigned int GetDataType() const override;

private:
    struct Record
    {
        unsigned int blendMode = 0;
        double opacity = 0;
        unsigned int layerId = 0;
        LayerType layerType = RasterLayer;
    };

    Record& EnsureRecord();

    std::unique_ptr<Record> m_record;
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
VORNHISTORY_EXPORT LayerCreateCommandData* LayerCreateCommanddata_cast(VornCommandData* data);
