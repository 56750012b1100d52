#pragma once

// Control and format characters (line breaks, tabs, escapes, direction marks,
// joiners, tags) have no glyph of their own: they are kept out of the texts a
// script quotes and out of what typing adds to the search.
//
// Judged by code point: a format character beyond the first plane (the tags of
// a subdivision flag) arrives as two UTF-16 units of no category of note.
bool isControlOrFormatCharacter(char32_t codePoint);
