#include "tempfolder.h"

#include <stdexcept>
#include <stdlib.h>

TempFolder::TempFolder()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quellan-server-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
