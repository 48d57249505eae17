#pragma once

#include <QString>

#include <functional>

class KXMemoryDocument;
class VornCommand;
class VornUndoStack;

// The demo's whole-document edits: a filter baked into a layer's pixels and
// one into its mask (change-raster), a move-tool drag of a layer with its
// mask, the title and the selection, and a crop of the picture. Each edit is
// made as an editor makes it and handed to push with its history text and
// icon; the crop goes through ChangeCommandHelper onto the stack.
using PushStep = std::function<void(VornCommand* command, const QString& text, const QString& icon)>;
void RecordCropSteps(KXMemoryDocument& document, const PushStep& push, VornUndoStack& stack);
