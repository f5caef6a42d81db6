// The window's texts for the causes of a failed file access.
#pragma once

#include <string>

#include "fs/file_error.h"

// The UTF-8 text for a cause, with "%1" standing for the path.
const char* FileErrorTemplate(qz::FileErrorCause cause);
// The text with "%1" replaced by path (UTF-8).
std::string FormatFileError(qz::FileErrorCause cause, const std::string& path);
