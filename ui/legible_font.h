// The program's fixed texts are Chinese. On a system whose dialog and menu fonts lack
// Chinese glyphs (an English or Japanese Windows, where the templates' face is missing
// and another stands in) they would be drawn as empty boxes: such a font gives way to an
// installed face of the GB2312 character set, at the same size.
#pragma once

#include <windows.h>

// Whether the font has glyphs for Chinese text.
bool ShowsChinese(HFONT font);
// font when it shows Chinese, else the same description with a GB2312 face, when the
// system has one (else font unchanged).
LOGFONTW LegibleFont(const LOGFONTW& font);
// Gives the dialog and its controls a font that shows Chinese, when theirs does not.
// The font lives as long as the process: every dialog of a size shares it.
void MakeDialogLegible(HWND dialog);
// The font MakeDialogLegible gave the dialog, or null. The system's dialog keeps
// answering WM_GETFONT with its template's font, so the dialog answers with this one.
HFONT LegibleFontOf(HWND dialog);
// At the dialog's end.
void ForgetLegibleFont(HWND dialog);
// The same for a system message box, laid out again for the new font: the system sized
// it for the old one.
void MakeMessageBoxLegible(HWND box);
