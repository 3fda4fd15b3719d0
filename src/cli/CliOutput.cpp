#include "CliOutput.h"

void WriteUtf8(std::FILE *stream, const QString &text, bool newline)
{
    QByteArray bytes = text.toUtf8();
    if (newline)
        bytes += '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}
