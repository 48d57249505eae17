#include "vorncommanddata.h"

VornCommandData::~VornCommandData() = default;
