#include "pellux/foundation/FileChecks.h"

#include <filesystem>

namespace Pellux
{

std::string unreadableFileReason(const std::string& path, std::uintmax_t largestBytes)
{
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return "cannot be opened";
    if (!std::filesystem::is_regular_file(status))
        return "is not a regular file";
    std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return "cannot be read";
    if (size > largestBytes)
        return "is larger than " + std::to_string(largestBytes) + " bytes";
    return "";
}

}
