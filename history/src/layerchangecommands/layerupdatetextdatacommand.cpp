#include "layerupdatetextdatacommand.h"

#include <QBrush>

#include "KXDocumentInterface.h"
#include "KXTextHelper.h"
#include "layerduplicatecommanddata.h"
#include "textlayeredit_p.h"

namespace {

// Weights above this count as bold.
constexpr int kBoldAbove = 57;

bool IsBold(const QFont& font)
{
    return font.weight() > kBoldAbove;
}

bool IsItalic(const QFont& font)
{
    return font.style() != QFont::StyleNormal;
}

} // namespace

// --- ParamsChecker

LayerUpdateTextDataCommand::ParamsChecker::ParamsChecker(const Params& undo, const Params& redo)
    : m_undo(undo)
    , m_redo(redo)
{
}

namespace {

template <class T, class Equal>
bool BothEqual(
    const LayerUpdateTextDataCommand::Param<T>& a, const LayerUpdateTextDataCommand::Param<T>& b, Equal equal)
{
    return a.set && b.set && equal(a.value, b.value);
}

template <class T>
bool BothEqual(const LayerUpdateTextDataCommand::Param<T>& a, const LayerUpdateTextDataCommand::Param<T>& b)
{
    return BothEqual(a, b, [](const T& x, const T& y) { return x == y; });
}

} // namespace

