#pragma once

#include <QColor>
#include <QFont>
#include <QMatrix4x4>
#include <QPoint>
#include <QString>

#include "KXImage.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;

// Changes chosen text attributes of one text layer (and its name or image
// position) and renders the layer again. The command keeps two parameter sets
// itself, the undo set and the redo set; its command data (a
// LayerDuplicateCommandData holding the layer id) is not consulted, and the
// document state counter is never moved.
//
// A host fills it through the setters, each given a selector:
//     LayerUpdateTextDataCommand* command = new LayerUpdateTextDataCommand(document, id);
//     command->SetTextColor(Qt::red, LayerUpdateTextDataCommand::Change);
//     command->ReplaceTextFontSizeFromLayer(48, LayerUpdateTextDataCommand::Change);
//     stack.push(command); // applies the colour and the font, renders
// Change marks the attribute's bit in the change flags, captures the layer's
// current value into the undo set the first time, and stores the value in the
// redo set; RedoOnly and UndoOnly store into one set only; any other selector
// does nothing. Every setter returns true when both sets hold a value for the
// attribute and the two are equal (an empty change). Execution applies, from
// the chosen set, only the attributes whose bits are marked.
// Owned by the undo stack once pushed; holds its document without owning it; the data
// its constructor made belongs to the stack's serializer after the push. Use it on the
// GUI thread, which owns the stack and the document.
class VORNHISTORY_EXPORT LayerUpdateTextDataCommand : public VornCommand
{
public:
    enum UpdateParams : int
    {
        Change = 0,
        RedoOnly = 1,
        UndoOnly = 2
    };

    // Bits of the change flags.
    enum ChangeFlag : int
    {
        TextFlag = 0x1,
        FontFlag = 0x2,
        ColorFlag = 0x4,
        StyleFlag = 0x8,
        OrientationFlag = 0x10,
        BendFlag = 0x20,
        HDistortionFlag = 0x40,
        VDistortionFlag = 0x80,
        ImagePositionFlag = 0x100,
        TextPositionFlag = 0x200,
        LayerNameFlag = 0x400,
        TransformFlag = 0x800,
        RenderModeFlag = 0x1000
    };

    // One attribute's value and whether the set holds one.
    template <class T> struct Param
    {
        T value {};
        bool set = false;
    };

    struct Params
    {
        Param<QString> layerName;
        Param<QString> text;
        Param<QFont> font;
        Param<QColor> color;
        Param<int> style;
        Param<bool> orientation;
        Param<double> bend;
        Param<double> hDistortion;
        Param<double> vDistortion;
        Param<QPoint> imagePosition;
        Param<QPoint> textPosition;
        Param<QMatrix4x4> transform;
        Param<int> renderMode;
    };

    // Compares the undo and the redo set attribute by attribute: true when
    // both hold a value and the values are equal in the check's sense.
    // Refers to the two sets without copying them, so it must not outlive them;
    // used on the command's thread.
    class VORNHISTORY_EXPORT ParamsChecker
    {
    public:
        ParamsChecker(const Params& undo, const Params& redo);

        bool CheckName() const;
        bool CheckText() const;
        bool CheckFont() const;
        // Fonts by family name only, by weight (equal weight, boldness and
        // italic-ness) only, by pixel size only.
        bool CheckFontFamily() const;
        bool CheckFontWeight() const;
        bool CheckFontSize() const;
        bool CheckColor() const;
        bool CheckStyle() const;
        bool CheckOrientation() const;
        bool CheckBend() const;
        bool CheckHDistortion() const;
        bool CheckVDistortion() const;
        bool CheckImagePos() const;
        bool CheckTextPos() const;
        bool CheckMatrix() const;
        bool CheckRenderMode() const;

    private:
        const Params& m_undo;
        const Params& m_redo;
    };

    // The document is not owned and may be null (execution then does nothing).
    // Both sets start with the layer's current values, none of them marked as held.
    LayerUpdateTextDataCommand(KXDocumentInterface* document, unsigned int layerId);
    ~LayerUpdateTextDataCommand() override;

    bool SetLayerName(const QString& name, UpdateParams selector);
    bool SetText(const QString& text, UpdateParams selector);
    bool SetTextFont(const QFont& font, UpdateParams selector);
    bool SetTextColor(const QColor& color, UpdateParams selector);
    bool SetTextStyle(int style, UpdateParams selector);
    bool SetTextOrientation(bool vertical, UpdateParams selector);
    bool SetTextBend(double bend, UpdateParams selector);
    bool SetTextHDistortion(double distortion, UpdateParams selector);
    bool SetTextVDistortion(double distortion, UpdateParams selector);
    // The layer's image position.
    bool SetPosition(const QPoint& position, UpdateParams selector);
    bool SetTextPosition(const QPoint& position, UpdateParams selector);
    bool SetTextTransform(const QMatrix4x4& transform, UpdateParams selector);
    bool SetRenderMode(int mode, UpdateParams selector);
    // Font changes that start from the layer's current font: its family; its
    // weight (75 for a weight above 57, else 50) and italic (when the given
    // font's style is not normal); its pixel size (sizes below 1 are refused:
    // false, nothing stored).
    bool ReplaceTextFontFamilyFromLayer(const QString& family, UpdateParams selector);
    bool ReplaceTextFontWeightFromLayer(const QFont& font, UpdateParams selector);
    bool ReplaceTextFontSizeFromLayer(int pixelSize, UpdateParams selector);

    // Copy from the undo set (UndoOnly) or the redo set (any other selector);
    // true when that set holds a value for the attribute.
    bool GetLayerName(QString& name, UpdateParams selector) const;
    bool GetText(QString& text, UpdateParams selector) const;
    bool GetTextFont(QFont& font, UpdateParams selector) const;
    bool GetTextColor(QColor& color, UpdateParams selector) const;
    bool GetTextStyle(int& style, UpdateParams selector) const;
    bool GetTextOrientation(bool& vertical, UpdateParams selector) const;
    bool GetTextBend(double& bend, UpdateParams selector) const;
    bool GetTextHDistortion(double& distortion, UpdateParams selector) const;
    bool GetTextVDistortion(double& distortion, UpdateParams selector) const;
    bool GetPosition(QPoint& position, UpdateParams selector) const;
    bool GetTextPosition(QPoint& position, UpdateParams selector) const;
    bool GetTextTransform(QMatrix4x4& transform, UpdateParams selector) const;
    bool GetRenderMode(int& mode, UpdateParams selector) const;

    void SetFlags(int flags) { m_flags = flags; }
    int GetFlags() const { return m_flags; }

    // Renders a text into an image with no document (the image is as large as
    // the text's visible pixels).
    static KXImage32 CreateTextImage(const QString& text, const QFont& font, const QColor& color, int style,
        bool orientation, double bend, double hDistortion, double vDistortion);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    void InitNewValues();
    // The layer's current values, none marked as held.
    Params ReadLayer() const;
    // What every setter does, for the attribute the member names.
    template <class T>
    bool Store(Param<T> Params::*member, const T& value, int flag, UpdateParams selector,
        bool (ParamsChecker::*check)() const);
    template <class T> bool Fetch(Param<T> Params::*member, T& out, UpdateParams selector) const;
    // Applies the marked attributes of the set, then renders the layer.
    void SetParams(const Params& params);

    KXDocumentInterface* m_document;
    unsigned int m_layerId;
    int m_flags = 0;
    Params m_undo;
    Params m_redo;
    ParamsChecker m_checker;
};
