#include "pellux/core/WindowPicture.h"

#include <GL/glew.h>
#include <IL/il.h>

#include <algorithm>
#include <vector>

namespace Pellux
{

bool saveWindowPicture(int width, int height, const std::string& path)
{
    std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    std::vector<unsigned char> bottomUp(rowBytes * static_cast<std::size_t>(height));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // OpenGL's rows go up, the image's rows go down; and the window's alpha is no transparency.
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int row = 0; row < height; ++row)
        std::copy_n(&bottomUp[rowBytes * static_cast<std::size_t>(height - 1 - row)], rowBytes,
                    &topDown[rowBytes * static_cast<std::size_t>(row)]);
    for (std::size_t alpha = 3; alpha < topDown.size(); alpha += 4)
        topDown[alpha] = 255;

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool saved = ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE,
                            topDown.data()) != 0;
    ilEnable(IL_FILE_OVERWRITE);
    saved = saved && ilSaveImage(path.c_str()) != 0;
    ilDeleteImages(1, &image);
    return saved;
}

}
