#pragma once

#include <QString>

#include <functional>

class KXMemoryDocument;
class VornCommand;

// How the session records an edit: a plain push, or a live edit whose change()
// edits the document directly between pushDelayed and commit.
using StylePush = std::function<void(VornCommand* command, const QString& text, const QString& icon)>;
using StyleLiveEdit = std::function<void(
    VornCommand* command, const QString& text, const QString& icon, const std::function<void()>& change)>;

// The layer-style edits of one round on the "Title" layer (made the current
// one, whose style the document exposes): a drop shadow added at the top of
// the style, its parameters dragged in the style dialog as a live edit, and
// the shadow dragged to the end of the effect list. Always the same layer:
// which layer is current is not part of the history.
void RunStyleSteps(KXMemoryDocument& document, int round, const StylePush& push, const StyleLiveEdit& liveEdit);