bool LayerUpdateTextDataCommand::ParamsChecker::CheckName() const
{
    return BothEqual(m_undo.layerName, m_redo.layerName);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckText() const
{
    return BothEqual(m_undo.text, m_redo.text);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckFont() const
{
    return BothEqual(m_undo.font, m_redo.font);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckFontFamily() const
{
    return BothEqual(m_undo.font, m_redo.font, [](const QFont& a, const QFont& b) { return a.family() == b.family(); });
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckFontWeight() const
{
    return BothEqual(m_undo.font, m_redo.font, [](const QFont& a, const QFont& b) {
        return a.weight() == b.weight() && IsBold(a) == IsBold(b) && IsItalic(a) == IsItalic(b);
    });
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckFontSize() const
{
    return BothEqual(
        m_undo.font, m_redo.font, [](const QFont& a, const QFont& b) { return a.pixelSize() == b.pixelSize(); });
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckColor() const
{
    return BothEqual(m_undo.color, m_redo.color);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckStyle() const
{
    return BothEqual(m_undo.style, m_redo.style);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckOrientation() const
{
    return BothEqual(m_undo.orientation, m_redo.orientation);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckBend() const
{
    return BothEqual(m_undo.bend, m_redo.bend);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckHDistortion() const
{
    return BothEqual(m_undo.hDistortion, m_redo.hDistortion);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckVDistortion() const
{
    return BothEqual(m_undo.vDistortion, m_redo.vDistortion);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckImagePos() const
{
    return BothEqual(m_undo.imagePosition, m_redo.imagePosition);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckTextPos() const
{
    return BothEqual(m_undo.textPosition, m_redo.textPosition);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckMatrix() const
{
    return BothEqual(m_undo.transform, m_redo.transform);
}

bool LayerUpdateTextDataCommand::ParamsChecker::CheckRenderMode() const
{
    return BothEqual(m_undo.renderMode, m_redo.renderMode);
}

// --- The command

LayerUpdateTextDataCommand::LayerUpdateTextDataCommand(KXDocumentInterface* document, unsigned int layerId)
    : m_document(document)
    , m_layerId(layerId)
    , m_checker(m_undo, m_redo)
{
    auto* data = new LayerDuplicateCommandData(nullptr);
    data->SetLayerId(layerId);
    SetCommandData(data);
    InitNewValues();
}

LayerUpdateTextDataCommand::~LayerUpdateTextDataCommand() = default;

void LayerUpdateTextDataCommand::InitNewValues()
{
    m_undo = ReadLayer();
    m_redo = m_undo;
}

LayerUpdateTextDataCommand::Params LayerUpdateTextDataCommand::ReadLayer() const
{
    Params params;
    if (!m_document)
        return params;
    const unsigned int id = m_layerId;
    params.layerName.value = m_document->GetLayerName(id);
    params.text.value = m_document->GetText(id);
    params.font.value = m_document->GetTextFont(id);
    params.color.value = m_document->GetTextBrush(id).color();
    params.style.value = m_document->GetTextStyle(id);
    params.orientation.value = m_document->GetTextOrientation(id);
    params.bend.value = m_document->GetTextBend(id);
    params.hDistortion.value = m_document->GetTextHDistortion(id);
    params.vDistortion.value = m_document->GetTextVDistortion(id);
    params.imagePosition.value = m_document->GetLayerGeometry(id).topLeft();
    params.textPosition.value = m_document->GetTextPosition(id);
    params.transform.value = m_document->GetTextTransform(id);
    params.renderMode.value = m_document->GetTextRenderMode(id);
    return params;
}

template <class T>
bool LayerUpdateTextDataCommand::Store(
    Param<T> Params::*member, const T& value, int flag, UpdateParams selector, bool (ParamsChecker::*check)() const)
{
    switch (selector) {
    case Change:
        m_flags |= flag;
        if (!(m_undo.*member).set)
            m_undo.*member = { (ReadLayer().*member).value, true };
        m_redo.*member = { value, true };
        break;
    case RedoOnly:
        m_redo.*member = { value, true };
        break;
    case UndoOnly:
        m_undo.*member = { value, true };
        break;
    default:
        break;
    }
    return (m_checker.*check)();
}

template <class T> bool LayerUpdateTextDataCommand::Fetch(Param<T> Params::*member, T& out, UpdateParams selector) const
{
    const Param<T>& param = selector == UndoOnly ? m_undo.*member : m_redo.*member;
    out = param.value;
    return param.set;
}

bool LayerUpdateTextDataCommand::SetLayerName(const QString& name, UpdateParams selector)
{
    return Store(&Params::layerName, name, LayerNameFlag, selector, &ParamsChecker::CheckName);
}

bool LayerUpdateTextDataCommand::SetText(const QString& text, UpdateParams selector)
{
    return Store(&Params::text, text, TextFlag, selector, &ParamsChecker::CheckText);
}

bool LayerUpdateTextDataCommand::SetTextFont(const QFont& font, UpdateParams selector)
{
    return Store(&Params::font, font, FontFlag, selector, &ParamsChecker::CheckFont);
}

bool LayerUpdateTextDataCommand::SetTextColor(const QColor& color, UpdateParams selector)
{
    return Store(&Params::color, color, ColorFlag, selector, &ParamsChecker::CheckColor);
}

bool LayerUpdateTextDataCommand::SetTextStyle(int style, UpdateParams selector)
{
    return Store(&Params::style, style, StyleFlag, selector, &ParamsChecker::CheckStyle);
}

bool LayerUpdateTextDataCommand::SetTextOrientation(bool vertical, UpdateParams selector)
{
    return Store(&Params::orientation, vertical, OrientationFlag, selector, &ParamsChecker::CheckOrientation);
}

bool LayerUpdateTextDataCommand::SetTextBend(double bend, UpdateParams selector)
{
    return Store(&Params::bend, bend, BendFlag, selector, &ParamsChecker::CheckBend);
}

bool LayerUpdateTextDataCommand::SetTextHDistortion(double distortion, UpdateParams selector)
{
    return Store(&Params::hDistortion, distortion, HDistortionFlag, selector, &ParamsChecker::CheckHDistortion);
}

bool LayerUpdateTextDataCommand::SetTextVDistortion(double distortion, UpdateParams selector)
{
    return Store(&Params::vDistortion, distortion, VDistortionFlag, selector, &ParamsChecker::CheckVDistortion);
}

bool LayerUpdateTextDataCommand::SetPosition(const QPoint& position, UpdateParams selector)
{
    return Store(&Params::imagePosition, position, ImagePositionFlag, selector, &ParamsChecker::CheckImagePos);
}

bool LayerUpdateTextDataCommand::SetTextPosition(const QPoint& position, UpdateParams selector)
{
    return Store(&Params::textPosition, position, TextPositionFlag, selector, &ParamsChecker::CheckTextPos);
}

bool LayerUpdateTextDataCommand::SetTextTransform(const QMatrix4x4& transform, UpdateParams selector)
{
    return Store(&Params::transform, transform, TransformFlag, selector, &ParamsChecker::CheckMatrix);
}

bool LayerUpdateTextDataCommand::SetRenderMode(int mode, UpdateParams selector)
{
    return Store(&Params::renderMode, mode, RenderModeFlag, selector, &ParamsChecker::CheckRenderMode);
}

bool LayerUpdateTextDataCommand::ReplaceTextFontFamilyFromLayer(const QString& family, UpdateParams selector)
{
    QFont font = ReadLayer().font.value;
    font.setFamily(family);
    return Store(&Params::font, font, FontFlag, selector, &ParamsChecker::CheckFontFamily);
}

bool LayerUpdateTextDataCommand::ReplaceTextFontWeightFromLayer(const QFont& weight, UpdateParams selector)
{
    QFont font = ReadLayer().font.value;
    font.setWeight(IsBold(weight) ? QFont::Bold : QFont::Normal);
    font.setItalic(IsItalic(weight));
    return Store(&Params::font, font, FontFlag, selector, &ParamsChecker::CheckFontWeight);
}

bool LayerUpdateTextDataCommand::ReplaceTextFontSizeFromLayer(int pixelSize, UpdateParams selector)
{
    if (pixelSize < 1)
        return false;
    QFont font = ReadLayer().font.value;
    font.setPixelSize(pixelSize);
    return Store(&Params::font, font, FontFlag, selector, &ParamsChecker::CheckFontSize);
}

bool LayerUpdateTextDataCommand::GetLayerName(QString& name, UpdateParams selector) const
{
    return Fetch(&Params::layerName, name, selector);
}

bool LayerUpdateTextDataCommand::GetText(QString& text, UpdateParams selector) const
{
    return Fetch(&Params::text, text, selector);
}

bool LayerUpdateTextDataCommand::GetTextFont(QFont& font, UpdateParams selector) const
{
    return Fetch(&Params::font, font, selector);
}

bool LayerUpdateTextDataCommand::GetTextColor(QColor& color, UpdateParams selector) const
{
    return Fetch(&Params::color, color, selector);
}

bool LayerUpdateTextDataCommand::GetTextStyle(int& style, UpdateParams selector) const
{
    return Fetch(&Params::style, style, selector);
}

bool LayerUpdateTextDataCommand::GetTextOrientation(bool& vertical, UpdateParams selector) const
{
    return Fetch(&Params::orientation, vertical, selector);
}

bool LayerUpdateTextDataCommand::GetTextBend(double& bend, UpdateParams selector) const
{
    return Fetch(&Params::bend, bend, selector);
}

bool LayerUpdateTextDataCommand::GetTextHDistortion(double& distortion, UpdateParams selector) const
{
    return Fetch(&Params::hDistortion, distortion, selector);
}

bool LayerUpdateTextDataCommand::GetTextVDistortion(double& distortion, UpdateParams selector) const
{
    return Fetch(&Params::vDistortion, distortion, selector);
}

bool LayerUpdateTextDataCommand::GetPosition(QPoint& position, UpdateParams selector) const
{
    return Fetch(&Params::imagePosition, position, selector);
}

bool LayerUpdateTextDataCommand::GetTextPosition(QPoint& position, UpdateParams selector) const
{
    return Fetch(&Params::textPosition, position, selector);
}

bool LayerUpdateTextDataCommand::GetTextTransform(QMatrix4x4& transform, UpdateParams selector) const
{
    return Fetch(&Params::transform, transform, selector);
}

bool LayerUpdateTextDataCommand::GetRenderMode(int& mode, UpdateParams selector) const
{
    return Fetch(&Params::renderMode, mode, selector);
}

void LayerUpdateTextDataCommand::UndoExecute(VornCommandData*)
{
    SetParams(m_undo);
}

void LayerUpdateTextDataCommand::RedoExecute(VornCommandData*)
{
    SetParams(m_redo);
}

void LayerUpdateTextDataCommand::SetParams(const Params& params)
{
    if (!m_document)
        return;
    const unsigned int id = m_layerId;
    const auto marked = [this](int flag) { return (m_flags & flag) != 0; };
    if (marked(FontFlag))
        m_document->SetTextFont(id, params.font.value);
    if (marked(ColorFlag))
        m_document->SetTextBrush(id, QBrush(params.color.value, Qt::SolidPattern));
    if (marked(StyleFlag))
        m_document->SetTextStyle(id, params.style.value);
    if (marked(OrientationFlag))
        m_document->SetTextOrientation(id, params.orientation.value);
    if (marked(BendFlag))
        m_document->SetTextBend(id, params.bend.value);
    if (marked(HDistortionFlag))
        m_document->SetTextHDistortion(id, params.hDistortion.value);
    if (marked(VDistortionFlag))
        m_document->SetTextVDistortion(id, params.vDistortion.value);
    if (marked(ImagePositionFlag))
        m_document->SetLayerPosition(id, params.imagePosition.value);
    if (marked(TextPositionFlag))
        m_document->SetTextPosition(id, params.textPosition.value);
    if (marked(LayerNameFlag))
        m_document->SetLayerName(id, params.layerName.value);
    if (marked(TransformFlag))
        m_document->SetTextTransform(id, params.transform.value);
    if (marked(RenderModeFlag))
        m_document->SetTextRenderMode(id, params.renderMode.value);
    if (marked(TextFlag))
        m_document->SetText(id, params.text.value);
    RenderTextLayer(m_document, id);
}

KXImage32 LayerUpdateTextDataCommand::CreateTextImage(const QString& text, const QFont& font, const QColor& color,
    int style, bool orientation, double bend, double hDistortion, double vDistortion)
{
    KXTextHelper helper(2.0);
    helper.SetText(text);
    helper.SetFont(font);
    helper.SetColor(color);
    helper.SetStyle(style);
    helper.SetOrientation(orientation);
    helper.SetBend(bend);
    helper.SetHDistortion(hDistortion);
    helper.SetVDistortion(vDistortion);
    QPoint offset(0, 0);
    return helper.CreateImageByTextWithSelectionAndDeformation(offset, 0, -1);
}
