#include "bicubicresize.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "KXDocumentInterface.h"

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// The source index a target coordinate falls on, toward zero, and its
// distance from that pixel's centre.
inline int SourceIndex(double position, double& t)
{
    const int index = int(position - 0.5 + kEpsilon);
    t = (position - index) - 0.5;
    return index;
}

// The output side trunc(length * scale + 0.5), or 0 when it is not a usable size.
int ScaledLength(unsigned int length, double scale)
{
    const double scaled = double(length) * scale + 0.5;
    if (!(scaled >= 1.0) || scaled > KXDocumentInterface::MAX_DOC_DIMENSION + 1.0)
        return 0;
    return int(scaled);
}

} // namespace

int CubicInterpolate(int p0, int p1, int p2, int p3, double t)
{
    const double a = double(p1 - p0 - p2 + p3);
    const double b = double(p0 - p1) - a;
    const double c = double(p2 - p0);
    const double t2 = t * t;
    const double value = ((c * t) + ((b * t2) + ((a * t) * t2 + 0.5))) + p1 + kEpsilon;
    if (!(value < 256.0))
        return value != value ? 0 : 255;
    if (!(value > 0.0))
        return 0;
    return int(value);
}

KXRGBA32i CubicInterpolate(KXRGBA32i* pixels, double t)
{
    const auto channel = [&](quint8 KXRGBA32i::*member) {
        return quint8(CubicInterpolate(pixels[0].*member, pixels[1].*member, pixels[2].*member, pixels[3].*member, t));
    };
    return KXRGBA32i(channel(&KXRGBA32i::r), channel(&KXRGBA32i::g), channel(&KXRGBA32i::b), channel(&KXRGBA32i::a));
}

KXImage32 BicubicResize(const KXImage32& source, double scaleX, double scaleY)
{
    const unsigned int width = source.GetWidth();
    const unsigned int height = source.GetHeight();
    const int outWidth = ScaledLength(width, scaleX);
    const int outHeight = ScaledLength(height, scaleY);
    if (!outWidth || !outHeight || source.IsEmpty()
        || quint64((outWidth + 127) / 128) * quint64((outHeight + 127) / 128) > KXImage32::MaxTiles)
        return KXImage32();
    KXImage32 result{unsigned(outWidth), unsigned(outHeight)};

    // Rows iy - 1 .. iy + 2 of the source (clamped), rotated as iy moves down.
    std::vector<KXRGBA32i> rows[4];
    for (auto& row : rows)
        row.resize(width);
    const auto readRow = [&](int y, std::vector<KXRGBA32i>& into) {
        const unsigned int clamped = unsigned(std::clamp(y, 0, int(height) - 1));
        source.ReadLine(clamped, 0, reinterpret_cast<unsigned char*>(into.data()), width * 4);
    };
    // Per output column: its first source column and its t, computed once.
    std::vector<int> columnIndex(static_cast<size_t>(outWidth));
    std::vector<double> columnT(static_cast<size_t>(outWidth));
    for (int x = 0; x < outWidth; ++x)
        columnIndex[size_t(x)] = SourceIndex(x / scaleX, columnT[size_t(x)]);

    std::vector<KXRGBA32i> line(static_cast<size_t>(outWidth));
    int previous = -4;
    for (int y = 0; y < outHeight; ++y) {
        double ty = 0;
        const int iy = SourceIndex(y / scaleY, ty);
        const int moved = iy - previous;
        if (moved >= 1 && moved <= 3) {
            std::rotate(std::begin(rows), std::begin(rows) + moved, std::end(rows));
            for (int k = 4 - moved; k < 4; ++k)
                readRow(iy - 1 + k, rows[k]);
        } else if (moved != 0) {
            for (int k = 0; k < 4; ++k)
                readRow(iy - 1 + k, rows[k]);
        }
        previous = iy;
        KXRGBA32i block[4][4];
        int gathered = -1;
        for (int x = 0; x < outWidth; ++x) {
            const int ix = columnIndex[size_t(x)];
            if (ix != gathered) {
                for (int k = 0; k < 4; ++k) {
                    const unsigned int column = unsigned(std::clamp(ix - 1 + k, 0, int(width) - 1));
                    for (int j = 0; j < 4; ++j)
                        block[j][k] = rows[j][column];
                }
                gathered = ix;
            }
            KXRGBA32i vertical[4];
            for (int j = 0; j < 4; ++j)
                vertical[j] = CubicInterpolate(block[j], columnT[size_t(x)]);
            line[size_t(x)] = CubicInterpolate(vertical, ty);
        }
        if (!result.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()),
                              unsigned(outWidth) * 4))
            break;
    }
    return result;
}
