#include "pellux/core/RenderEngine.h"

#include "graphics/GraphicsContext.h"
#include "graphics/ShaderCompiler.h"
#include "pellux/core/KeyCodes.h"
#include "pellux/foundation/File.h"
#include "pellux/foundation/Logger.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/scene/Scene.h"
#include "renderer/Renderer.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <iostream>

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

// X addresses a window's pixels with signed 16-bit coordinates.
const int largestXWindowSide = 32767;

struct WindowSize
{
    int width;
    int height;
};

// Without a monitor to take the desktop's size from.
const WindowSize defaultDesktop = {800, 600};

void setWindowHints()
{
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    // Shown once its size is settled.
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
}

// The largest window the current context can draw into and hold the scene's picture of.
WindowSize largestWindow()
{
    GLint viewport[2] = {0, 0};
    GLint texture = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    int side = std::min({largestXWindowSide, static_cast<int>(texture), static_cast<int>(renderbuffer)});
    return {std::min(side, static_cast<int>(viewport[0])), std::min(side, static_cast<int>(viewport[1]))};
}

// The asked side when a window can have it, otherwise the desktop's; an asked side out of range is reported.
int fitSide(const std::string& sizeOrigin, const char* side, int asked, int largest, int desktop)
{
    int fallback = std::min(desktop, largest);
    if (asked <= 0)
        return fallback;
    if (asked <= largest)
        return asked;
    LOG(Logger::getInstance().err) << sizeOrigin << ": " << side << " = " << std::to_string(asked)
                                   << " is out of range (1 to " << std::to_string(largest) << " here); "
                                   << std::to_string(fallback) << " is used instead" << std::endl;
    return fallback;
}

// The limits are known only once the context exists; until then the window is no larger than the
// desktop, which X and OpenGL can always make.
void fitWindowedSize(GLFWwindow* window, WindowSize asked, WindowSize desktop, const std::string& sizeOrigin)
{
    WindowSize largest = largestWindow();
    WindowSize fitted = {fitSide(sizeOrigin, "width", asked.width, largest.width, desktop.width),
                         fitSide(sizeOrigin, "height", asked.height, largest.height, desktop.height)};
    WindowSize current = {0, 0};
    glfwGetWindowSize(window, &current.width, &current.height);
    if (fitted.width != current.width || fitted.height != current.height)
        glfwSetWindowSize(window, fitted.width, fitted.height);
}

int withinDesktop(int asked, int desktop)
{
    return asked > 0 ? std::min(asked, desktop) : desktop;
}

int scaledSide(int side, float scale)
{
    return side > 0 ? std::max(1, static_cast<int>(static_cast<float>(side) * scale)) : side;
}
}

namespace
{
// The render engine's voice: each step traced, compile results on standard output as they stand.
class EngineShaderReports : public ShaderReports
{
public:
    void starting() override { LOG(log.trace) << "init shader" << std::endl; }

    void loading(ShaderStage stage, const std::string& path) override
    {
        LOG(log.trace) << (stage == ShaderStage::Vertex ? "loadVertexShader(" : "loadFragmentShader(") << path << ")"
                       << std::endl;
    }

    void cannotOpen(ShaderStage stage, const std::string& path) override
    {
        if (stage == ShaderStage::Vertex)
            LOG(log.err) << "Error: file could not be opened: " << path << std::endl;
        else
            std::cerr << "Error: file could not be opened: " << path << std::endl;
    }

    void compiling(ShaderStage stage) override
    {
        if (stage != ShaderStage::Vertex)
            return;
        LOG(log.trace) << "load shader source" << std::endl;
        LOG(log.trace) << "glCreateShader: " << reinterpret_cast<const void*>(glCreateShader) << std::endl;
        LOG(log.trace) << "convert to const c-string and attach to shader-handle" << std::endl;
        LOG(log.trace) << "compile vertex shader" << std::endl;
    }

    void compiled(const std::string& path) override { std::cout << "finished loading shader: " << path << std::endl; }

    void compileFailed(ShaderStage stage, const std::string& infoLog, const std::string& path) override
    {
        std::cout << (stage == ShaderStage::Vertex ? "Vertex" : "Fragment") << "-shader compile error:\n\n"
                  << infoLog << std::endl;
        std::cout << "failed to load shader: " << path << std::endl;
    }

    void linking() override
    {
        LOG(log.trace) << "attach shader" << std::endl;
        LOG(log.trace) << "link shader" << std::endl;
    }

    void linked() override { LOG(log.info) << "Shader-program linked successfully.\n" << std::endl; }

    void linkFailed(const std::string& infoLog) override
    {
        LOG(log.err) << "Shader-program link error:\n\n" << infoLog << std::endl;
    }

private:
    Logger& log = Logger::getInstance();
};
}

RenderEngine::RenderEngine(MaterialManager* materials, FontManager* fonts)
    : materials(materials), fonts(fonts), shaderReports(std::make_unique<EngineShaderReports>())
{
}

