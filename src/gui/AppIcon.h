#pragma once

#include <QIcon>

// The application icon, drawn at start-up: a mountain under a rising sun in the colours of
// the grid's highlight, at the usual icon sizes. GUI thread (needs QGuiApplication).
QIcon MakeAppIcon();
