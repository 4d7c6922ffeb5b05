// The editor a plug-in instance gets in a host: the system's window class.
#pragma once

class EditorDelegate;
class Editor;

// A new editor for `plugin` of the panel's size; the caller owns it.
Editor* CreateEditorWindow(EditorDelegate* delegate, int width, int height);

// Makes the editor a panel is laid out on: CreateEditorWindow in a host, a
// headless editor in tests and tools.
using EditorFactory = Editor* (*)(EditorDelegate* delegate, int width, int height);