RenderEngine::~RenderEngine()
{
    closeWindow();
}

// What was made in the window's context is deleted while it is current.
void RenderEngine::closeWindow()
{
    if (window == nullptr)
        return;
    glfwMakeContextCurrent(window);
    renderer.reset();
    graphics.reset();
    glfwDestroyWindow(window);
    window = nullptr;
}

bool RenderEngine::init(int width, int height, bool fullScreen, const std::string& sizeOrigin)
{
    Logger& log = Logger::getInstance();
    glfwSetErrorCallback(reportGlfwError);
    if (!glfwInit())
    {
        LOG(log.err) << "Could not init GLFW!" << std::endl;
        return false;
    }
    LOG(log.info) << "GLFW initialized" << std::endl;

    closeWindow();
    if (!openWindow(width, height, fullScreen, sizeOrigin) || !loadEntryPoints())
        return false;
    graphics = std::make_unique<GraphicsContext>(glErrorCheck, fonts, *shaderReports);
    graphics->makeCurrent();
    renderer = std::make_unique<Renderer>(*graphics, materials);
    renderer->makeCurrent();

    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    glfwSetFramebufferSizeCallback(window, onFramebufferResize);
    onWindowResize(framebufferWidth, framebufferHeight);

    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    // On from the first frame, not only after the first overlay drawing has switched it on.
    glEnable(GL_DEPTH_TEST);
    graphics->makeWindowTarget(getScreenRectangle());
    glfwSwapInterval(0);
    // A key tapped between two polls still counts as pressed at the next poll.
    glfwSetInputMode(window, GLFW_STICKY_KEYS, GLFW_TRUE);
    followMouse();
    return true;
}

void RenderEngine::followMouse()
{
    glfwSetWindowUserPointer(window, this);
    glfwSetInputMode(window, GLFW_STICKY_MOUSE_BUTTONS, GLFW_TRUE);
    glfwGetCursorPos(window, &cursor.x, &cursor.y);
    glfwSetCursorPosCallback(window, onCursorMove);
    glfwSetScrollCallback(window, onScroll);
}

void RenderEngine::onCursorMove(GLFWwindow* window, double x, double y)
{
    static_cast<RenderEngine*>(glfwGetWindowUserPointer(window))->cursor = {x, y};
}

void RenderEngine::onScroll(GLFWwindow* window, double, double yOffset)
{
    static_cast<RenderEngine*>(glfwGetWindowUserPointer(window))->wheelTurned += static_cast<float>(yOffset);
}

bool RenderEngine::openWindow(int width, int height, bool fullScreen, const std::string& sizeOrigin)
{
    Logger& log = Logger::getInstance();
    setWindowHints();
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (fullScreen && mode == nullptr)
    {
        LOG(log.err) << "Could not open a full-screen window: no monitor found" << std::endl;
        return false;
    }
    WindowSize desktop = mode != nullptr ? WindowSize{mode->width, mode->height} : defaultDesktop;
    WindowSize first = fullScreen ? desktop
                                  : WindowSize{withinDesktop(width, desktop.width), withinDesktop(height, desktop.height)};
    window = glfwCreateWindow(first.width, first.height, "Pellux", fullScreen ? monitor : nullptr, nullptr);
    if (window == nullptr)
    {
        LOG(log.err) << "Could not open a window with an OpenGL 3.2 core context" << std::endl;
        return false;
    }
    glfwMakeContextCurrent(window);
    LOG(log.info) << "OpenGL 3.2 core context created" << std::endl;
    if (!fullScreen)
        fitWindowedSize(window, {width, height}, desktop, sizeOrigin);
    glfwShowWindow(window);
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
        glErrorCheck.after("frame end");
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glfwSwapBuffers(window);
        glfwPollEvents();
        wheelOffset = wheelTurned;
        wheelTurned = 0;
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        // Depth and stencil share one buffer: clearing depth alone would have to keep every stencil
        // value, which costs as much again. The engine draws nothing with the stencil.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
    timer.endFrame(glfwGetTime());
}

bool RenderEngine::isWindowOpen() const
{
    return window != nullptr && !glfwWindowShouldClose(window);
}

bool RenderEngine::hasContext()
{
    return glfwGetCurrentContext() != nullptr && glGenFramebuffers != nullptr;
}

int RenderEngine::largestTextureSide()
{
    if (!hasContext())
        return 0;
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side;
}

bool RenderEngine::isKeyPressed(int key) const
{
    int glfwKey = toGlfw3Key(key);
    return window != nullptr && glfwKey != GLFW_KEY_UNKNOWN && glfwGetKey(window, glfwKey) == GLFW_PRESS;
}

// The engine's button codes go to GLFW 3 as they are.
static_assert(MouseButton::Left == GLFW_MOUSE_BUTTON_LEFT && MouseButton::Right == GLFW_MOUSE_BUTTON_RIGHT &&
              MouseButton::Middle == GLFW_MOUSE_BUTTON_MIDDLE && MouseButton::Last == GLFW_MOUSE_BUTTON_LAST);

