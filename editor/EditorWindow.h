// The editor a plug-in instance gets in a host: the system's window class.
#pragma once

class IEffectBase;
class IGraphics;

// A new editor for `plugin` of the panel's size; the plug-in takes it.
IGraphics* CreateEditorWindow(IEffectBase* plugin, int width, int height);
