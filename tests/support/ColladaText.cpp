#include "ColladaText.h"

namespace ColladaText
{

std::string document(const std::string& geometries, const std::string& controllers, const std::string& nodes,
                     const std::string& lights)
{
    return R"(<COLLADA><asset><up_axis>Y_UP</up_axis></asset>
<library_effects><effect id="white-effect"><profile_COMMON><technique sid="t"><phong>
  <diffuse><color>1 1 1 1</color></diffuse></phong></technique></profile_COMMON></effect></library_effects>
<library_materials><material id="white"><instance_effect url="#white-effect"/></material></library_materials>
<library_lights><light id="lamp"><technique_common><point><color>1 1 1</color><constant_attenuation>1</constant_attenuation>
  <linear_attenuation>0</linear_attenuation><quadratic_attenuation>0</quadratic_attenuation></point></technique_common>
  <extra><technique profile="PELLUX"><light><multiplier>1</multiplier></light></technique></extra></light>)" +
           lights + R"(</library_lights>
<library_cameras><camera id="eye"><optics><technique_common><perspective><xfov>60</xfov><znear>1</znear>
  <zfar>100</zfar></perspective></technique_common></optics></camera></library_cameras>
<library_geometries>)" + geometries + R"(</library_geometries>
<library_controllers>)" + controllers + R"(</library_controllers>
<library_visual_scenes><visual_scene id="scene">
  <node id="viewer"><matrix>1 0 0 0 0 1 0 0 0 0 1 10 0 0 0 1</matrix><instance_camera url="#eye"/></node>
  <node id="light-post"><matrix>1 0 0 0 0 1 0 0 0 0 1 8 0 0 0 1</matrix><instance_light url="#lamp"/></node>
)" + nodes + "</visual_scene></library_visual_scenes></COLLADA>";
}

std::string geometry(const std::string& id, bool square)
{
    std::string p = square ? "0 0 1 1 2 2 0 0 2 2 3 3" : "0 0 1 1 2 2";
    return "<geometry id=\"" + id + "\"><mesh><source id=\"" + id +
           "-p\"><float_array>-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array></source><source id=\"" + id +
           "-n\"><float_array>0 0 1 0 0 1 0 0 1 0 0 1</float_array></source><vertices id=\"" + id +
           "-v\"><input semantic=\"POSITION\" source=\"#" + id + "-p\"/></vertices><triangles material=\"paint\" count=\"" +
           (square ? "2" : "1") + "\"><input semantic=\"VERTEX\" source=\"#" + id +
           "-v\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"#" + id + "-n\" offset=\"1\"/><p>" + p +
           "</p></triangles></mesh></geometry>";
}

std::string skin(const std::string& id, const std::string& geometry, int joints)
{
    std::string names;
    std::string binds;
    for (int joint = 0; joint < joints; ++joint)
    {
        names += " j" + std::to_string(joint);
        binds += " 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
    }
    std::string last = std::to_string(joints - 1);
    return "<controller id=\"" + id + "\"><skin source=\"#" + geometry + "\"><source id=\"" + id +
           "-j\"><Name_array>" + names + "</Name_array></source><source id=\"" + id + "-b\"><float_array>" + binds +
           "</float_array></source><source id=\"" + id + "-w\"><float_array>1</float_array></source><joints><input "
           "semantic=\"JOINT\" source=\"#" + id + "-j\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#" + id +
           "-b\"/></joints><vertex_weights><input semantic=\"JOINT\" source=\"#" + id +
           "-j\" offset=\"0\"/><input semantic=\"WEIGHT\" source=\"#" + id + "-w\" offset=\"1\"/><vcount>1 1 1 1</vcount><v>" +
           last + " 0 " + last + " 0 " + last + " 0 " + last + " 0</v></vertex_weights></skin></controller>";
}

std::string bound(const std::string& instance, const std::string& url, const std::string& inside)
{
    return "<" + instance + " url=\"" + url + "\">" + inside +
           "<bind_material><technique_common><instance_material symbol=\"paint\" target=\"#white\"/>"
           "</technique_common></bind_material></" + instance + ">";
}

std::string node(const std::string& id, float x, float z, const std::string& content)
{
    return "<node id=\"" + id + "\"><translate>" + std::to_string(x) + " 0 " + std::to_string(z) + "</translate>" +
           content + "</node>";
}

std::string skeleton(int joints)
{
    std::string nodes;
    for (int joint = 0; joint < joints; ++joint)
        nodes += "<node id=\"joint" + std::to_string(joint) + "\" sid=\"j" + std::to_string(joint) + "\">";
    for (int joint = 0; joint < joints; ++joint)
        nodes += "</node>";
    return "<node id=\"skeleton\">" + nodes + "</node>";
}

}