bool RenderEngine::isMouseButtonPressed(int button) const
{
    return window != nullptr && button >= MouseButton::Left && button <= MouseButton::Last &&
           glfwGetMouseButton(window, button) == GLFW_PRESS;
}

void RenderEngine::setWindowTitle(const std::string& title)
{
    if (window != nullptr)
        glfwSetWindowTitle(window, title.c_str());
}

Rectangle RenderEngine::getViewport() const
{
    return RenderTarget::currentViewport();
}

RenderTarget* RenderEngine::getOverlay()
{
    GraphicsContext* current = GraphicsContext::current();
    return current != nullptr ? current->getWindowTarget() : nullptr;
}

void RenderEngine::onWindowResize(int width, int height)
{
    glViewport(0, 0, width, height);
    screenRectangle->width = static_cast<float>(width);
    screenRectangle->height = static_cast<float>(height);
    if (RenderTarget* overlay = getOverlay())
        overlay->resize(width, height);
}

Texture* RenderEngine::getTexture(Image* image)
{
    return graphics != nullptr ? graphics->textureOf(image) : nullptr;
}

void RenderEngine::setRenderScale(float scale)
{
    renderScale = scale > 0 && scale <= 1 ? scale : 1;
}

void RenderEngine::drawScene(Scene& scene, float opacity)
{
    RenderTarget* target = scene.getRenderTarget();
    if (renderScale < 1)
    {
        // Of the window's size: the viewport is still the scene's own when no overlay was drawn.
        target->setSize(scaledSceneSize);
        target->resize(scaledSide(static_cast<int>(screenRectangle->width), renderScale),
                       scaledSide(static_cast<int>(screenRectangle->height), renderScale));
    }
    else
    {
        Rectangle viewport = getViewport();
        target->resize(static_cast<int>(viewport.width), static_cast<int>(viewport.height));
        target->setSize(getScreenRectangle());
    }
    target->bind();
    scene.prepareFrame();
    renderer->renderMainPass(scene);
    renderer->renderShadowPasses(scene);
    // Blending into the target weighs a see-through surface's colour by its alpha where it lies over
    // nothing; the picture is laid on the window as such, so the alpha does not count twice.
    if (RenderTarget* window = graphics != nullptr ? graphics->getWindowTarget() : nullptr)
        window->drawPremultiplied(target->getColorTexture(), opacity);
    glErrorCheck.after("overlay");
}

void RenderEngine::warmUp(Scene& scene)
{
    RenderTarget* target = scene.getRenderTarget();
    target->setSize(warmUpSize);
    target->resize(1, 1);
    target->bind();
    // Only the main pass: a shadow pass leaves its light set up for the next main pass, which
    // would then show a shadow the first frame does not have.
    scene.prepareFrame();
    renderer->renderMainPass(scene);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, static_cast<int>(screenRectangle->width), static_cast<int>(screenRectangle->height));
    glErrorCheck.after("warm-up");
}

void RenderEngine::drawTexture(Texture* texture, Rectangle destination, Rectangle source, bool flag, float opacity)
{
    if (RenderTarget* overlay = graphics != nullptr ? graphics->getWindowTarget() : nullptr)
        overlay->drawTexture(texture, destination, source, flag, opacity);
}

void RenderEngine::drawText(const std::string& text, int size, float x, float y)
{
    RenderTarget* overlay = graphics != nullptr ? graphics->getWindowTarget() : nullptr;
    if (!text.empty() && overlay != nullptr)
        overlay->drawText(text, size, x, y);
}

namespace
{
unsigned int loadShader(const File* file, ShaderStage stage)
{
    GraphicsContext* graphics = GraphicsContext::current();
    EngineShaderReports reports;
    return graphics != nullptr ? graphics->shaders().load(file->getPath(), stage, reports) : 0;
}
}

unsigned int RenderEngine::loadVertexShader(const File* file)
{
    return loadShader(file, ShaderStage::Vertex);
}

unsigned int RenderEngine::loadFragmentShader(const File* file)
{
    return loadShader(file, ShaderStage::Fragment);
}

unsigned int RenderEngine::buildProgram(const File* vertexFile, const File* fragmentFile, bool* linked)
{
    GraphicsContext* graphics = GraphicsContext::current();
    if (linked != nullptr)
        *linked = false;
    if (graphics == nullptr)
        return 0;
    EngineShaderReports reports;
    reports.starting();
    GLuint vertexShader = loadVertexShader(vertexFile);
    GLuint fragmentShader = loadFragmentShader(fragmentFile);
    bool programLinked = false;
    GLuint program = graphics->shaders().link(vertexShader, fragmentShader, reports, programLinked);
    if (linked != nullptr)
        *linked = programLinked;
    return program;
}

}
