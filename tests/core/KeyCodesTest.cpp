#include "pellux/core/KeyCodes.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

using Pellux::toGlfw3Key;
namespace Key = Pellux::Key;

namespace
{
TEST(KeyCodes, EngineCodesMapToGlfw3Codes)
{
    struct KeyCase { int engineKey; int glfwKey; };
    const KeyCase cases[] = {
        {257, GLFW_KEY_ESCAPE},
        {Key::Escape, GLFW_KEY_ESCAPE},
        {Key::F1, GLFW_KEY_F1},
        {Key::F1 + 11, GLFW_KEY_F12},
        {Key::F25, GLFW_KEY_F25},
        {Key::Up, GLFW_KEY_UP},
        {Key::Down, GLFW_KEY_DOWN},
        {Key::Left, GLFW_KEY_LEFT},
        {Key::Right, GLFW_KEY_RIGHT},
        {Key::Special + 31, GLFW_KEY_LEFT_SHIFT},
        {Key::Special + 34, GLFW_KEY_RIGHT_CONTROL},
        {Key::Special + 37, GLFW_KEY_TAB},
        {Key::Enter, GLFW_KEY_ENTER},
        {Key::Special + 41, GLFW_KEY_DELETE},
        {Key::Special + 45, GLFW_KEY_END},
        {Key::KeypadZero, GLFW_KEY_KP_0},
        {Key::KeypadZero + 9, GLFW_KEY_KP_9},
        {Key::Special + 56, GLFW_KEY_KP_DIVIDE},
        {Key::Special + 62, GLFW_KEY_KP_ENTER},
        {Key::Special + 63, GLFW_KEY_NUM_LOCK},
        {Key::Special + 66, GLFW_KEY_PAUSE},
        {Key::Menu, GLFW_KEY_MENU},
        {'1', GLFW_KEY_1},
        {'2', GLFW_KEY_2},
        {'3', GLFW_KEY_3},
        {'P', GLFW_KEY_P},
        {'Q', GLFW_KEY_Q},
        {'W', GLFW_KEY_W},
        {'q', GLFW_KEY_Q},
        {' ', GLFW_KEY_SPACE},
        {',', GLFW_KEY_COMMA},
        {']', GLFW_KEY_RIGHT_BRACKET},
        {'`', GLFW_KEY_GRAVE_ACCENT},
    };
    for (const KeyCase& key : cases)
        EXPECT_EQ(toGlfw3Key(key.engineKey), key.glfwKey) << key.engineKey;
}

TEST(KeyCodes, CodesWithoutAGlfw3KeyAreUnknown)
{
    for (int engineKey : {-1, 0, 13, 27, int('!'), int('<'), int('~'), 161, 200, Key::Special, Key::Menu + 1, 1000})
        EXPECT_EQ(toGlfw3Key(engineKey), GLFW_KEY_UNKNOWN) << engineKey;
}
}
