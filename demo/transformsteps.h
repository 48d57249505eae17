#pragma once

#include <QString>

#include <functional>

class KXMemoryDocument;
class VornCommand;

// Pushes a command with its history text and icon name.
using PushCommand = std::function<void(VornCommand* command, const QString& text, const QString& icon)>;

// The geometry edits of one round: a raster layer rotated about its centre,
// the selection rotated and scaled and, in the first round, the whole
// document resized to three quarters (every layer resampled bicubically).
void RecordTransformSteps(KXMemoryDocument& document, const PushCommand& push, int round);
