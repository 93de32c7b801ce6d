#include "pellux/core/WindowPicture.h"

#include <GL/glew.h>
#include <IL/il.h>

#include <vector>

namespace Pellux
{

bool saveWindowPicture(int width, int height, const std::string& path)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // The window's alpha is no transparency.
    for (std::size_t alpha = 3; alpha < pixels.size(); alpha += 4)
        pixels[alpha] = 255;

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool saved = ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE,
                            pixels.data()) != 0;
    // OpenGL's rows go up; DevIL turns them over for the file.
    ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    saved = saved && ilSaveImage(path.c_str()) != 0;
    ilDeleteImages(1, &image);
    return saved;
}

}
