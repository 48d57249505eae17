#pragma once

#include <QSize>
#include <QString>

#include <memory>

class KXMemoryDocument;

// The document vornedit opens: the picture at imagePath as its background, or
// (with no path) an evening sky, then a sun, an empty paint layer and a title.
// Null when the picture cannot be read.
std::unique_ptr<KXMemoryDocument> BuildSampleDocument(const QString& imagePath, const QSize& skySize);
