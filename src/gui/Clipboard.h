#pragma once

// The clipboard's text. It needs Qt Gui, so it lives in the window library; the core never
// calls it.

#include <QString>

// The text on the system clipboard, up to its first NUL character; empty when the clipboard
// holds no text (a picture, files without text, nothing) or when no QGuiApplication exists.
// Call it on the GUI thread only.
QString GetClipboardText();
