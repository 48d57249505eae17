#pragma once

#include <functional>

class KXDocumentInterface;
class QString;
class VornCommand;

// Pushes a command with its history text and icon name (the session's Push).
using PushStep = std::function<void(VornCommand* command, const QString& text, const QString& icon)>;

// One round of channel, path and colour-sample edits: the selection saved as
// an alpha channel, a path drawn and then transformed, two colour samples
// added, one of them moved, and all samples cleared.
void RecordChannelPathSteps(KXDocumentInterface& document, int round, const PushStep& push);
