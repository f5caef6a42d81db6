// Display names of listed entries: ASCII letters lower-cased, the first letter and each
// letter after a space upper-cased. Only ASCII bytes change; the trail byte of a
// double-byte character is never touched, so a display name always names its file.
#pragma once

// isLeadByte tells whether a byte starts a double-byte character of the system's code page.
void CapitalizeWords(char* name, bool (*isLeadByte)(unsigned char));
// The same with the system's ANSI code page.
void CapitalizeWords(char* name);
