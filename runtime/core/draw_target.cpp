#include "runtime/core/draw_target.h"

#include "runtime/core/memory.h"

#include <pthread.h>

namespace rt {
namespace {

pthread_key_t g_current_key;
bool g_key_made = false;
DrawTarget* g_current = nullptr;
double g_scale_factor = 1.0;

void make_current(DrawTarget* target) {
    if (g_key_made) pthread_setspecific(g_current_key, target);
    g_current = target;
}

void* current_buffer_of(DrawTarget* target) {
    return target->current_buffer;
}

int64_t row_bytes_of(DrawTarget* target) {
    return target->bytes_per_row;
}

int64_t pixel_format_of(DrawTarget* target) {
    return target->pixel_format_flags;
}

void discard(DrawTarget* target) {
    if (g_current == target) make_current(nullptr);
    FreeBlock(target);
}

} // namespace

int InitDrawing() {
    if (g_key_made) return 1;
    if (pthread_key_create(&g_current_key, nullptr) != 0) return 0;
    g_key_made = true;
    pthread_setspecific(g_current_key, g_current);
    return 1;
}

DrawTarget* CreateDrawTarget(int32_t pixel_format) {
    auto* target = static_cast<DrawTarget*>(AllocateBlock(sizeof(DrawTarget)));
    if (!target) return nullptr;
    target->pixel_buffer = &current_buffer_of;
    target->row_bytes = &row_bytes_of;
    target->pixel_format = &pixel_format_of;
    target->pixel_format_flags = pixel_format;
    if (DrawTarget* left = g_current) {
        if (left->finish) left->finish(left, 0);
        FreeBlock(left);
    }
    make_current(target);
    return target;
}

int64_t BeginDrawing(DrawTarget* target) {
    if (!target) return 0;
    int64_t started = target->start ? target->start(target) : 0;
    target->output_width = target->width;
    target->output_height = target->height;
    if (started != 0) return started;
    if (target->finish) target->finish(target, 0);
    discard(target);
    return 0;
}

void EndDrawing() {
    DrawTarget* target = g_current;
    if (!target) return;
    if (target->stop) target->stop(target, 0, 0);
    if (target->finish) target->finish(target, 1);
    discard(target);
}

DrawTarget* CurrentDrawTarget() {
    return g_current;
}

void* DrawTargetPixels() {
    if (!g_current || !g_current->pixel_buffer) return nullptr;
    return g_current->pixel_buffer(g_current);
}

int64_t DrawTargetRowBytes() {
    if (!g_current || !g_current->row_bytes) return 0;
    return g_current->row_bytes(g_current);
}

int64_t DrawTargetWidth() {
    return g_current ? g_current->output_width : 0;
}

int64_t DrawTargetHeight() {
    return g_current ? g_current->output_height : 0;
}

double DrawingScaleFactor() {
    return g_scale_factor;
}

void SetDrawingScaleFactor(double factor) {
    g_scale_factor = factor;
}

} // namespace rt
