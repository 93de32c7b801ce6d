#pragma once

#include "pellux/core/FrameTimer.h"
#include "pellux/foundation/Rectangle.h"
#include "pellux/graphics/GlErrorCheck.h"

#include <memory>
#include <string>

struct GLFWwindow;
class File;

namespace Pellux
{

class FontManager;
class GraphicsContext;
class Image;
class MaterialManager;
class Renderer;
class RenderTarget;
class Scene;
class ShaderReports;
class Texture;

// Where the cursor is in the window, in pixels from its top left corner: x to the right, y down.
struct CursorPosition
{
    double x = 0;
    double y = 0;
};

// The window with its OpenGL 3.2 core context, the frame boundary, the keyboard and the mouse. With
// the window it makes what the engine keeps in that context (programs, buffers, textures, the state
// record of a pass) and the renderer that draws scenes there; it deletes them, and the window, when it
// goes.
class RenderEngine
{
public:
    // Sub-meshes find their materials in `materials`; text is drawn with `fonts`. Without them the
    // engine draws no mesh, or no text.
    explicit RenderEngine(MaterialManager* materials = nullptr, FontManager* fonts = nullptr);
    ~RenderEngine();
    RenderEngine(const RenderEngine&) = delete;
    RenderEngine& operator=(const RenderEngine&) = delete;

    // Opens the window, in place of one opened before: full screen at the desktop's resolution, or a window of width x height
    // when fullScreen is false. A side of 0 or less takes the desktop's; so does a side larger than
    // X and OpenGL allow here, after an ERR line that names `sizeOrigin`, where the size was asked
    // for ("settings.txt [graphics]"). False when no window with a usable context could be made.
    bool init(int width, int height, bool fullScreen = true, const std::string& sizeOrigin = "window");

    // Back to the window, swap, poll events, clear to opaque black and measure the frame.
    void endFrame();

    bool isWindowOpen() const;
    // Whether an OpenGL context is current with its entry points loaded, so that OpenGL objects can
    // be made now.
    static bool hasContext();
    // The longest side of a texture the current context takes; 0 without a context.
    static int largestTextureSide();
    // `key` is an engine key code (see KeyCodes.h).
    bool isKeyPressed(int key) const;
    // `button` is an engine button code (MouseButton in KeyCodes.h). A click between two frames
    // counts as pressed once.
    bool isMouseButtonPressed(int button) const;
    // As of the last endFrame(); it goes on following a drag that leaves the window.
    CursorPosition getCursorPosition() const { return cursor; }
    // The steps the wheel turned during the last frame, positive away from the user.
    float getWheelOffset() const { return wheelOffset; }
    // The window's title; "Pellux" unless set.
    void setWindowTitle(const std::string& title);
    Rectangle getViewport() const;

    // The duration of the previous frame in seconds.
    float getFrameTime() const { return timer.getFrameTime(); }
    float getFps() const { return timer.getFps(); }

    // The window's drawable area, shared with every render target that draws to the screen.
    static std::shared_ptr<Rectangle> getScreenRectangle() { return screenRectangle; }
    static void onWindowResize(int width, int height);

    // The scene's passes of a frame: its target sized to the window and cleared, the main pass and
    // the shadow passes, then its picture onto the window with this opacity.
    void drawScene(Scene& scene, float opacity);
    // Draws the scene's main pass once with its target 1 x 1 pixel, so that OpenGL prepares every
    // program the scene draws with for the state it draws in before the first frame is due; leaves
    // the window's viewport. The frames after it look as they would without it.
    void warmUp(Scene& scene);
    // The scene's target is drawn at this fraction of the window's width and height (at least one
    // pixel each) and its picture stretched over the whole window: fewer pixels to shade on a slow
    // machine. 1, the whole size, unless set; a value outside (0, 1] counts as 1.
    void setRenderScale(float scale);
    float getRenderScale() const { return renderScale; }

    // The one texture made from this image, made at the first request; null for no image.
    Texture* getTexture(Image* image);
    // Draws the source part of the texture into the destination part of the window, both in
    // coordinates from 0 to 1 with the origin at the bottom left.
    void drawTexture(Texture* texture, Rectangle destination, Rectangle source, bool flag, float opacity);
    // Text on the window through the overlay; an empty text draws nothing.
    void drawText(const std::string& text, int size, float x, float y);
    // Logs OpenGL errors after each part of a frame while it is switched on.
    GlErrorCheck& getGlErrorCheck() { return glErrorCheck; }

    // The target standing for the window of the calling thread's engine; null before init().
    static RenderTarget* getOverlay();

    // Shader building; compile results go to standard output as they stand, without log prefix.
    static unsigned int loadVertexShader(const File* file);
    static unsigned int loadFragmentShader(const File* file);
    // The program name, also when linking failed; `linked` (when given) tells whether it can draw.
    static unsigned int buildProgram(const File* vertexFile, const File* fragmentFile, bool* linked = nullptr);

private:
    void closeWindow();
    bool openWindow(int width, int height, bool fullScreen, const std::string& sizeOrigin);
    bool loadEntryPoints();
    void followMouse();
    static void onCursorMove(GLFWwindow* window, double x, double y);
    static void onScroll(GLFWwindow* window, double xOffset, double yOffset);

    FrameTimer timer;
    GlErrorCheck glErrorCheck;
    GLFWwindow* window = nullptr;
    CursorPosition cursor;
    float wheelOffset = 0;
    // The wheel's steps since the last frame ended.
    float wheelTurned = 0;
    MaterialManager* materials;
    FontManager* fonts;
    std::unique_ptr<ShaderReports> shaderReports;
    std::unique_ptr<GraphicsContext> graphics;
    std::unique_ptr<Renderer> renderer;
    float renderScale = 1;
    // The scene target's size while it is warmed up.
    std::shared_ptr<Rectangle> warmUpSize = std::make_shared<Rectangle>(0.0f, 0.0f, 1.0f, 1.0f);
    // The scene target's size while it is drawn at a render scale below 1.
    std::shared_ptr<Rectangle> scaledSceneSize = std::make_shared<Rectangle>(0.0f, 0.0f, 1.0f, 1.0f);

    static std::shared_ptr<Rectangle> screenRectangle;
};

}
