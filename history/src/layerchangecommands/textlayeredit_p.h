#pragma once

#include "textlayerchangecommanddata.h"

class KXDocumentInterface;

// Renders a text layer's pixels again from its text attributes, in its render
// mode and with no transform beyond its own: what the text commands do after
// changing attributes. Does nothing for a null document or a layer that is
// not text.
void RenderTextLayer(KXDocumentInterface* document, unsigned int id);

// A text layer's attributes as the document has them now.
TextLayerAttributes ReadTextAttributes(const KXDocumentInterface* document, unsigned int id);

// Sets every attribute of the text layer (without rendering it).
void WriteTextAttributes(KXDocumentInterface* document, unsigned int id, const TextLayerAttributes& attributes);
