#pragma once

#include <vector>

namespace Pellux
{

class RenderTarget;

// A texture on a unit: a picture (a 2D texture) or a buffer texture, which sit at separate bindings.
struct UnitTexture
{
    unsigned int name = 0;
    bool buffer = false;

    bool operator==(const UnitTexture& other) const { return name == other.name && buffer == other.buffer; }
    bool operator!=(const UnitTexture& other) const { return !(*this == other); }
};

// Every piece of OpenGL state a draw depends on besides its program's uniforms: the framebuffer and
// viewport it draws into, the program, the vertex array, the depth test, blending, face culling and
// winding, the
// polygon offset of shadow maps, the width of lines and points and the texture each unit holds.
// Decided as a whole for each draw, so that no draw depends on what an earlier one left behind.
//
// Outside a pass the whole state is set. Within a pass of a scene each draw sets only what differs
// from what the draws before it set. That holds while nothing else changes OpenGL state in the
// pass: a material or node that may set state itself (any but the engine's own) is followed by
// forgetApplied(), so that the next draw sets the whole state and sends every uniform again. A pass
// starts knowing nothing of OpenGL's state and ends with no program and no vertex array in use, as
// a draw outside a pass does.
class DrawState
{
public:
    // A material's geometry in this pass: depth-tested, mixed by its alpha, back faces culled, lines
    // and points 10 pixels wide. In a shadow pass its depth is pushed back a little, so that lit
    // surfaces do not shadow themselves. A transparent material's geometry writes no depth, and
    // leaves the target's alpha opaque where it was.
    void forGeometry(bool shadowPass, const RenderTarget& target, unsigned int program, bool transparent);
    // A picture laid over the whole target: not depth-tested, mixed by its alpha.
    void forOverlay(const RenderTarget& target, unsigned int program);
    void setVertexArray(unsigned int array) { vertexArray = array; }
    // Back faces culled, or drawn too.
    void setCulling(bool on) { culling = on; }
    // Front faces wound clockwise on the screen, as those of a mirrored node are.
    void setClockwiseFront(bool clockwise) { clockwiseFront = clockwise; }

    // Gives the texture the next free unit and returns it; -1 when every unit is taken.
    int addTexture(unsigned int texture);
    // Buffer textures take free units from the highest down, far from the units samplers of pictures
    // get from the lowest up: a sampler the draw does not set keeps the unit an earlier draw gave it,
    // and samplers of two kinds must not share a unit.
    int addBufferTexture(unsigned int texture);

    // Sets the whole state.
    void apply() const;
    // In a pass, sets what differs from the state the pass's draws have set; outside one, the whole.
    void applyForDraw() const;

    // The scene, around each pass.
    static void beginPass();
    static void endPass();
    // What a draw outside a pass, and the end of a pass, leave: depth writes on, plain blending, no
    // program and no vertex array.
    static void leaveDefaults();
    // OpenGL's state may have changed behind the pass's back: the pass's record of it is dropped.
    static void forgetApplied();
    // Binds a vertex array to set it up, noting it where a pass keeps what it bound, so that no
    // later draw takes another array for bound.
    static void useVertexArray(unsigned int array);
    // Gives the disabled vertex input at `location` the generic value white, once in a pass: the
    // value belongs to OpenGL's context, not to a vertex array.
    static void useWhiteInput(int location);
    static bool inPass() { return currentPass() != 0; }
    // A number no other pass had, renewed when the pass forgets what was applied; 0 outside a pass.
    static unsigned long long currentPass();

    static int textureUnits();

private:
    void drawInto(const RenderTarget& target, unsigned int program);
    void applyChangesFrom(const DrawState& applied) const;
    // Binds the textures of the units whose texture differs from `unitTextures`, and notes them there.
    void bindChangedTextures(std::vector<UnitTexture>& unitTextures, int& activeUnit) const;
    // Calls visit(unit, texture) for each texture the draw binds.
    template <class Visit>
    void forEachTexture(Visit visit) const;

    unsigned int framebuffer = 0;
    int width = 0;
    int height = 0;
    unsigned int program = 0;
    unsigned int vertexArray = 0;
    bool depthTest = true;
    bool depthWrites = true;
    bool blending = true;
    // Blending keeps the target's alpha: a translucent surface over an opaque one leaves it opaque.
    bool keepsTargetAlpha = false;
    bool culling = true;
    bool clockwiseFront = false;
    bool polygonOffset = false;
    bool wideLinesAndPoints = false;
    // The texture of unit n at index n.
    std::vector<UnitTexture> textures;
    // The buffer texture of the highest unit first.
    std::vector<UnitTexture> bufferTextures;
};

// What the draws of the current pass have set; the pass number is 0 outside a pass. One for each
// OpenGL context, whose state it records.
struct PassRecord
{
    unsigned long long pass = 0;
    unsigned long long passesBegun = 0;
    bool drawn = false;
    DrawState applied;
    // The texture of unit n at index n, also of units the last draw left alone.
    std::vector<UnitTexture> unitTextures;
    // The unit glActiveTexture last selected; -1 when not known.
    int activeUnit = -1;
    // The vertex inputs (bit n: location n) whose generic value the pass has set to white.
    unsigned int whiteInputs = 0;
};

}
