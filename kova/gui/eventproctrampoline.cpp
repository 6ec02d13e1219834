#include "kova/gui/eventproctrampoline.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <sys/mman.h>

#include "kova/gui/control.h"

namespace kova::gui {

namespace {

std::mutex trampolineMutex;
void* page = nullptr;
const size_t pageSize = 4096;

using Dispatcher = int (*)(XEvent*);

}  // namespace

long EventProcAddress()
{
    Dispatcher target = &SControl::eventProc;
#if defined(__x86_64__)
    std::lock_guard<std::mutex> lock(trampolineMutex);
    if (!page) {
        void* p = mmap(nullptr, pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
        if (p == MAP_FAILED)
            return 0;
        // movabs rax, target; jmp rax
        unsigned char code[12] = {0x48, 0xB8};
        uint64_t address = (uint64_t)(uintptr_t)target;
        std::memcpy(code + 2, &address, sizeof address);
        code[10] = 0xFF;
        code[11] = 0xE0;
        std::memcpy(p, code, sizeof code);
        if (mprotect(p, pageSize, PROT_READ | PROT_EXEC) != 0) {
            munmap(p, pageSize);
            return 0;
        }
        page = p;
    }
    uintptr_t a = (uintptr_t)page;
    return a < 0x80000000u ? (long)a : 0;
#else
    uintptr_t a = (uintptr_t)target;
    return (long)a;
#endif
}

void ReleaseEventProcTrampoline()
{
    std::lock_guard<std::mutex> lock(trampolineMutex);
    if (page) {
        munmap(page, pageSize);
        page = nullptr;
    }
}

}  // namespace kova::gui
