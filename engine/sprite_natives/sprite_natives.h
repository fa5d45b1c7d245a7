#pragma once
class ScriptObject;

// Registers the layered sprite natives (images, renderers, text formats and queued text, rects
// and sprites) in the table. Each native works on the sprite context of the engine whose task
// calls it; records reach scripts as ids of that engine's SpriteHandles.
void registerSpriteNatives(const ScriptObject& root);
