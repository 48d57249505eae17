#pragma once

#include <QRect>

#include "KXImage.h"
#include "vorndocument_export.h"

// Measures selection masks (stateless; any thread).
class VORNDOCUMENT_EXPORT KXSelectionMaskHelper
{
public:
    // The smallest rectangle, in the mask's own pixel coordinates, holding
    // every pixel whose alpha is not 0; a null QRect when there is none. Each
    // distinct tile is scanned once (a uniform mask costs one tile's scan
    // whatever its size), and only its part inside the image counts.
    static QRect GetSelectionBoundRect(const KXImage32& mask);
};
