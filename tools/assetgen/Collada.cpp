#include "Collada.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <unordered_map>
#include <utility>

namespace AssetGen
{

namespace
{
using Attributes = std::vector<std::pair<std::string, std::string>>;

// Six significant digits, and no "-0" or 1e-17 for what is zero.
std::string number(double value)
{
    if (std::fabs(value) < 5e-7)
        value = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string joined(const std::vector<double>& values)
{
    std::string text;
    for (double v : values)
        text += (text.empty() ? "" : " ") + number(v);
    return text;
}

std::string colourText(const Colour& c) { return joined({c.r, c.g, c.b, c.a}); }
std::string matrixText(const Mat4& m) { return joined({m.m.begin(), m.m.end()}); }

// Indented XML, one element per line; long number lists get a line per entry.
class XmlWriter
{
public:
    void open(const std::string& tag, const Attributes& attributes = {})
    {
        line("<" + tag + attributeText(attributes) + ">");
        tags.push_back(tag);
    }
    void close()
    {
        std::string tag = tags.back();
        tags.pop_back();
        line("</" + tag + ">");
    }
    void empty(const std::string& tag, const Attributes& attributes) { line("<" + tag + attributeText(attributes) + "/>"); }
    void leaf(const std::string& tag, const std::string& text, const Attributes& attributes = {})
    {
        line("<" + tag + attributeText(attributes) + ">" + text + "</" + tag + ">");
    }
    void lines(const std::string& tag, const Attributes& attributes, const std::vector<std::string>& body)
    {
        open(tag, attributes);
        for (const std::string& text : body)
            line(text);
        close();
    }
    std::string text() const { return out.str(); }

private:
    std::ostringstream out;
    std::vector<std::string> tags;

    void line(const std::string& text) { out << std::string(tags.size() * 2, ' ') << text << "\n"; }
    static std::string attributeText(const Attributes& attributes)
    {
        std::string text;
        for (const auto& [name, value] : attributes)
            text += " " + name + "=\"" + value + "\"";
        return text;
    }
};

// One source of a mesh: its distinct entries in order of first use.
struct SourceData
{
    std::vector<std::string> entries;
    std::unordered_map<std::string, int> indexOf;

    int add(const std::string& entry)
    {
        auto [found, added] = indexOf.emplace(entry, static_cast<int>(entries.size()));
        if (added)
            entries.push_back(entry);
        return found->second;
    }
};

// A source of `entries`, each of `stride` values (one per param unless a param is a matrix).
void writeSource(XmlWriter& xml, const std::string& id, const std::vector<std::string>& entries,
                 const std::vector<std::string>& params, const std::string& type = "float",
                 const std::string& arrayTag = "float_array", std::size_t stride = 0)
{
    stride = stride == 0 ? params.size() : stride;
    xml.open("source", {{"id", id}});
    xml.lines(arrayTag, {{"id", id + "-array"}, {"count", std::to_string(entries.size() * stride)}}, entries);
    xml.open("technique_common");
    xml.open("accessor",
             {{"source", "#" + id + "-array"}, {"count", std::to_string(entries.size())}, {"stride", std::to_string(stride)}});
    for (const std::string& param : params)
        xml.empty("param", {{"name", param}, {"type", type}});
    xml.close();
    xml.close();
    xml.close();
}

void writeAsset(XmlWriter& xml)
{
    xml.open("asset");
    xml.open("contributor");
    xml.leaf("author", "Pellux");
    xml.leaf("authoring_tool", "Pellux assetgen 1.0 COLLADA exporter");
    xml.leaf("comments", "Mirrowfen: a walled courtyard in a misty fen at dusk");
    xml.close();
    // Fixed dates, so that every run writes the same bytes.
    xml.leaf("created", "2024-03-02T18:00:00Z");
    xml.leaf("modified", "2024-03-02T18:00:00Z");
    xml.empty("unit", {{"name", "meter"}, {"meter", "1"}});
    xml.leaf("up_axis", "Z_UP");
    xml.close();
}

void writeImages(XmlWriter& xml, const Document& document)
{
    xml.open("library_images");
    for (const ImageFile& image : document.images)
    {
        xml.open("image", {{"id", image.id}, {"name", image.id}});
        xml.leaf("init_from", image.file);
        xml.close();
    }
    xml.close();
}

// The surface and sampler parameters through which an exporter reaches an image.
void writeSamplerParameters(XmlWriter& xml, const std::string& image)
{
    xml.open("newparam", {{"sid", image + "-surface"}});
    xml.open("surface", {{"type", "2D"}});
    xml.leaf("init_from", image);
    xml.leaf("format", "A8R8G8B8");
    xml.close();
    xml.close();
    xml.open("newparam", {{"sid", image + "-sampler"}});
    xml.open("sampler2D");
    xml.leaf("source", image + "-surface");
    xml.leaf("minfilter", "LINEAR_MIPMAP_LINEAR");
    xml.leaf("magfilter", "LINEAR");
    xml.close();
    xml.close();
}

void writeColourParameter(XmlWriter& xml, const std::string& tag, const Colour& colour)
{
    xml.open(tag);
    xml.leaf("color", colourText(colour));
    xml.close();
}

void writeFloatParameter(XmlWriter& xml, const std::string& tag, double value)
{
    xml.open(tag);
    xml.leaf("float", number(value));
    xml.close();
}

// An effect's own picture, its image through its sampler, or its plain colour.
void writeColourOrTexture(XmlWriter& xml, const std::string& tag, const Effect& effect)
{
    xml.open(tag);
    if (effect.diffuseImage.empty())
        xml.leaf("color", colourText(effect.diffuseColour));
    else
        xml.empty("texture", {{"texture", effect.diffuseImage + "-sampler"}, {"texcoord", "CHANNEL1"}});
    xml.close();
}

// The common technique's shading element; an unlit one shows its picture as its emission.
void writeShading(XmlWriter& xml, const Effect& effect)
{
    const std::string tag = effect.shading == Shading::Phong ? "phong" : effect.shading == Shading::Lambert ? "lambert" : "constant";
    xml.open(tag);
    if (effect.shading == Shading::Constant)
    {
        writeColourOrTexture(xml, "emission", effect);
    }
    else
    {
        writeColourParameter(xml, "emission", {0, 0, 0, 1});
        writeColourParameter(xml, "ambient", {0.588, 0.588, 0.588, 1});
        writeColourOrTexture(xml, "diffuse", effect);
    }
    if (effect.shading == Shading::Phong)
    {
        writeColourParameter(xml, "specular", {0.2, 0.2, 0.2, 1});
        writeFloatParameter(xml, "shininess", effect.shininess);
    }
    writeColourParameter(xml, "reflective", {0, 0, 0, 1});
    writeFloatParameter(xml, "reflectivity", 0);
    // The exporter's opacity: the picture's alpha when it has one.
    xml.open("transparent", {{"opaque", "A_ONE"}});
    xml.leaf("color", "1 1 1 1");
    xml.close();
    writeFloatParameter(xml, "transparency", 1);
    writeFloatParameter(xml, "index_of_refraction", 1);
    xml.close();
}

void writeEffects(XmlWriter& xml, const Document& document)
{
    xml.open("library_effects");
    for (const Effect& effect : document.effects)
    {
        xml.open("effect", {{"id", effect.id}, {"name", effect.id}});
        xml.open("profile_COMMON");
        for (const std::string& image : {effect.diffuseImage, effect.normalImage, effect.heightImage})
            if (!image.empty())
                writeSamplerParameters(xml, image);
        xml.open("technique", {{"sid", "common"}});
        writeShading(xml, effect);
        if (!effect.normalImage.empty())
        {
            xml.open("parallax");
            xml.empty("diffuseMap", {{"value", effect.diffuseImage}});
            xml.empty("normalMap", {{"value", effect.normalImage}});
            xml.empty("heightMap", {{"value", effect.heightImage}});
            xml.close();
        }
        xml.close();
        xml.close();
        xml.close();
    }
    xml.close();
}

void writeMaterials(XmlWriter& xml, const Document& document)
{
    xml.open("library_materials");
    for (const Material& material : document.materials)
    {
        xml.open("material", {{"id", material.id}, {"name", material.id}});
        xml.empty("instance_effect", {{"url", "#" + material.effect}});
        xml.close();
    }
    xml.close();
}

std::string vectorEntry(const Vec3& v) { return joined({v.x, v.y, v.z}); }

void writeGeometry(XmlWriter& xml, const Geometry& geometry)
{
    const std::string id = "geom-" + geometry.name;
    SourceData positions, normals, texCoords, tangents, binormals;
    std::vector<std::vector<int>> indices(geometry.parts.size());
    for (std::size_t p = 0; p < geometry.parts.size(); ++p)
        for (const Corner& corner : geometry.parts[p].corners)
        {
            std::vector<int>& tuple = indices[p];
            tuple.push_back(positions.add(vectorEntry(corner.position)));
            tuple.push_back(normals.add(vectorEntry(corner.normal)));
            tuple.push_back(texCoords.add(joined({corner.uv.s, corner.uv.t, 0})));
            if (geometry.withTangents)
            {
                tuple.push_back(tangents.add(vectorEntry(corner.tangent)));
                tuple.push_back(binormals.add(vectorEntry(corner.binormal)));
            }
        }

    xml.open("geometry", {{"id", id}, {"name", geometry.name}});
    xml.open("mesh");
    writeSource(xml, id + "-positions", positions.entries, {"X", "Y", "Z"});
    writeSource(xml, id + "-normals", normals.entries, {"X", "Y", "Z"});
    writeSource(xml, id + "-map1", texCoords.entries, {"S", "T", "P"});
    if (geometry.withTangents)
    {
        writeSource(xml, id + "-map1-textangents", tangents.entries, {"X", "Y", "Z"});
        writeSource(xml, id + "-map1-texbinormals", binormals.entries, {"X", "Y", "Z"});
    }
    xml.open("vertices", {{"id", id + "-vertices"}});
    xml.empty("input", {{"semantic", "POSITION"}, {"source", "#" + id + "-positions"}});
    xml.close();
    std::size_t tupleLength = geometry.withTangents ? 5 : 3;
    for (std::size_t p = 0; p < geometry.parts.size(); ++p)
    {
        const Part& part = geometry.parts[p];
        xml.open("triangles", {{"material", part.symbol}, {"count", std::to_string(part.corners.size() / 3)}});
        xml.empty("input", {{"semantic", "VERTEX"}, {"source", "#" + id + "-vertices"}, {"offset", "0"}});
        xml.empty("input", {{"semantic", "NORMAL"}, {"source", "#" + id + "-normals"}, {"offset", "1"}});
        xml.empty("input", {{"semantic", "TEXCOORD"}, {"source", "#" + id + "-map1"}, {"offset", "2"}, {"set", "1"}});
        if (geometry.withTangents)
        {
            xml.empty("input", {{"semantic", "TEXTANGENT"}, {"source", "#" + id + "-map1-textangents"}, {"offset", "3"}, {"set", "1"}});
            xml.empty("input", {{"semantic", "TEXBINORMAL"}, {"source", "#" + id + "-map1-texbinormals"}, {"offset", "4"}, {"set", "1"}});
        }
        // A line per triangle.
        std::vector<std::string> triangles;
        const std::vector<int>& tuples = indices[p];
        for (std::size_t first = 0; first < tuples.size(); first += 3 * tupleLength)
        {
            std::string text;
            for (std::size_t i = first; i < first + 3 * tupleLength; ++i)
                text += (i == first ? "" : " ") + std::to_string(tuples[i]);
            triangles.push_back(text);
        }
        xml.lines("p", {}, triangles);
        xml.close();
    }
    xml.close();
    xml.close();
}

void writeGeometries(XmlWriter& xml, const Document& document)
{
    xml.open("library_geometries");
    for (const Geometry& geometry : document.geometries)
        writeGeometry(xml, geometry);
    xml.close();
}

void writeLights(XmlWriter& xml, const Document& document)
{
    xml.open("library_lights");
    for (const Light& light : document.lights)
    {
        xml.open("light", {{"id", light.id}, {"name", light.id}});
        xml.open("technique_common");
        xml.open(light.spot ? "spot" : "point");
        xml.leaf("color", joined({light.colour.r, light.colour.g, light.colour.b}));
        xml.leaf("constant_attenuation", number(light.constant));
        xml.leaf("linear_attenuation", number(light.linear));
        xml.leaf("quadratic_attenuation", number(light.quadratic));
        if (light.spot)
        {
            xml.leaf("falloff_angle", number(light.falloffDegrees));
            xml.leaf("falloff_exponent", "0");
        }
        xml.leaf("shadow_type", std::to_string(light.shadowType));
        xml.close();
        xml.close();
        xml.open("extra");
        xml.open("technique", {{"profile", "PELLUX"}});
        xml.open("light");
        if (light.spot)
        {
            xml.leaf("falloff", number(light.falloffDegrees));
            xml.leaf("hotspot_beam", number(light.hotspotDegrees));
        }
        xml.leaf("multiplier", number(light.multiplier));
        xml.leaf("shadow_density", number(light.shadowDensity));
        xml.close();
        xml.close();
        xml.close();
        xml.close();
    }
    xml.close();
}

void writeCameras(XmlWriter& xml, const Document& document)
{
    xml.open("library_cameras");
    for (const Camera& camera : document.cameras)
    {
        xml.open("camera", {{"id", camera.id}, {"name", camera.id}});
        xml.open("optics");
        xml.open("technique_common");
        xml.open("perspective");
        xml.leaf("xfov", number(camera.fovDegrees));
        xml.leaf("aspect_ratio", number(camera.aspect));
        xml.leaf("znear", number(camera.znear));
        xml.leaf("zfar", number(camera.zfar));
        xml.close();
        xml.close();
        xml.close();
        xml.close();
    }
    xml.close();
}

void writeNode(XmlWriter& xml, const Node& node)
{
    xml.open("node", {{"id", "node-" + node.name}, {"name", node.name}, {"type", "NODE"}});
    xml.leaf("matrix", matrixText(node.matrix), {{"sid", "transform"}});
    if (!node.geometry.empty())
    {
        xml.open("instance_geometry", {{"url", "#geom-" + node.geometry}});
        xml.open("bind_material");
        xml.open("technique_common");
        for (const auto& [symbol, material] : node.bind)
        {
            xml.open("instance_material", {{"symbol", symbol}, {"target", "#" + material}});
            xml.empty("bind_vertex_input", {{"semantic", "CHANNEL1"}, {"input_semantic", "TEXCOORD"}, {"input_set", "1"}});
            xml.close();
        }
        xml.close();
        xml.close();
        xml.close();
    }
    if (!node.light.empty())
        xml.empty("instance_light", {{"url", "#" + node.light}});
    if (!node.camera.empty())
        xml.empty("instance_camera", {{"url", "#" + node.camera}});
    for (const Node& child : node.children)
        writeNode(xml, child);
    xml.close();
}

void writeVisualScene(XmlWriter& xml, const Document& document)
{
    xml.open("library_visual_scenes");
    xml.open("visual_scene", {{"id", "MirrowfenScene"}, {"name", "Mirrowfen"}});
    for (const Node& node : document.nodes)
        writeNode(xml, node);
    xml.close();
    xml.close();
}

void writeAnimation(XmlWriter& xml, const Animation& animation, double keysPerSecond)
{
    const std::string id = "node-" + animation.node + "-transform";
    std::vector<std::string> times, matrices, interpolations;
    for (std::size_t key = 0; key < animation.keys.size(); ++key)
    {
        times.push_back(number(key / keysPerSecond));
        matrices.push_back(matrixText(animation.keys[key]));
        interpolations.push_back("LINEAR");
    }
    xml.open("animation", {{"id", id}});
    writeSource(xml, id + "-input", times, {"TIME"});
    writeSource(xml, id + "-output", matrices, {"TRANSFORM"}, "float4x4", "float_array", 16);
    writeSource(xml, id + "-interpolation", interpolations, {"INTERPOLATION"}, "name", "Name_array");
    xml.open("sampler", {{"id", id + "-sampler"}});
    xml.empty("input", {{"semantic", "INPUT"}, {"source", "#" + id + "-input"}});
    xml.empty("input", {{"semantic", "OUTPUT"}, {"source", "#" + id + "-output"}});
    xml.empty("input", {{"semantic", "INTERPOLATION"}, {"source", "#" + id + "-interpolation"}});
    xml.close();
    xml.empty("channel", {{"source", "#" + id + "-sampler"}, {"target", "node-" + animation.node + "/transform"}});
    xml.close();
}

void writeAnimations(XmlWriter& xml, const Document& document)
{
    xml.open("library_animations");
    for (const Animation& animation : document.animations)
        writeAnimation(xml, animation, document.keysPerSecond);
    xml.close();
}
}

std::string colladaText(const Document& document)
{
    XmlWriter xml;
    std::string header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    xml.open("COLLADA", {{"xmlns", "http://www.collada.org/2005/11/COLLADASchema"}, {"version", "1.4.1"}});
    writeAsset(xml);
    writeImages(xml, document);
    writeEffects(xml, document);
    writeMaterials(xml, document);
    writeGeometries(xml, document);
    writeLights(xml, document);
    writeCameras(xml, document);
    writeVisualScene(xml, document);
    writeAnimations(xml, document);
    xml.open("scene");
    xml.empty("instance_visual_scene", {{"url", "#MirrowfenScene"}});
    xml.close();
    xml.close();
    return header + xml.text();
}

}
