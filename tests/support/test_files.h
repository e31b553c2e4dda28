// Real files and folders for tests, in a fresh folder under the Wine
// prefix's temporary folder.
#pragma once

#include <string>

// A new empty folder, unique for this process and call ("C:\...\name-N").
std::string makeTempFolder(const char* name);

// Writes bytes exactly as given (no line-end conversion).
bool writeFileBytes(const std::string& path, const std::string& bytes);
std::string readFileBytes(const std::string& path);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// Deletes a folder with everything in it.
void removeTree(const std::string& path);

std::string joinPath(const std::string& folder, const std::string& name);
