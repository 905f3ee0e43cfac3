#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Scene files may name a device or a huge file; texture files larger than this
// are treated as missing.
constexpr std::size_t kMaxTextureFileBytes = 64u * 1024u * 1024u;

// The file that a texture name stored in a scene file stands for. The exact
// name wins; when it does not exist, the name is tried with backslashes as
// slashes, then with every path component matched case-insensitively in its
// directory, as files written on other systems store names like MAPS\WOOD.JPG.
// Returns an empty string when nothing matches.
std::string resolveTexturePath(const std::string& name);

// Reads a regular file of at most kMaxTextureFileBytes whole. False for
// anything else: missing, unreadable, not a regular file, too large.
bool readTextureFile(const std::string& path, std::vector<unsigned char>& data);
