// The one Korean-capable font chain of the user interface: NanumGothic
// (fonts-nanum) first, then other Hangul families, then the generic sans
// serif. Every control and the markup engine's adapter measure and draw
// in fonts of this chain, whatever face a caller names.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The families in order of preference.
const QStringList& KoreanFontFamilies();

// The first family of the chain that is installed and has Hangul glyphs;
// empty when none has (Hangul would show as boxes: install fonts-nanum).
QString InstalledKoreanFamily();

// A font of the chain with an em height of nPixelSize pixels.
QFont KoreanFont(int nPixelSize, bool bBold = false);

// A font of the chain for a Windows logical-font height: a negative height
// is the character height (the em, |h| pixels), a positive one the cell
// height (ascent + descent), as the dialogs' font heights are meant.
QFont KoreanFontForLogicalHeight(int nHeight, bool bBold = false);
