# Writes OUTPUT, a C++ source defining uiad::sim::demo_scene_text() over the
# bytes of INPUT. Run as a build step: cmake -DINPUT=... -DOUTPUT=... -P this.
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," array "${bytes}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" array "${array}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_file.cmake; do not edit.
#include \"platform/sim/demo_scene.h\"

namespace uiad::sim {
namespace {
constexpr char kBytes[] = {
${array}0};
}  // namespace

std::string_view demo_scene_text() { return std::string_view(kBytes, ${size}); }

}  // namespace uiad::sim
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
