#include "pellux/core/KeyCodes.h"

#include <GLFW/glfw3.h>

#include <array>

namespace Pellux
{

namespace
{
// GLFW 3 codes of the special keys, in the order of their engine codes from Key::Escape on.
constexpr std::array<int, Key::Menu - Key::Escape + 1> specialKeys = {
    GLFW_KEY_ESCAPE,
    GLFW_KEY_F1, GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F4, GLFW_KEY_F5, GLFW_KEY_F6, GLFW_KEY_F7,
    GLFW_KEY_F8, GLFW_KEY_F9, GLFW_KEY_F10, GLFW_KEY_F11, GLFW_KEY_F12, GLFW_KEY_F13, GLFW_KEY_F14,
    GLFW_KEY_F15, GLFW_KEY_F16, GLFW_KEY_F17, GLFW_KEY_F18, GLFW_KEY_F19, GLFW_KEY_F20, GLFW_KEY_F21,
    GLFW_KEY_F22, GLFW_KEY_F23, GLFW_KEY_F24, GLFW_KEY_F25,
    GLFW_KEY_UP, GLFW_KEY_DOWN, GLFW_KEY_LEFT, GLFW_KEY_RIGHT,
    GLFW_KEY_LEFT_SHIFT, GLFW_KEY_RIGHT_SHIFT, GLFW_KEY_LEFT_CONTROL, GLFW_KEY_RIGHT_CONTROL,
    GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT,
    GLFW_KEY_TAB, GLFW_KEY_ENTER, GLFW_KEY_BACKSPACE, GLFW_KEY_INSERT, GLFW_KEY_DELETE,
    GLFW_KEY_PAGE_UP, GLFW_KEY_PAGE_DOWN, GLFW_KEY_HOME, GLFW_KEY_END,
    GLFW_KEY_KP_0, GLFW_KEY_KP_1, GLFW_KEY_KP_2, GLFW_KEY_KP_3, GLFW_KEY_KP_4,
    GLFW_KEY_KP_5, GLFW_KEY_KP_6, GLFW_KEY_KP_7, GLFW_KEY_KP_8, GLFW_KEY_KP_9,
    GLFW_KEY_KP_DIVIDE, GLFW_KEY_KP_MULTIPLY, GLFW_KEY_KP_SUBTRACT, GLFW_KEY_KP_ADD,
    GLFW_KEY_KP_DECIMAL, GLFW_KEY_KP_EQUAL, GLFW_KEY_KP_ENTER,
    GLFW_KEY_NUM_LOCK, GLFW_KEY_CAPS_LOCK, GLFW_KEY_SCROLL_LOCK, GLFW_KEY_PAUSE,
    GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER, GLFW_KEY_MENU,
};

bool isGlfw3PrintableKey(int key)
{
    switch (key)
    {
    case GLFW_KEY_SPACE:
    case GLFW_KEY_APOSTROPHE:
    case GLFW_KEY_SEMICOLON:
    case GLFW_KEY_EQUAL:
    case GLFW_KEY_GRAVE_ACCENT:
        return true;
    default:
        return (key >= GLFW_KEY_COMMA && key <= GLFW_KEY_9) ||
               (key >= GLFW_KEY_A && key <= GLFW_KEY_RIGHT_BRACKET);
    }
}
}

int toGlfw3Key(int key)
{
    if (key >= Key::Escape && key <= Key::Menu)
        return specialKeys[static_cast<std::size_t>(key - Key::Escape)];
    // A lower-case letter means the same key as its upper-case code.
    if (key >= 'a' && key <= 'z')
        return key - 'a' + 'A';
    return isGlfw3PrintableKey(key) ? key : GLFW_KEY_UNKNOWN;
}

}
