#include "colorsamplescommanddataadd.h"

ColorSamplesCommandDataAdd* ColorSamplesCommanddataAdd_cast(VornCommandData* data)
{
    return VornDataCast<ColorSamplesCommandDataAdd>(data);
}
