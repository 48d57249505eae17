#include "colorsamplescommand.h"

#include <QColor>

#include "KXColorSampleModel.h"
#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "checkedgeometry_p.h"
#include "colorsamplescommanddataadd.h"
#include "colorsamplescommanddataclear.h"
#include "colorsamplescommanddatamove.h"
#include "colorsamplescommanddataremove.h"

ColorSamplesCommand::ColorSamplesCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

ColorSamplesCommand::~ColorSamplesCommand() = default;

void ColorSamplesCommand::RedoExecute(VornCommandData* data)
{
    Execute(data, 1, &ColorSamplesCommand::Redo);
}

void ColorSamplesCommand::UndoExecute(VornCommandData* data)
{
    Execute(data, -1, &ColorSamplesCommand::Undo);
}

template <class Edit> void ColorSamplesCommand::Execute(VornCommandData* data, int step, Edit edit)
{
    if (!ColorSamplesCommanddataAdd_cast(data) && !ColorSamplesCommanddataRemove_cast(data)
        && !ColorSamplesCommanddataClear_cast(data) && !ColorSamplesCommanddataMove_cast(data)) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return;
    }
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Error command. No Document."));
        return;
    }
    if (KXColorSampleModel* samples = m_document->GetColorSamples())
        edit(*samples, data);
    m_document->SetDocumentState(m_document->GetDocumentState() + step);
}

// The offset comes from a record: the sample and the offset must both lie in
// the placeable range, so that their sum or difference fits an int.
bool ColorSamplesCommand::IsMovable(const KXColorSampleModel& samples, int row, const QPoint& offset)
{
    return CheckedGeometry::IsPlaceable(offset) && CheckedGeometry::IsPlaceable(samples.GetPoint(row));
}

int ColorSamplesCommand::Append(KXColorSampleModel& samples, const QPoint& point, int format)
{
    const int row = samples.rowCount(QModelIndex());
    if (samples.InsertPoint(row, point, QColor()))
        samples.SetDisplayFormat(row, KXColorSampleModel::SampleFormat(format));
    return row;
}

void ColorSamplesCommand::Redo(KXColorSampleModel& samples, VornCommandData* data)
{
    QPoint point;
    int row = 0;
    if (ColorSamplesCommandDataAdd* add = ColorSamplesCommanddataAdd_cast(data)) {
        if (add->GetSamplePoint(point))
            Append(samples, point, add->GetDisplayFormat());
    } else if (ColorSamplesCommandDataRemove* remove = ColorSamplesCommanddataRemove_cast(data)) {
        if (remove->GetSamplePoint(row, point) && row >= 0 && row < samples.rowCount(QModelIndex())) {
            remove->SetDisplayFormat(samples.GetDisplayFormat(row));
            samples.RemovePoint(row);
        }
    } else if (ColorSamplesCommandDataClear* clear = ColorSamplesCommanddataClear_cast(data)) {
        const int count = samples.rowCount(QModelIndex());
        std::vector<int> formats;
        formats.reserve(size_t(count));
        for (int i = 0; i < count; ++i)
            formats.push_back(samples.GetDisplayFormat(i));
        clear->SetDisplayFormats(formats);
        if (count > 0)
            samples.removeRows(0, count, QModelIndex());
    } else if (ColorSamplesCommandDataMove* move = ColorSamplesCommanddataMove_cast(data)) {
        if (move->GetData(row, point) && IsMovable(samples, row, point))
            samples.SetPoint(row, samples.GetPoint(row) + point);
    }
}

void ColorSamplesCommand::Undo(KXColorSampleModel& samples, VornCommandData* data)
{
    QPoint point;
    int row = 0;
    if (ColorSamplesCommandDataAdd* add = ColorSamplesCommanddataAdd_cast(data)) {
        const int last = samples.rowCount(QModelIndex()) - 1;
        if (last >= 0) {
            add->SetDisplayFormat(samples.GetDisplayFormat(last));
            samples.RemovePoint(last);
        }
    } else if (ColorSamplesCommandDataRemove* remove = ColorSamplesCommanddataRemove_cast(data)) {
        if (remove->GetSamplePoint(row, point) && samples.InsertPoint(row, point, QColor()))
            samples.SetDisplayFormat(row, KXColorSampleModel::SampleFormat(remove->GetDisplayFormat()));
    } else if (ColorSamplesCommandDataClear* clear = ColorSamplesCommanddataClear_cast(data)) {
        std::vector<QPoint> points;
        std::vector<int> formats;
        clear->GetDisplayFormats(formats);
        if (!clear->GetData(points))
            return;
        for (size_t i = 0; i < points.size(); ++i)
            Append(samples, points[i], i < formats.size() ? formats[i] : int(KXColorSampleModel::DefaultFormat));
    } else if (ColorSamplesCommandDataMove* move = ColorSamplesCommanddataMove_cast(data)) {
        if (move->GetData(row, point) && IsMovable(samples, row, point))
            samples.SetPoint(row, samples.GetPoint(row) - point);
    }
}
