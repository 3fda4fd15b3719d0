#pragma once

// Helpers shared by the text tests.

#include "QtPrint.h"

#include <QString>

#include <string_view>

// A QString from UTF-16 units, NUL and lone surrogates allowed.
inline QString Units(std::u16string_view units)
{
    return QString(reinterpret_cast<const QChar *>(units.data()),
                   static_cast<qsizetype>(units.size()));
}
