// The shell's small icon for a path, by its name and kind alone.
#pragma once

// The index in the system's small image list; the path is not opened.
int ShellIconIndex(const char* utf8Path, bool isFolder);
