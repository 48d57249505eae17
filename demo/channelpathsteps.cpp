#include "channelpathsteps.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QTransform>

#include <vector>

#include "KXChannelModel.h"
#include "KXColorSampleModel.h"
#include "KXDocumentInterface.h"
#include "KXPathsListModel.h"
#include "colorsamplescommand.h"
#include "colorsamplescommanddataadd.h"
#include "colorsamplescommanddataclear.h"
#include "colorsamplescommanddatamove.h"
#include "insertchannelcommand.h"
#include "insertchannelcommanddata.h"
#include "insertpathcommanddata.h"
#include "pathcommand.h"
#include "transformpathcommanddata.h"

namespace {

void RegisterIcons()
{
    const char* const names[] = { "channel", "path", "path-edit", "sample" };
    for (int i = 0; i < 4; ++i) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(40 + i * 80, 120, 200));
        VornCommand::SetIcon(QString::fromLatin1(names[i]), icon);
    }
}

VornCommand* WithData(VornCommand* command, VornCommandData* data)
{
    command->SetCommandData(data);
    return command;
}

void SaveSelectionAsChannel(KXDocumentInterface& document, int round, const PushStep& push)
{
    auto* data = new InsertChannelCommandData;
    data->SetChannelNumber(document.GetChannelModel()->GetAlphaChannelCount());
    data->SetChannelName(QStringLiteral("Selection %1").arg(round));
    // Without a selection (an image size change drops it) the channel starts empty.
    const bool hasSelection = !document.GetSelectionMask().IsEmpty();
    data->SetActionType(hasSelection ? InsertChannelCommandData::CreateFromSelection
                                     : InsertChannelCommandData::CreateEmpty);
    push(WithData(new InsertChannelCommand(&document), data), QStringLiteral("Save selection"),
        QStringLiteral("channel"));
}

void DrawAndTransformPath(KXDocumentInterface& document, int round, const PushStep& push)
{
    // A ring: a circle with a smaller square cut out of it.
    const QSize size = document.GetCanvasSize();
    const double radius = size.height() / 8.0;
    QPainterPath circle;
    circle.addEllipse(QPointF(size.width() / 4.0 + round * radius, size.height() / 2.0), radius, radius);
    QPainterPath square;
    square.addRect(circle.boundingRect().adjusted(radius / 2, radius / 2, -radius / 2, -radius / 2));
    KXPathsListModel* paths = document.GetPathListModel();
    const int index = paths->rowCount();
    auto* insert = new InsertPathCommandData;
    insert->SetPathIndex(index);
    insert->SetPathName(QStringLiteral("Ring %1").arg(round));
    insert->SetPath(
        { { ConvertTo(circle), KXPathsListModel::Union }, { ConvertTo(square), KXPathsListModel::Subtract } });
    push(WithData(new PathCommand(&document), insert), QStringLiteral("New path"), QStringLiteral("path"));

    // Turned by 30 degrees and placed in the middle of the canvas.
    auto* transform = new TransformPathCommandData;
    transform->SetPathIndex(index);
    transform->SetSubpathIndex(-1);
    transform->SetPath(paths->GetPath(index));
    transform->SetTransform(
        QTransform().rotate(30) * QTransform::fromTranslate(size.width() / 2.0, size.height() / 3.0));
    push(
        WithData(new PathCommand(&document), transform), QStringLiteral("Transform path"), QStringLiteral("path-edit"));
}

void EditColorSamples(KXDocumentInterface& document, int round, const PushStep& push)
{
    const QSize size = document.GetCanvasSize();
    const QPoint points[]
        = { QPoint(size.width() / 4, size.height() / 4 + round), QPoint(size.width() / 2, size.height() / 2) };
    for (int i = 0; i < 2; ++i) {
        auto* add = new ColorSamplesCommandDataAdd;
        add->SetSamplePoint(points[i]);
        add->SetDisplayFormat(i == 0 ? KXColorSampleModel::RGB : KXColorSampleModel::Lab);
        push(WithData(new ColorSamplesCommand(&document), add), QStringLiteral("Add color sampler"),
            QStringLiteral("sample"));
    }
    KXColorSampleModel* samples = document.GetColorSamples();
    auto* move = new ColorSamplesCommandDataMove;
    move->SetData(samples->rowCount() - 1, QPoint(size.width() / 10, -size.height() / 10));
    push(WithData(new ColorSamplesCommand(&document), move), QStringLiteral("Move color sampler"),
        QStringLiteral("sample"));

    auto* clear = new ColorSamplesCommandDataClear;
    std::vector<QPoint> all;
    for (int row = 0; row < samples->rowCount(); ++row)
        all.push_back(samples->GetPoint(row));
    clear->SetData(all);
    push(WithData(new ColorSamplesCommand(&document), clear), QStringLiteral("Clear color samplers"),
        QStringLiteral("sample"));
}

} // namespace

void RecordChannelPathSteps(KXDocumentInterface& document, int round, const PushStep& push)
{
    if (round == 0)
        RegisterIcons();
    SaveSelectionAsChannel(document, round, push);
    DrawAndTransformPath(document, round, push);
    EditColorSamples(document, round, push);
}
