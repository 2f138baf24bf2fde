#pragma once
// Drawing targets: one heap record per drawing pass, through which the pixels of an image (or any
// other destination) are made current for drawing. A target is an object of procedure slots and
// data fields; the slots of the 2D drawing library (plot, box, line, text ...) are not part of
// this runtime, so a target carries only the slots that begin, end and direct pixel access use.
//
// One target is current at a time: held per thread (under the key InitDrawing creates) and
// mirrored in one process-wide variable that the queries read. A pass runs from the target's
// constructor, which already makes it current, through BeginDrawing to EndDrawing. Drawing is a
// main-thread activity.

#include <cstdint>

class NSObject;
struct CGContext;
using CGContextRef = CGContext*;

namespace rt {

struct DrawTarget;

using DrawTargetBufferSlot = void* (*)(DrawTarget* target);
using DrawTargetValueSlot = int64_t (*)(DrawTarget* target);
using DrawTargetStartSlot = int64_t (*)(DrawTarget* target);
using DrawTargetStopSlot = void (*)(DrawTarget* target, int64_t first, int64_t second);
using DrawTargetFinishSlot = void (*)(DrawTarget* target, int64_t changed);

// Pixel format flags: 32 bits per pixel, and the flag that marks a target whose content counts as
// 24-bit (its alpha is not meaningful).
inline constexpr int32_t DrawTargetFormat32 = 32;
inline constexpr int32_t DrawTargetFormatOpaqueFlag = 0x10000;

struct DrawTarget {
    // Procedure slots, in slot order.
    DrawTargetBufferSlot pixel_buffer;
    DrawTargetValueSlot row_bytes;
    DrawTargetValueSlot pixel_format;
    DrawTargetStartSlot start;
    DrawTargetStopSlot stop;
    DrawTargetFinishSlot finish;
    // Data fields.
    int32_t width;
    int32_t height;
    int32_t output_width;
    int32_t output_height;
    int32_t depth;
    int32_t bytes_per_row;
    int32_t pixel_format_flags;
    int32_t colour_reset;
    int32_t high_resolution;
    void* buffer;
    void* current_buffer;
    CGContextRef context;
    int64_t image_number;
    // One reference to the object that owns the pixel buffer, held for the pass so that the
    // buffer outlives a pass whose image is freed before it ends; the finish procedure drops it.
    NSObject* buffer_owner;
};

// Start-up: creates the per-thread key of the current target. Idempotent; 1, or 0 when the key
// cannot be created (the process-wide variable then stands alone).
int InitDrawing();

// The drawing library's constructor as far as this runtime needs it: a zero-filled target with
// the pixel buffer, row bytes and pixel format slots filled and `pixel_format` stored, made
// current. A target still current from a pass that never ended is finished unchanged (0) and
// freed first. Null when memory runs out.
DrawTarget* CreateDrawTarget(int32_t pixel_format);

// Calls the start procedure and copies width and height to the output size; the start result
// when non-zero. Otherwise (and for a target with no start procedure) finishes the target with 0,
// frees it, clears the current target and returns 0. Null gives 0.
int64_t BeginDrawing(DrawTarget* target);
// Ends the pass of the current target: stop (with two zero words), finish with 1, free, clear the
// current target. Nothing happens without a current target.
void EndDrawing();

DrawTarget* CurrentDrawTarget();
// Each gives 0 (null) without a current target; the first two also when its slot is empty.
void* DrawTargetPixels();
int64_t DrawTargetRowBytes();
int64_t DrawTargetWidth();
int64_t DrawTargetHeight();

// The screen scale factor that decides the high-resolution flag of new image targets; 1.0 unless
// the screens module sets another (it does only when high-resolution scaling is on).
double DrawingScaleFactor();
void SetDrawingScaleFactor(double factor);

} // namespace rt
