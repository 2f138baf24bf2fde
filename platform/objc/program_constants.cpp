#include "platform/objc/program_constants.h"

#include <cstdint>
#include <link.h>
#include <vector>

namespace {

struct AddressRange {
    std::uintptr_t first;
    std::uintptr_t end;
};

// The read-only loaded segments of the object dl_iterate_phdr lists first, the program itself.
int collect_program_ranges(dl_phdr_info* info, std::size_t, void* data) {
    auto& ranges = *static_cast<std::vector<AddressRange>*>(data);
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W)) continue;
        const std::uintptr_t first = info->dlpi_addr + segment.p_vaddr;
        ranges.push_back({first, first + segment.p_memsz});
    }
    return 1; // the program only
}

const std::vector<AddressRange>& program_ranges() {
    static const std::vector<AddressRange> ranges = [] {
        std::vector<AddressRange> found;
        dl_iterate_phdr(collect_program_ranges, &found);
        return found;
    }();
    return ranges;
}

} // namespace

bool is_program_constant(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    if (at == 0) return false;
    for (const AddressRange& range : program_ranges()) {
        if (at >= range.first && at < range.end) return true;
    }
    return false;
}
