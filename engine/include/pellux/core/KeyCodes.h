#pragma once

namespace Pellux
{

// The engine's key codes are those of GLFW 2.7: printable keys are their upper-case character
// codes, special keys start after 256.
namespace Key
{
constexpr int Special = 256;
constexpr int Escape = Special + 1;
constexpr int F1 = Special + 2;
constexpr int F25 = Special + 26;
constexpr int Up = Special + 27;
constexpr int Down = Special + 28;
constexpr int Left = Special + 29;
constexpr int Right = Special + 30;
constexpr int Enter = Special + 38;
constexpr int KeypadZero = Special + 46;
constexpr int Menu = Special + 69;
}

// Mouse buttons are numbered as GLFW 2.7 numbers them, which GLFW 3 keeps.
namespace MouseButton
{
constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Middle = 2;
constexpr int Last = 7;
}

// The GLFW 3 key code for an engine key code; GLFW_KEY_UNKNOWN (-1) when GLFW 3 has no such key.
int toGlfw3Key(int key);

}
