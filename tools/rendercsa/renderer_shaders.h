#pragma once
// The renderer's shader set: vs_2_0 assembly for each shader kind and number of blend weights
// (0 to 4) and the ps_2_0 "map3_psh", assembled and stored scrambled as the members of
// "sys/renderer.csa". Each shader reads the constant registers the renderer's shader passes
// upload for its kind: object-space vectors and the world-view-projection without blend
// weights, world-space vectors, the view-projection and a bone palette with them.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/writers/dmf_writer.h"

namespace tools::rendercsa {

// The assembly of one vertex shader (kind 0 to 10, variant 0 to 4).
std::string vertexShaderText(int32_t kind, int32_t variant);
std::string map3PixelShaderText();

// The 56 members, named as the renderer opens them, each assembled and scrambled. An assembly
// error is reported in `error` and gives no members.
std::vector<writers::DmfMember> rendererShaderMembers(std::string& error);

}  // namespace tools::rendercsa
