#pragma once

#include <QByteArray>

// Where a byte offset into UTF-8 text lies, for error messages about files.
struct TextPosition {
    int line = 1;   // from 1
    int column = 1; // from 1, in characters

    static TextPosition at(const QByteArray& utf8, qsizetype offset);
};
