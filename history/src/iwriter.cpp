#include "iwriter.h"

IWriter::~IWriter() = default;
