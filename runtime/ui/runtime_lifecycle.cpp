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
#include "runtime/ui/gadgets.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/message_box.h"
#include "runtime/ui/screens.h"
#include "runtime/ui/windows.h"

namespace rt {
namespace {

// The 2D drawing library keeps its pen, fill and clip state in one block for the whole run.
constexpr uint64_t k_vector_drawing_state_size = 608;

void* g_vector_drawing_state = nullptr;
int g_argument_count = 0;
char** g_arguments = nullptr;

} // namespace

int StartRuntime(int argument_count, char** arguments) {
    g_argument_count = argument_count;
    g_arguments = arguments;
    BringProcessToFront();
    int ok = InitApplication();
    InitLocale();
    EnterBundleContents();
    InitStrings();
    InitMaps();
    ok &= InitMemory();
    ok &= InitFiles();
    InitArrays();
    InitLists();
    if (!g_vector_drawing_state)
        g_vector_drawing_state = AllocateStateBlock(k_vector_drawing_state_size, nullptr, nullptr);
    ok &= g_vector_drawing_state != nullptr;
    ok &= InitImageCodecs();
    ok &= RegisterBMPCodec();
    ok &= InitImages();
    ok &= InitScreens();
    ok &= InitObjectRecords();
    ok &= InitDrawing();
    ok &= InitEvents();
    ok &= InitWindows();
    ok &= InitMenus();
    ok &= InitDates();
    ok &= InitGadgets();
    ok &= InitMessageBox();
    InitProcesses();
    return ok != 0 ? 1 : 0;
}

void EndRuntime() {
    EndFiles();
    EndDates();
    EndImages();
    EndDrawing();
    EndObjectRecords();
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
