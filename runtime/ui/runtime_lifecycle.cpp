#include "runtime/ui/runtime_lifecycle.h"

#include "platform/appkit/ns_application.h"
#include "runtime/core/array.h"
#include "runtime/core/dates.h"
#include "runtime/core/draw_target.h"
#include "runtime/core/file_objects.h"
#include "runtime/core/image_codecs.h"
#include "runtime/core/images.h"
#include "runtime/core/list.h"
#include "runtime/core/map.h"
#include "runtime/core/memory.h"
#include "runtime/core/number_text.h"
#include "runtime/core/process_runner.h"
#include "runtime/core/temp_area.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/gadget_records.h"
#include "runtime/ui/menu_records.h"
#include "runtime/ui/message_box.h"
#include "runtime/ui/screens.h"
#include "runtime/ui/window_records.h"

namespace rt {
namespace {

// The 2D drawing library keeps its pen, fill and clip state in one block for the whole run.
constexpr uint64_t k_vector_drawing_state_size = 608;

void* g_vector_drawing_state = nullptr;
int g_argument_count = 0;
char** g_arguments = nullptr;

// A step whose outcome start-up does not depend on, as a step that succeeds.
template <auto step>
int always() {
    step();
    return 1;
}

int init_vector_drawing() {
    if (!g_vector_drawing_state)
        g_vector_drawing_state = AllocateStateBlock(k_vector_drawing_state_size, nullptr, nullptr);
    return g_vector_drawing_state != nullptr;
}

// Each library after those it uses: memory before anything allocates, the codecs before the
// images, screens before windows, events before windows, menus and gadgets.
constexpr RuntimeStep k_start_steps[] = {
    {"BringProcessToFront", &always<BringProcessToFront>},
    {"InitApplication", &InitApplication},
    {"InitLocale", &always<InitLocale>},
    {"EnterBundleContents", &always<EnterBundleContents>},
    {"InitStrings", &always<InitStrings>},
    {"InitMaps", &always<InitMaps>},
    {"InitMemory", &InitMemory},
    {"InitFiles", &InitFiles},
    {"InitArrays", &always<InitArrays>},
    {"InitLists", &always<InitLists>},
    {"InitVectorDrawing", &init_vector_drawing},
    {"InitImageCodecs", &InitImageCodecs},
    {"RegisterBMPCodec", &RegisterBMPCodec},
    {"InitImages", &InitImages},
    {"InitScreens", &InitScreens},
    {"InitObjectRecords", &InitObjectRecords},
    {"InitDrawing", &InitDrawing},
    {"InitEvents", &InitEvents},
    {"InitWindows", &InitWindows},
    {"InitMenus", &InitMenus},
    {"InitDates", &InitDates},
    {"InitGadgets", &InitGadgets},
    {"InitMessageBox", &InitMessageBox},
    {"InitProcesses", &always<InitProcesses>},
};

// Open files are written out first, while everything they might report through still stands.
constexpr RuntimeStep k_end_steps[] = {
    {"EndFiles", &always<EndFiles>},
    {"EndDates", &always<EndDates>},
    {"EndImages", &always<EndImages>},
    {"EndDrawing", &always<EndDrawing>},
    {"EndObjectRecords", &always<EndObjectRecords>},
};

} // namespace

std::span<const RuntimeStep> runtime_start_steps() {
    return k_start_steps;
}

std::span<const RuntimeStep> runtime_end_steps() {
    return k_end_steps;
}

int StartRuntime(int argument_count, char** arguments) {
    g_argument_count = argument_count;
    g_arguments = arguments;
    int ok = 1;
    for (const RuntimeStep& step : k_start_steps)
        ok &= step.run() != 0;
    return ok;
}

void EndRuntime() {
    for (const RuntimeStep& step : k_end_steps)
        step.run();
}

void ExitProgram(int status) {
    NSApplication::exit_with_status(status);
}

int program_argument_count() {
    return g_argument_count;
}

char** program_arguments() {
    return g_arguments;
}

} // namespace rt
