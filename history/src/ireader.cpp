#include "ireader.h"

IReader::~IReader() = default;
