#include "sampledocument.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "KXImage.h"
#include "KXMemoryDocument.h"

namespace {

QImage Sky(const QSize& size)
{
    QImage image(size, QImage::Format_RGBA8888);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor(30, 70, 160));
    gradient.setColorAt(0.7, QColor(150, 190, 230));
    gradient.setColorAt(1, QColor(230, 210, 170));
    painter.fillRect(image.rect(), gradient);
    return image;
}

QImage Sun(int diameter)
{
    QImage image(diameter, diameter, QImage::Format_RGBA8888);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(diameter / 2.0, diameter / 2.0, diameter / 2.0);
    gradient.setColorAt(0, QColor(255, 230, 140));
    gradient.setColorAt(1, QColor(250, 170, 50));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(image.rect());
    return image;
}

} // namespace

std::unique_ptr<KXMemoryDocument> BuildSampleDocument(const QString& imagePath, const QSize& skySize)
{
    const QImage background = imagePath.isEmpty() ? Sky(skySize) : QImage(imagePath);
    if (background.isNull())
        return nullptr;
    const QSize size = background.size();
    auto document = std::make_unique<KXMemoryDocument>(size);
    document->AddRasterLayer(QStringLiteral("Background"), KXImage32::FromQImage(background));
    const int sun = qMax(32, size.height() / 4);
    document->AddRasterLayer(QStringLiteral("Sun"), KXImage32::FromQImage(Sun(sun)),
        QPoint(size.width() * 2 / 3, size.height() / 8));
    KXImage32 paint(unsigned(size.width()), unsigned(size.height()));
    paint.Fill(KXRGBA32i(0, 0, 0, 0));
    document->AddRasterLayer(QStringLiteral("Paint"), paint);
    document->AddTextLayer(QStringLiteral("Title"), QStringLiteral("Evening"),
        QFont(QStringLiteral("DejaVu Sans"), qMax(12, size.height() / 12)), Qt::white,
        QPoint(size.width() / 20, size.height() / 20));
    return document;
}
