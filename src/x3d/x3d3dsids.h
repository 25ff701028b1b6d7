// Chunk ids of the 3DS files the engine reads and the asset generator writes (16-bit id,
// 32-bit length including the 6-byte header, then the chunk's data and sub-chunks).
#pragma once
#include <cstdint>

enum X3dsChunkId : uint16_t {
  // Values carried by several chunks.
  X3DS_VERSION = 0x0002,
  X3DS_COLOR_FLOATS = 0x0010,  // r, g, b as 0..1 floats
  X3DS_COLOR_BYTES = 0x0011,   // r, g, b as bytes
  X3DS_PERCENT = 0x0030,       // 16-bit percentage
  X3DS_MASTER_SCALE = 0x0100,
  X3DS_BACKGROUND = 0x1200,
  X3DS_AMBIENT = 0x2100,
  // File and editor.
  X3DS_MAIN = 0x4D4D,
  X3DS_EDITOR = 0x3D3D,
  X3DS_MESH_VERSION = 0x3D3E,
  // Objects: meshes, lights, cameras.
  X3DS_OBJECT = 0x4000,  // name, then one of the three below
  X3DS_NO_LIGHT = 0x4017,
  X3DS_TRIMESH = 0x4100,
  X3DS_VERTICES = 0x4110,
  X3DS_FACES = 0x4120,
  X3DS_FACE_MATERIAL = 0x4130,
  X3DS_TEXCOORDS = 0x4140,
  X3DS_SMOOTHING = 0x4150,
  X3DS_MESH_MATRIX = 0x4160,
  X3DS_LIGHT = 0x4600,
  X3DS_SPOT = 0x4610,
  X3DS_ATTENUATION = 0x4625,
  X3DS_INNER_RANGE = 0x4659,
  X3DS_OUTER_RANGE = 0x465A,
  X3DS_CAMERA = 0x4700,
  // Materials and their maps.
  X3DS_MAT_NAME = 0xA000,
  X3DS_MAT_AMBIENT = 0xA010,
  X3DS_MAT_DIFFUSE = 0xA020,
  X3DS_MAT_SPECULAR = 0xA030,
  X3DS_MAT_SHININESS = 0xA040,
  X3DS_MAT_STRENGTH = 0xA041,
  X3DS_MAT_TRANSPARENCY = 0xA050,
  X3DS_MAT_FALLOFF = 0xA052,
  X3DS_MAT_BLUR = 0xA053,
  X3DS_MAT_TWO_SIDED = 0xA081,  // material option 0x01
  X3DS_MAT_OPTION_08 = 0xA083,
  X3DS_MAT_SELF_ILLUM = 0xA084,
  X3DS_MAT_OPTION_04 = 0xA085,
  X3DS_MAT_OPTION_02 = 0xA08C,
  X3DS_MAT_SHADING = 0xA100,
  X3DS_MAT_TEXTURE = 0xA200,
  X3DS_MAT_REFLECTION = 0xA220,
  X3DS_MAT_BUMP = 0xA230,
  X3DS_MAP_NAME = 0xA300,
  X3DS_MAP_TILING = 0xA351,
  X3DS_MAP_USCALE = 0xA354,
  X3DS_MAP_VSCALE = 0xA356,
  X3DS_MAP_UOFFSET = 0xA358,
  X3DS_MAP_VOFFSET = 0xA35A,
  X3DS_MAP_ROTATION = 0xA35C,
  X3DS_MATERIAL = 0xAFFF,
  // Keyframer: header, segment, nodes and their tracks.
  X3DS_KEYFRAMER = 0xB000,
  X3DS_NODE_AMBIENT = 0xB001,
  X3DS_NODE_OBJECT = 0xB002,
  X3DS_NODE_CAMERA = 0xB003,
  X3DS_NODE_TARGET = 0xB004,
  X3DS_NODE_OMNI = 0xB005,
  X3DS_NODE_SPOT_TARGET = 0xB006,
  X3DS_NODE_SPOT = 0xB007,
  X3DS_KF_SEGMENT = 0xB008,
  X3DS_KF_CURRENT = 0xB009,
  X3DS_KF_HEADER = 0xB00A,
  X3DS_NODE_HEADER = 0xB010,
  X3DS_NODE_INSTANCE = 0xB011,
  X3DS_NODE_PIVOT = 0xB013,
  X3DS_TRACK_POS = 0xB020,
  X3DS_TRACK_ROT = 0xB021,
  X3DS_TRACK_SCALE = 0xB022,
  X3DS_TRACK_FOV = 0xB023,
  X3DS_TRACK_ROLL = 0xB024,
  X3DS_TRACK_COLOUR = 0xB025,
  X3DS_TRACK_MORPH = 0xB026,
  X3DS_TRACK_HIDE = 0xB029,
  X3DS_NODE_ID = 0xB030,
  // Known by number only: walked through for their sub-chunks, or skipped whole.
  X3DS_WALK_C23D = 0xC23D,
  X3DS_WALK_3DAA = 0x3DAA,
  X3DS_WALK_4F00 = 0x4F00,
  X3DS_SKIP_4111 = 0x4111,
  X3DS_SKIP_4165 = 0x4165,
  X3DS_SKIP_4170 = 0x4170,
  X3DS_SKIP_7001 = 0x7001,
};

// Bits of the keyframer's headers: a node's first flags word and a track's flags.
enum : uint16_t {
  X3DS_NODE_HIDDEN = 0x0800,   // the object is not drawn
  X3DS_TRACK_REPEAT = 0x0002,  // the track starts over after its last key
  X3DS_TRACK_LOOP = 0x0003,    // both bits: the track loops smoothly
};
