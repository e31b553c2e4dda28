#include "support/test_files.h"

#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>

std::string makeTempFolder(const char* name)
{
    static int counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char folder[MAX_PATH];
    wsprintfA(folder, "%ssetup-test-%lu\\%s-%d", temp, GetCurrentProcessId(), name, ++counter);
    std::string path(folder);
    removeTree(path);
    for (size_t i = 3; i <= path.size(); i++)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    return path;
}

bool writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    return out.good();
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void removeTree(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    std::string from = path;
    from.push_back('\0');  // the list of names ends with an empty one
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder[folder.size() - 1] == '\\')
        return folder + name;
    return folder + "\\" + name;
}
