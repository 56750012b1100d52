#include "TextPosition.h"

#include <QString>

#include <algorithm>

TextPosition TextPosition::at(const QByteArray& utf8, qsizetype offset)
{
    const QByteArray before = utf8.left(std::clamp<qsizetype>(offset, 0, utf8.size()));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return TextPosition{int(before.count('\n')) + 1,
                        int(QString::fromUtf8(before.mid(lineStart)).size()) + 1};
}
