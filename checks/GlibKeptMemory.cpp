// Linked into every program and test of the sanitizer build (and only
// there). GLib keeps its table of interned strings (quarks) in one block
// that it allocates while the library loads; when a program interns more
// than 2048 strings, as GStreamer does under the launcher's media back end,
// GLib moves the table to a larger block and keeps the old one on purpose,
// for readers that look it up without a lock. Nothing points to it any
// more, so LeakSanitizer would report it, and GLib's allocation stacks are
// too short for a suppression narrower than "all of GLib", which would
// hide the project's own leaked objects too.
//
// Instead, before main, this finds that first block itself and tells
// LeakSanitizer to ignore it, that block alone: the pointer in GLib's data
// to a heap block of 2048 string pointers whose entry for a quark interned
// here is exactly the string interned.
#include <sanitizer/lsan_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

// The sanitizer runtime's allocator queries (not in GCC's headers).
extern "C" int __sanitizer_get_ownership(const volatile void *block);
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void *block);

namespace {

// Looked up at run time: a program without GLib has none, and then there
// is nothing to do.
using QuarkFromStaticString = std::uint32_t (*)(const char *);
using QuarkToString = const char *(*)(std::uint32_t);

constexpr std::size_t kFirstTableEntries = 2048;
const char kMarker[] = "quorvel-sanitizer-quark-table";

struct Search
{
    std::uint32_t quark = 0;
    void *table = nullptr;
};

bool IsQuarkTable(std::uintptr_t value, std::uint32_t quark)
{
    void *block = reinterpret_cast<void *>(value);
    if (value == 0 || value % alignof(char *) != 0 || !__sanitizer_get_ownership(block)
        || __sanitizer_get_allocated_size(block) != kFirstTableEntries * sizeof(char *))
        return false;
    return static_cast<const char *const *>(block)[quark] == kMarker;
}

int SearchLibrary(dl_phdr_info *info, std::size_t, void *data)
{
    auto *search = static_cast<Search *>(data);
    if (search->table || !info->dlpi_name || !std::strstr(info->dlpi_name, "libglib-2.0.so"))
        return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_W))
            continue;
        const auto *word = reinterpret_cast<const std::uintptr_t *>(info->dlpi_addr + segment.p_vaddr);
        const std::size_t words = segment.p_memsz / sizeof(std::uintptr_t);
        for (std::size_t w = 0; w < words; ++w) {
            if (IsQuarkTable(word[w], search->quark)) {
                search->table = reinterpret_cast<void *>(word[w]);
                return 1;
            }
        }
    }
    return 0;
}

__attribute__((constructor)) void IgnoreGlibFirstQuarkTable()
{
    const auto intern = reinterpret_cast<QuarkFromStaticString>(dlsym(RTLD_DEFAULT, "g_quark_from_static_string"));
    const auto lookUp = reinterpret_cast<QuarkToString>(dlsym(RTLD_DEFAULT, "g_quark_to_string"));
    if (!intern || !lookUp)
        return;
    Search search;
    search.quark = intern(kMarker);
    // Only while the first table is still in use; it holds 2048 entries.
    if (search.quark == 0 || search.quark >= kFirstTableEntries || lookUp(search.quark) != kMarker)
        return;
    dl_iterate_phdr(SearchLibrary, &search);
    if (search.table)
        __lsan_ignore_object(search.table);
}

} // namespace
