// Symbolic links for the Wine tests. Wine makes no Windows links (CreateSymbolicLinkW does
// nothing there), but shows a Unix one as the plain file it leads to: that is the case
// the program must not be fooled by, so the tests make Unix links where Windows ones fail.
#pragma once

#include <string>

namespace qz::wintest {

// A link folder\name to target (relative to folder, '/' separated). Fails the test
// when the name does not then lead to another file.
void MakeLink(const std::string& folder, const std::string& name, const std::string& target);
// Whether the file opened through path is another one than path names: its final path
// ends in another name.
bool LeadsElsewhere(const std::string& path);
// Removes folder with everything in it, links without what they lead to.
void RemoveTreeWithLinks(const std::string& folder);

}  // namespace qz::wintest
