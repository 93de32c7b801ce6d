#include "pellux/resources/ImageManager.h"

#include "pellux/foundation/Logger.h"
#include "pellux/resources/Image.h"

#include <IL/il.h>

#include <filesystem>

namespace Pellux
{

namespace
{
// Why the file cannot hold an image, without opening it; empty when it may.
std::string unfitForAnImage(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::status(path, error)))
        return "is not a regular file";
    std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size == 0)
        return "is empty";
    if (size > ImageManager::largestImageFileBytes)
        return "is larger than " + std::to_string(ImageManager::largestImageFileBytes) + " bytes";
    return "";
}
}

ImageManager::ImageManager()
{
    LOG(logger->info) << "Init DevIL" << std::endl;
    ilInit();
    // Formats store their rows top-down or bottom-up; deliver every one top row first, as
    // PNG and JPEG come, so that a texture looks the same whatever its file format.
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    ilEnable(IL_ORIGIN_SET);
}

Image* ImageManager::get(const std::string& name)
{
    return static_cast<Image*>(lookup(name, [&](const File& file) { return decode(name, file); }));
}

Image* ImageManager::decode(const std::string& name, const File& file)
{
    std::string fullPath = file.getFullPath();
    std::string unfit = unfitForAnImage(fullPath);
    if (!unfit.empty())
    {
        LOG(logger->err) << "loading image failed: " << fullPath << " " << unfit << std::endl;
        return nullptr;
    }
    ILuint handle = 0;
    ilGenImages(1, &handle);
    ilBindImage(handle);
    Image* image = nullptr;
    if (ilLoadImage(fullPath.c_str()))
    {
        int width = ilGetInteger(IL_IMAGE_WIDTH);
        int height = ilGetInteger(IL_IMAGE_HEIGHT);
        // Converted where DevIL holds it, which costs nothing for a file that is 8-bit RGBA already,
        // then taken over in one copy of its first slice.
        if (width > 0 && height > 0 && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) &&
            ilGetInteger(IL_IMAGE_BPP) == 4 && ilGetData() != nullptr)
        {
            const unsigned char* texels = ilGetData();
            std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
            image = new Image(name, width, height, std::vector<unsigned char>(texels, texels + bytes));
        }
    }
    ilDeleteImages(1, &handle);
    if (image == nullptr)
        LOG(logger->err) << "loading image failed: " << fullPath << std::endl;
    return image;
}

}
