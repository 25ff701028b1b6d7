// Per-pixel 2D effects drawn by the timeline segments: the table tunnel, rotozoom,
// warped plane, 50/50 blend, nearest-neighbour scalers and the line grid.
// Pixels are 0x00RRGGBB; textures are 256x256, index = row * 256 + column, and every
// texture coordinate wraps modulo 256. Nothing here allocates per frame.
#pragma once
#include <cstdint>

// Tunnel tables: one byte per view pixel (index y * 320 + x, 64000 used of 65000 each).
extern uint8_t* tunnelDepth;
extern uint8_t* tunnelAngle;

// Builds both tables (allocated once, cleared, then rings drawn from the centre out).
// Allocation failure is the coded fatal error 1.
void fxTunnelBuild();
// For each of the 64000 view pixels with a non-zero table entry d = depth * 256 + angle:
// target[i] = texture[(offset + d) & 0xffff]. Other pixels keep their value.
void fxTunnelDraw(uint16_t offset, const uint32_t* texture, uint32_t* target);

// w x h pixels written contiguously (the target is w pixels wide); zoom 256 = one texel
// per pixel; angle in 1/256 turns.
void fxRotozoom(int32_t w, int32_t h, int32_t zoom, int32_t angle, const uint32_t* texture, uint32_t* target);

// Fills columns left .. left + w - 1 of rows top .. top + h - 1 of a 320-pixel-wide
// target, column by column. cu, cv: 16.16 step per column; ru, rv: 16.16 step per row.
void fxWarp(int32_t w, int32_t h, int32_t left, int32_t top, int32_t cu, int32_t cv, int32_t ru, int32_t rv,
            const uint32_t* texture, uint32_t* target);

// target = per-channel (target + source) >> 1 over n pixels; the top byte becomes 0.
void fxBlend50(const uint32_t* source, uint32_t* target, int32_t n);

// Nearest-neighbour scale of a sw x sh picture into a tw x th picture written
// contiguously. Steps are 16.16, trunc(sw / tw * 65536) and trunc(sh / th * 65536).
// The mirrored form takes source row ((th - 1 - r) * stepY) >> 16 for target row r.
void fxScale(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th);
void fxScaleMirror(const uint32_t* source, uint32_t* target, int32_t sw, int32_t sh, int32_t tw, int32_t th);

// White grid of n x n lines spacing pixels apart from (x0, y0) into the view
// (pixel (0, 0) of a buffer with the frame buffer's line layout), clipped by the
// 2D engine's clip window. n = 8, spacing 8 gives a 56x56 box of 7x7 cells.
void fxGrid(int32_t x0, int32_t y0, int32_t spacing, int32_t n, uint32_t* target);
