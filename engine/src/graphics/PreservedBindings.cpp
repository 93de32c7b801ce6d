#include "graphics/PreservedBindings.h"

#include <GL/glew.h>

namespace Pellux
{

PreservedBindings::PreservedBindings()
{
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
}

PreservedBindings::~PreservedBindings()
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
}

}
