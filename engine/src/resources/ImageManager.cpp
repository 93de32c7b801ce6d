#include "pellux/resources/ImageManager.h"

#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"
#include "pellux/resources/Image.h"
#include "resources/PictureHeader.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <IL/il.h>

#include <filesystem>
#include <optional>

namespace Pellux
{

namespace
{
// Why the file cannot hold an image, without opening it; empty when it may.
std::string unfitForAnImage(const std::string& path)
{
    std::string unreadable = unreadableFileReason(path, ImageManager::largestImageFileBytes);
    if (!unreadable.empty())
        return unreadable;
    std::error_code error;
    if (std::filesystem::file_size(path, error) == 0)
        return "is empty";
    return "";
}

// The formats whose headers are read before DevIL decodes them. DevIL's other decoders allocate
// what any header claims and some write past what they got.
bool headerIsChecked(ILenum type)
{
    switch (type)
    {
    case IL_PNG:
    case IL_JPG:
    case IL_TGA:
    case IL_BMP:
    case IL_GIF:
    case IL_PSD:
    case IL_HDR:
    case IL_PNM:
    case IL_DDS:
    case IL_TIF: return true;
    default: return false;
    }
}

const std::string notAPicture = "is no picture";

// The longest side of a texture the current OpenGL context takes, else the default.
int largestSide()
{
    GLint side = 0;
    if (glfwGetCurrentContext() != nullptr)
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? side : ImageManager::defaultLargestSide;
}

// The decoder DevIL takes for the file: by its extension, else by its content.
ILenum devilTypeOf(const std::string& path)
{
    ILenum type = ilTypeFromExt(path.c_str());
    return type != IL_TYPE_UNKNOWN ? type : ilDetermineType(path.c_str());
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

// Decoders allocate what the header claims before they find the data missing, so the header is
// read first. A header that cannot be read is a file that cannot be decoded, reported as such.
std::string ImageManager::claimsTooMuch(const std::string& path) const
{
    if (!headerIsChecked(devilTypeOf(path)))
        return "is in a picture format that is not read";
    std::optional<PictureSize> size = claimedPictureSize(path);
    if (!size)
        return notAPicture;
    return refusal(*size);
}

std::string ImageManager::refusal(const PictureSize& size) const
{
    if (fitsATexture(size))
        return "";
    std::string claim = "claims " + std::to_string(size.width) + " x " + std::to_string(size.height) + " pixels";
    if (size.layers > 1)
        claim += " in " + std::to_string(size.layers) + " layers";
    return claim + "; at most " + std::to_string(largestSide()) + " on a side and " +
           std::to_string(largestDecodedBytes) + " bytes decoded are read";
}

bool ImageManager::fitsATexture(const PictureSize& size) const
{
    std::uintmax_t side = static_cast<std::uintmax_t>(largestSide());
    if (size.width > side || size.height > side)
        return false;
    std::uintmax_t layerBytes = size.width * size.height * 4;
    return layerBytes == 0 || size.layers <= largestDecodedBytes / layerBytes;
}

Image* ImageManager::decode(const std::string& name, const File& file)
{
    std::string fullPath = file.getFullPath();
    std::string unfit = unfitForAnImage(fullPath);
    if (unfit.empty())
        unfit = claimsTooMuch(fullPath);
    if (!unfit.empty())
    {
        LOG(logger->err) << "loading image failed: " << fullPath << (unfit == notAPicture ? "" : " " + unfit) << std::endl;
        return nullptr;
    }
    ILuint handle = 0;
    ilGenImages(1, &handle);
    ilBindImage(handle);
    Image* image = ilLoadImage(fullPath.c_str()) ? takeDecoded(name) : nullptr;
    ilDeleteImages(1, &handle);
    if (image == nullptr)
        LOG(logger->err) << "loading image failed: " << fullPath << std::endl;
    return image;
}

// Converted where DevIL holds it, which costs nothing for a picture that is 8-bit RGBA already, then
// taken over in one copy of its first slice.
Image* ImageManager::takeDecoded(const std::string& name) const
{
    int width = ilGetInteger(IL_IMAGE_WIDTH);
    int height = ilGetInteger(IL_IMAGE_HEIGHT);
    if (width <= 0 || height <= 0 || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) || ilGetInteger(IL_IMAGE_BPP) != 4 ||
        ilGetData() == nullptr)
        return nullptr;
    const unsigned char* texels = ilGetData();
    std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    return new Image(name, width, height, std::vector<unsigned char>(texels, texels + bytes));
}

Image* ImageManager::getFromBytes(const std::string& name, const std::vector<unsigned char>& bytes)
{
    auto cached = resources.find(name);
    if (cached != resources.end() && cached->second != nullptr)
        return static_cast<Image*>(cached->second);
    std::optional<PictureSize> size = claimedPictureSize(bytes);
    std::string unfit = size ? refusal(*size) : notAPicture;
    if (!unfit.empty())
    {
        LOG(logger->err) << "loading image failed: " << name << (unfit == notAPicture ? "" : " " + unfit) << std::endl;
        return nullptr;
    }
    ILuint handle = 0;
    ilGenImages(1, &handle);
    ilBindImage(handle);
    ILenum type = bytes[0] == 0x89 ? IL_PNG : IL_JPG;
    Image* image = ilLoadL(type, bytes.data(), static_cast<ILuint>(bytes.size())) ? takeDecoded(name) : nullptr;
    ilDeleteImages(1, &handle);
    if (image == nullptr)
    {
        LOG(logger->err) << "loading image failed: " << name << std::endl;
        return nullptr;
    }
    store(image);
    return image;
}

void ImageManager::add(Image* image)
{
    store(image);
}

}
