#include "pellux/core/RenderEngine.h"

#include "pellux/core/KeyCodes.h"
#include "pellux/foundation/Logger.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

namespace Pellux
{

std::shared_ptr<Rectangle> RenderEngine::screenRectangle = std::make_shared<Rectangle>(0.0f, 0.0f, 800.0f, 600.0f);

namespace
{
void reportGlfwError(int, const char* description)
{
    LOG(Logger::getInstance().err) << "GLFW: " << description << std::endl;
}

void onFramebufferResize(GLFWwindow*, int width, int height)
{
    RenderEngine::onWindowResize(width, height);
}
}

bool RenderEngine::init(int width, int height, bool fullScreen)
{
    Logger& log = Logger::getInstance();
    glfwSetErrorCallback(reportGlfwError);
    if (!glfwInit())
    {
        LOG(log.err) << "Could not init GLFW!" << std::endl;
        return false;
    }
    LOG(log.info) << "GLFW initialized" << std::endl;

    if (!openWindow(width, height, fullScreen) || !loadEntryPoints())
        return false;

    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    glfwSetFramebufferSizeCallback(window, onFramebufferResize);
    onWindowResize(framebufferWidth, framebufferHeight);

    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glfwSwapInterval(0);
    // A key tapped between two polls still counts as pressed at the next poll.
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    return true;
}

bool RenderEngine::openWindow(int width, int height, bool fullScreen)
{
    Logger& log = Logger::getInstance();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* desktop = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (fullScreen && desktop == nullptr)
    {
        LOG(log.err) << "Could not open a full-screen window: no monitor found" << std::endl;
        return false;
    }
    if (fullScreen || width <= 0 || height <= 0)
    {
        if (desktop != nullptr)
        {
            width = desktop->width;
            height = desktop->height;
        }
    }
    window = glfwCreateWindow(width, height, "Pellux", fullScreen ? monitor : nullptr, nullptr);
    if (window == nullptr)
    {
        LOG(log.err) << "Could not open a window with an OpenGL 3.2 core context" << std::endl;
        return false;
    }
    glfwMakeContextCurrent(window);
    LOG(log.info) << "OpenGL 3.2 core context created" << std::endl;
    return true;
}

bool RenderEngine::loadEntryPoints()
{
    Logger& log = Logger::getInstance();
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
    {
        LOG(log.info) << "Could not init GLEW!" << std::endl;
        return false;
    }
    // GLEW asks for the extension string, which a core context answers with an error flag.
    while (glGetError() != GL_NO_ERROR)
    {
    }
    LOG(log.info) << "GLEW initialized" << std::endl;
    return true;
}

void RenderEngine::endFrame()
{
    if (window != nullptr)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glfwSwapBuffers(window);
        glfwPollEvents();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    timer.endFrame(glfwGetTime());
}

bool RenderEngine::isWindowOpen() const
{
    return window != nullptr && !glfwWindowShouldClose(window);
}

bool RenderEngine::isKeyPressed(int key) const
{
    int glfwKey = toGlfw3Key(key);
    return window != nullptr && glfwKey != GLFW_KEY_UNKNOWN && glfwGetKey(window, glfwKey) == GLFW_PRESS;
}

Rectangle RenderEngine::getViewport() const
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    return Rectangle(static_cast<float>(viewport[0]), static_cast<float>(viewport[1]),
                     static_cast<float>(viewport[2]), static_cast<float>(viewport[3]));
}

void RenderEngine::onWindowResize(int width, int height)
{
    glViewport(0, 0, width, height);
    screenRectangle->width = static_cast<float>(width);
    screenRectangle->height = static_cast<float>(height);
}

}
